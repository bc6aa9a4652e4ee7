// Each parameter's story across a machine's entries: for every parameter of the newest set, the value
// it shows and the oldest set of the unbroken run of sets, newest backwards, that showed the same value.
//
// A step between two neighbouring sets breaks the run of a parameter when CompareParameterSets lists it:
// a changed value, a parameter that one side lacks, or a value that cannot be trusted on either side
// (a suspect telegram proves nothing, so an equal value behind it is no evidence that nothing changed;
// such a step is flagged). A program that one side lacks breaks the run of each of its parameters.
//
// Thread safety: a pure function of its arguments.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "data/parameter_diff.h"
#include "data/parameter_model.h"

namespace kdm {

struct StoryCell {
    DiffBlock block = DiffBlock::kSystem;
    std::optional<int> program;  // as ParameterDifference::program
    std::string programText;     // as ParameterDifference::programText
    std::string letter;
    std::string name;                  // as the table shows it, without the blanks around it
    std::string value;                 // Parameter::ValueText() in the newest set
    Suspect suspect = Suspect::kNone;  // of the newest set's telegram
    std::size_t record = 0;            // index into the newest set's Records()
    // Index into the sets (0 the newest) of the oldest set of the run.
    std::size_t since = 0;
    // The run ends at a step where either side could not be trusted, or the value now cannot be.
    bool flagged = false;
    // The newest set brought the value: the step from the set before it broke the run.
    bool changedInLast = false;
};

// The cells of `newestFirst[0]`, system parameters first, then programs in file order, each in the
// order the table shows them (a letter shown twice: its last parameter, at the place of its first).
// Empty for no sets.
std::vector<StoryCell> ParameterStory(std::span<const ParameterSet> newestFirst);

}  // namespace kdm
