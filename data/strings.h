// Every text the user sees, by its string id (101 to 372 and 58112 to 58116). The desktop application
// and the command line look texts up here; nothing else spells them.
#pragma once

#include <string_view>

namespace kdm {

// The text of string `id`; empty for an id the table does not hold.
std::string_view LoadString(int id);

// Fixed texts that are not string-table entries.
inline constexpr std::string_view kVersionTitle = "KDM XP  V 1.6 ";
inline constexpr std::string_view kErrorTitle = "KDM XP Error";
inline constexpr std::string_view kInformationTitle = "KDM XP ";

// Ids used by the workflows.
namespace sid {
inline constexpr int kAbout = 101;
inline constexpr int kProgramParameters = 103;
inline constexpr int kDeviceErrorNo = 104;
inline constexpr int kErrorRs232 = 105;
inline constexpr int kSystemParameter = 129;
inline constexpr int kUnlisted = 165;
inline constexpr int kSearching = 338;
inline constexpr int kRequestSystem = 339;
inline constexpr int kRequestProgram = 340;
inline constexpr int kTerminated = 341;
inline constexpr int kReceivingSystem = 342;
inline constexpr int kReceivingProgram = 343;
inline constexpr int kTransferSystem = 344;
inline constexpr int kTransferProgram = 345;
inline constexpr int kCheckingFile = 346;
inline constexpr int kWaitingForDevice = 348;
inline constexpr int kDownloadNotStarted = 349;
inline constexpr int kParameterFileError = 350;
inline constexpr int kCableDefect = 351;
inline constexpr int kNoDevice = 352;
inline constexpr int kNoComIo = 353;
inline constexpr int kUnknownError = 354;
inline constexpr int kNoDeviceResponse = 355;
inline constexpr int kDiscardQuestion = 357;
inline constexpr int kSelectPort = 364;
inline constexpr int kWrongDeviceType = 372;
}  // namespace sid

}  // namespace kdm
