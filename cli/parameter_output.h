// A parameter set for scripts: the JSON document "kdmxp-parameters" (docs/json-schema.md) and CSV with
// one row per parameter. Both are functions of the parsed model alone.
#pragma once

#include <nlohmann/json.hpp>

#include <iosfwd>
#include <string>
#include <string_view>

#include "data/file_verdict.h"
#include "data/parameter_model.h"

namespace kdmcli {

inline constexpr std::string_view kParametersFormat = "kdmxp-parameters";
inline constexpr int kParametersVersion = 1;

// Bytes from a device or a file as text: each byte stands for the Latin-1 character of its value.
std::string Latin1ToUtf8(std::string_view bytes);

// The document of docs/json-schema.md, version 1, on one line (no line end), written as it is made: its
// memory stays that of one parameter, however many the set lists.
void WriteParameterSetJson(std::ostream& out, const kdm::ParameterSet& set,
                           const nlohmann::ordered_json& more = nlohmann::ordered_json::object());

// Which parameters ParameterSetCsv lists.
enum class CsvBlocks { kBoth, kSystem, kProgram };

// A header line "block,program,letter,name,value,suspect", then one line per parameter: the system
// parameters, then per program its 'P' record (letter "P", the program number as its value) and its
// parameters. Values and names without the blanks around them, control bytes by name ("<ESC>",
// "<CR>": link/visible_text.h); fields quoted as RFC 4180 asks when they hold a comma or a quote;
// every line ends with LF. Written line by line.
void WriteParameterSetCsv(std::ostream& out, const kdm::ParameterSet& set, CsvBlocks blocks);

// What the write check says of a file, for scripts: {"verdict": "writable"|"ask"|"refused",
// "findings": [{"record", "program", "letter", "kind", "bytes", "overridable", "reason"}, ...]}, with
// "unlisted" (the findings past those listed) when there are any.
nlohmann::ordered_json FileJudgementJson(const kdm::FileJudgement& judgement);

// What the write check says of a file, for a terminal: nothing for a writable file; otherwise a line
// "<subject> cannot be written into a device as it stands:" (or "... only when the user allows it
// (--allow-suspect):") and one line per finding, indented by two blanks, control bytes by name. Every
// line ends with LF.
std::string FileJudgementText(const kdm::FileJudgement& judgement, std::string_view subject);

// One CSV field, quoted when it must be; its bytes as they are (grid-csv keeps CR LF in a cell).
std::string CsvField(std::string_view bytes);

}  // namespace kdmcli
