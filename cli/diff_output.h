// The differences between two parameter sets for people (an aligned text) and for scripts (one JSON
// object). Both are functions of the comparison alone; `a` and `b` name the two sides (a path, or what
// the caller compared: "device", a history entry).
#pragma once

#include <nlohmann/json.hpp>

#include <iosfwd>
#include <string>
#include <string_view>

#include "data/file_verdict.h"
#include "data/parameter_diff.h"

namespace kdmcli {

// {"a": A, "b": B, "deviceType": {"a": N, "b": M}, "differences": [...]}, each difference
// {"block": "system"|"program", "program": N|null, "letter", "name", "a": VALUE|null, "b": VALUE|null,
//  "kind": "changed"|"onlyA"|"onlyB"|"suspect", "suspect": {"a": null|"mismatch"|"damaged", "b": ...}},
// values and names as the tables show them without the blanks around them, in UTF-8 (bytes as Latin-1).
// When some parameters were not compared (ParameterDiff::AllCompared), "notCompared": {"a": N, "b": M}
// follows "differences".
nlohmann::ordered_json ParameterDiffJson(const kdm::ParameterDiff& diff, std::string_view a,
                                         std::string_view b);
// Lines for a terminal, LF-ended: what A and B are; the device types when they differ; a table of the
// differences (block, program, letter, name, value in A, value in B), " !!!" after a value that cannot
// be trusted; then a count. "No differences" and nothing else when the sets agree. Control bytes are
// shown by name (<STX>). Parameters left uncompared are counted in a last line.
std::string ParameterDiffText(const kdm::ParameterDiff& diff, std::string_view a, std::string_view b);
// The comparison of two sets written as ParameterDiffText and as ParameterDiffJson's dump() (one line,
// no line end, then the members of the object `more`) would write it, difference by difference as it
// is found, none of them kept. True when the sets are the same (ParameterDiff::Same). The text is
// followed by what the write check says of A and of B, as ParameterDiffText below writes it.
bool WriteComparisonText(std::ostream& out, const kdm::ParameterSet& setA, const kdm::ParameterSet& setB,
                         std::string_view a, std::string_view b,
                         const kdm::FileJudgement* judgementA = nullptr,
                         const kdm::FileJudgement* judgementB = nullptr);
bool WriteComparisonJson(std::ostream& out, const kdm::ParameterSet& setA, const kdm::ParameterSet& setB,
                         std::string_view a, std::string_view b, const nlohmann::ordered_json& more = {});

// The same, followed by what the write check says of A and of B (null: not a file, or not asked) when
// it says anything (FileJudgementText). Parameters that agree in files that are not as a read stores
// them are not "No differences": the text says they agree, then what is wrong with the files.
std::string ParameterDiffText(const kdm::ParameterDiff& diff, std::string_view a, std::string_view b,
                              const kdm::FileJudgement* judgementA, const kdm::FileJudgement* judgementB);

// {"a": FileJudgementJson or null, "b": ...}: the "files" member of the JSON document.
nlohmann::ordered_json FileJudgementsJson(const kdm::FileJudgement* judgementA,
                                          const kdm::FileJudgement* judgementB);

// "changed", "onlyA", "onlyB" or "suspect": the word scripts get.
std::string_view DiffKindName(kdm::DiffKind kind);

}  // namespace kdmcli
