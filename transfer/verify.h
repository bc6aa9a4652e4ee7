// Comparing what a device holds with a data file, parameter by parameter: the check after a write
// that the restore took.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "data/parameter_model.h"

namespace kdm {

// One record whose telegram differs, or that cannot be trusted on either side. Records are numbered
// from 1 in file order, the identification record being record 1, so the number points at the line of
// the data file. An empty text means the record is missing on that side.
struct RecordDifference {
    int record = 0;
    std::string fileTelegram;
    std::string deviceTelegram;
    // Why a side's telegram cannot be trusted: equal characters prove nothing then, since a value
    // that was wrong in the file, or that the line changed on the way back, may read the same.
    Suspect fileSuspect = Suspect::kNone;
    Suspect deviceSuspect = Suspect::kNone;
};

// The records of a data-file text as the parameter model cuts it (after each CR LF CR and before each
// STX), without their terminators. A last record that lacks its terminator is kept.
std::vector<std::string> SplitRecords(std::string_view text);

// The 14 telegram characters of a record (those after its STX), without the " QS " annotation.
std::string TelegramOfRecord(std::string_view record);

// Compares the telegram records (every record after the identification record) of two parameter sets
// by their 14 telegram characters, the ones a write sends. The checksum annotations are the reading
// tool's own remarks, not device data, and do not count themselves; but a record that cannot be
// trusted on either side (marked " !!!" or damaged) is a difference even when its characters are
// equal. A record that does not begin with STX is compared by its bytes. Empty when every parameter
// is equal and trusted on both sides.
std::vector<RecordDifference> CompareParameterRecords(const ParameterSet& file, const ParameterSet& device);
// The same for two data-file texts.
std::vector<RecordDifference> CompareParameterRecords(std::string_view fileText, std::string_view deviceText);

// "record N: file T device T", control bytes shown as <STX>, <0x0D> ..., "(missing)" for an absent side,
// then "(file: mismatch)", "(device: damaged)" ... for each side that cannot be trusted.
std::string DescribeDifference(const RecordDifference& difference);

}  // namespace kdm
