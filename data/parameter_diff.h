// Comparing two parameter sets by meaning: the device types, each system parameter by its letter and
// each program parameter by program number and letter, whatever the records' places in the files.
//
// What counts as a difference:
// - a parameter shown in one set and not in the other (only in A, only in B);
// - a parameter whose value the tables show differently (changed);
// - a parameter whose telegram cannot be trusted on either side, even when the shown values agree: a
//   value that failed its checksum or was damaged proves nothing about the device, so equality would be
//   a guess (suspect).
// A program found in one set only is one difference, on its 'P' record; a program without a 'P' record
// (damaged files only) that has no partner is listed parameter by parameter.
//
// Where a set shows a letter twice in one block, the value compared is the one the table shows (the
// last). Programs are paired by number in file order: the second program 7 of A with the second of B.
// The work grows with the sets, not with their square.
//
// Thread safety: a pure function of its arguments.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "data/parameter_model.h"

namespace kdm {

enum class DiffBlock : std::uint8_t { kSystem, kProgram };

enum class DiffKind : std::uint8_t {
    kChanged,  // in both sets, shown differently
    kOnlyInA,
    kOnlyInB,
    kSuspect,  // shown alike, but at least one side cannot be trusted
};

// One side of a difference: what that set shows for the parameter, if anything.
struct DiffSide {
    std::optional<std::string> value;   // Parameter::ValueText(); none when the set lacks the parameter
    Suspect suspect = Suspect::kNone;   // of the telegram behind the value
    std::optional<std::size_t> record;  // index into that set's Records(), when it has the parameter
};

struct ParameterDifference {
    DiffBlock block = DiffBlock::kSystem;
    // Program number (Program::Number()); none in the system block and for a program without digits
    // or without a 'P' record.
    std::optional<int> program;
    // The program number as the table shows it (Program::NumberText()), empty in the system block;
    // A's when the program is in A.
    std::string programText;
    // The parameter letter (telegram position 1), empty for a telegram cut before it.
    std::string letter;
    // The name the table shows, without the blanks around it; A's name when A has the parameter (the
    // names can differ between device types).
    std::string name;
    DiffSide a;
    DiffSide b;

    DiffKind Kind() const;
};

struct ParameterDiff {
    int deviceTypeA = 0;
    int deviceTypeB = 0;
    // System block first (in A's order, then what only B has), then the program block by program
    // number (programs without a number first), each program in A's order, then what only B has.
    std::vector<ParameterDifference> differences;
    // Parameters of each set that were not compared because its model does not list them
    // (ParameterSet::UnlistedRecords: a file of noise).
    std::size_t notComparedA = 0;
    std::size_t notComparedB = 0;

    bool DeviceTypeDiffers() const { return deviceTypeA != deviceTypeB; }
    bool AllCompared() const { return notComparedA == 0 && notComparedB == 0; }
    // Nothing differs in what was compared, and everything was.
    bool Same() const { return !DeviceTypeDiffers() && differences.empty() && AllCompared(); }
    int Count(DiffKind kind) const;
};

ParameterDiff CompareParameterSets(const ParameterSet& a, const ParameterSet& b);

// The same comparison without its list: the device types and what was not compared, then each
// difference handed to `visit` as it is found, in the order of ParameterDiff::differences. Nothing is
// kept, so a caller that writes them out as they come needs no memory for them (two large files that
// differ everywhere hold more differences than bytes).
using DifferenceSink = std::function<void(ParameterDifference&&)>;
ParameterDiff CompareHeadings(const ParameterSet& a, const ParameterSet& b);
void ForEachDifference(const ParameterSet& a, const ParameterSet& b, const DifferenceSink& visit);

}  // namespace kdm
