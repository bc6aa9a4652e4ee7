// The parameters a simulated device holds: its identification telegram, the system telegrams and, per
// program, a 'P' telegram with the program's parameter telegrams. Every telegram is kept as its 14
// characters exactly as it goes on the line (a loaded or written telegram keeps even a wrong checksum):
// this is the device's memory, not a data file. Data files are read and written through the parameter
// model (data/parameter_model.h), which these functions convert from and to.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/parameter_model.h"

namespace kdmsim {

struct Program {
    std::string header;                   // the 'P' telegram
    std::vector<std::string> parameters;  // in the order the device sends them
};

struct ParameterSet {
    std::string identification;  // the 'g' telegram; positions 3 to 5 are the device code
    std::vector<std::string> system;
    std::vector<Program> programs;
};

inline constexpr int kMaxPrograms = 255;
inline constexpr std::size_t kTelegramLength = 14;

// Address '0', `letter`, the nine value characters (sign, six digits, two suffix characters) and the
// checksum of the first eleven characters.
std::string MakeTelegram(char letter, std::string_view value);

// A device code that the type detection turns into `type` ("I1P" for type 2); empty for other numbers.
std::string DeviceCodeOfType(int type);

// A parameter set for a device with `code`: the letters of the layouts of the code's type (the letters of
// type 2 when the code belongs to no known type), values drawn from `seed`, `programs` programs numbered
// from 1. The same arguments always give the same set.
ParameterSet GenerateParameterSet(std::string_view code, int programs, std::uint64_t seed);

// The telegrams of a data file, as the model cuts it into records: the identification telegram first,
// then one telegram per record that begins with an STX (the 14 characters after it, as a device takes
// them); the system block is every telegram before the first 'P' telegram. Returns false with a reason
// for a file a device could not hold: no identification, a telegram cut short, a 'g' in a telegram
// (it would end a block), more than 255 programs.
bool ParseParameterSet(std::string_view text, ParameterSet& set, std::string& reason);
bool LoadParameterSet(const std::string& path, ParameterSet& set, std::string& reason);

// Every telegram after the identification, in the order the device sends them.
std::vector<std::string> TelegramsOf(const ParameterSet& set);

// The set as a read of the device would store it: the identification record, then one telegram record
// (with the computed checksum and " !!!" on a mismatch) per telegram, each ended by CR LF CR.
kdm::ParameterSet DataFileSetOf(const ParameterSet& set);
std::string DataFileTextOf(const ParameterSet& set);

// Writes DataFileTextOf to `path` atomically: a temporary file beside it, flushed, renamed over it.
bool SaveParameterSet(const std::string& path, const ParameterSet& set, std::string& reason);

}  // namespace kdmsim
