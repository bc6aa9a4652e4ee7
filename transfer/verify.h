// Comparing what a device holds with a data file, parameter by parameter: the check after a write
// that the restore took.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "data/parameter_model.h"

namespace kdm {

// One record whose telegram differs. Records are numbered from 1 in file order, the identification
// record being record 1, so the number points at the line of the data file. An empty text means the
// record is missing on that side.
struct RecordDifference {
    int record = 0;
    std::string fileTelegram;
    std::string deviceTelegram;
};

// The records of a data-file text as the parameter model cuts it (after each CR LF CR and before each
// STX), without their terminators. A last record that lacks its terminator is kept.
std::vector<std::string> SplitRecords(std::string_view text);

// The 14 telegram characters of a record (those after its STX), without the " QS " annotation.
std::string TelegramOfRecord(std::string_view record);

// Compares the telegram records (every record after the identification record) of two parameter sets
// by their 14 telegram characters, the ones a write sends. The checksum annotations are ignored: they
// are the reading tool's own remarks, not device data. A record that does not begin with STX is
// compared by its bytes. Empty when every parameter is equal.
std::vector<RecordDifference> CompareParameterRecords(const ParameterSet& file, const ParameterSet& device);
// The same for two data-file texts.
std::vector<RecordDifference> CompareParameterRecords(std::string_view fileText, std::string_view deviceText);

// "record N: file T device T", control bytes shown as <STX>, <0x0D> ..., "(missing)" for an absent side.
std::string DescribeDifference(const RecordDifference& difference);

}  // namespace kdm
