// What travels on the line and what a data file keeps of it: the framing bytes, a frame's length, the
// record terminator and the marks a read writes after a telegram. Everything that cuts, builds or
// checks frames takes these from here, so the device's framing lives in one place.
#pragma once

#include <cstddef>
#include <string_view>

namespace kdm {

inline constexpr char STX = 0x02;  // opens every telegram
inline constexpr char ETX = 0x03;  // closes it

// A telegram's characters between STX and ETX.
inline constexpr std::size_t kTelegramCharacters = 14;
// A frame on the line: STX, the 14 characters, ETX.
inline constexpr std::size_t kFrameBytes = kTelegramCharacters + 2;
// The identification a data file begins with: STX and the 14 characters of the 'g' telegram.
inline constexpr std::size_t kIdentificationBytes = kTelegramCharacters + 1;

// Ends every record of a data file, the identification's included.
inline constexpr std::string_view kRecordTerminator = "\r\n\r";
// Between a stored telegram and the checksum the read computed for it.
inline constexpr std::string_view kChecksumSeparator = " QS ";
// After that checksum when it differed from the one received.
inline constexpr std::string_view kMismatchMark = " !!!";

}  // namespace kdm
