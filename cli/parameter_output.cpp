// The parameter model as JSON and as CSV for scripts.
#include "cli/parameter_output.h"

#include <optional>
#include <ostream>

#include "link/visible_text.h"

namespace kdmcli {
namespace {

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

nlohmann::ordered_json SuspectJson(kdm::Suspect suspect) {
    if (suspect == kdm::Suspect::kNone) return nullptr;
    return std::string(kdm::SuspectName(suspect));
}

nlohmann::ordered_json ParameterJson(const kdm::Parameter& parameter) {
    return {{"letter", Latin1ToUtf8(parameter.Letter())},
            {"name", Latin1ToUtf8(Trimmed(parameter.Name()))},
            {"value", Latin1ToUtf8(parameter.ValueText())},
            {"suspect", SuspectJson(parameter.suspect)},
            {"record", parameter.record + 1},
            {"telegram", Latin1ToUtf8(parameter.telegram)}};
}

nlohmann::ordered_json ProgramJson(const kdm::Program& program) {
    nlohmann::ordered_json parameters = nlohmann::ordered_json::array();
    for (const kdm::Parameter& parameter : program.parameters)
        parameters.push_back(ParameterJson(parameter));
    const std::optional<int> number = program.Number();
    nlohmann::ordered_json document = {
        {"number", number ? nlohmann::ordered_json(*number) : nlohmann::ordered_json(nullptr)},
        {"numberText", Latin1ToUtf8(program.NumberText())},
        {"record", program.number ? nlohmann::ordered_json(program.number->record + 1) : nullptr},
        {"suspect", program.number ? SuspectJson(program.number->suspect) : nullptr},
        {"parameters", std::move(parameters)}};
    return document;
}

// The telegram the device type was read from: the first one of the text.
std::optional<kdm::Record> FirstTelegram(const kdm::ParameterSet& set) {
    for (const kdm::Record record : set.Records()) {
        if (record.StartsWithStx()) return record;
    }
    return std::nullopt;
}

// A field of the per-parameter CSV: read on terminals as often as by scripts, so a control byte in a
// damaged value appears by name instead of moving the cursor or starting an escape sequence.
std::string LegibleField(std::string_view bytes) {
    return CsvField(kdm::VisibleText(bytes));
}

void AppendRow(std::string& out, std::string_view block, std::string_view program,
               const kdm::Parameter& parameter) {
    out += block;
    out += ',';
    out += LegibleField(program);
    out += ',';
    out += LegibleField(parameter.Letter());
    out += ',';
    out += LegibleField(Trimmed(parameter.Name()));
    out += ',';
    out += LegibleField(parameter.ValueText());
    out += ',';
    out += kdm::SuspectName(parameter.suspect);
    out += '\n';
}

}  // namespace

std::string Latin1ToUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xC0 | (byte >> 6));
            text += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return text;
}

std::string CsvField(std::string_view bytes) {
    const std::string text = Latin1ToUtf8(bytes);
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

void WriteParameterSetJson(std::ostream& out, const kdm::ParameterSet& set,
                           const nlohmann::ordered_json& more) {
    const std::optional<kdm::Record> first = FirstTelegram(set);
    const std::string& heading = set.Heading();
    const nlohmann::ordered_json head = {
        {"format", kParametersFormat},
        {"version", kParametersVersion},
        {"deviceType", set.DeviceType()},
        {"identification",
         {{"heading", Latin1ToUtf8(heading)},
          {"deviceCode",
           Latin1ToUtf8(std::string_view(heading).substr(std::min<std::size_t>(3, heading.size()), 3))},
          {"telegram", first ? nlohmann::ordered_json(Latin1ToUtf8(first->Telegram())) : nullptr}}},
        {"records", set.Records().size()},
        {"suspectTelegrams",
         {{"mismatch", set.SuspectRecords(kdm::Suspect::kMismatch)},
          {"damaged", set.SuspectRecords(kdm::Suspect::kDamaged)}}}};
    // The lists are written element by element: a document of every parameter would take many times the
    // file's size. The bytes are those of the whole document's dump().
    std::string text = head.dump();
    text.pop_back();
    out << text << ",\"system\":[";
    const char* separator = "";
    for (const kdm::Parameter& parameter : set.SystemParameters()) {
        out << separator << ParameterJson(parameter).dump();
        separator = ",";
    }
    out << "],\"programs\":[";
    separator = "";
    for (const kdm::Program& program : set.Programs()) {
        out << separator << ProgramJson(program).dump();
        separator = ",";
    }
    out << ']';
    for (const auto& [key, value] : more.items())
        out << ',' << nlohmann::ordered_json(key).dump() << ':' << value.dump();
    out << '}';
}

nlohmann::ordered_json FileJudgementJson(const kdm::FileJudgement& judgement) {
    nlohmann::ordered_json findings = nlohmann::ordered_json::array();
    for (const kdm::WriteFinding& finding : judgement.check.findings) {
        findings.push_back({{"record", finding.record},
                            {"program", Latin1ToUtf8(finding.program)},
                            {"letter", Latin1ToUtf8(finding.letter)},
                            {"kind", kdm::WriteProblemName(finding.problem)},
                            {"bytes", finding.bytes},
                            {"overridable", finding.overridable},
                            {"reason", Latin1ToUtf8(kdm::WriteFindingReason(finding))}});
    }
    nlohmann::ordered_json judged = {{"verdict", kdm::FileVerdictName(judgement.verdict)},
                                     {"findings", std::move(findings)}};
    // Only a file with more findings than are kept one by one has findings that are not listed.
    if (judgement.check.unlisted > 0) judged["unlisted"] = judgement.check.unlisted;
    return judged;
}

std::string FileJudgementText(const kdm::FileJudgement& judgement, std::string_view subject) {
    if (judgement.verdict == kdm::FileVerdict::kWritable) return {};
    std::string text(subject);
    text += judgement.verdict == kdm::FileVerdict::kRefused
                ? " cannot be written into a device as it stands:\n"
                : " is written into a device only when the user allows it (--allow-suspect):\n";
    for (const kdm::WriteFinding& finding : judgement.check.findings)
        text += "  " + Latin1ToUtf8(kdm::DescribeWriteFinding(finding)) + "\n";
    if (judgement.check.unlisted > 0)
        text += "  ... and " + std::to_string(judgement.check.unlisted) + " more\n";
    return text;
}

void WriteParameterSetCsv(std::ostream& out, const kdm::ParameterSet& set, CsvBlocks blocks) {
    out << "block,program,letter,name,value,suspect\n";
    std::string row;
    if (blocks != CsvBlocks::kProgram) {
        for (const kdm::Parameter& parameter : set.SystemParameters()) {
            row.clear();
            AppendRow(row, "system", "", parameter);
            out << row;
        }
    }
    if (blocks != CsvBlocks::kSystem) {
        for (const kdm::Program& program : set.Programs()) {
            const std::string number = program.NumberText();
            row.clear();
            if (program.number) AppendRow(row, "program", number, *program.number);
            for (const kdm::Parameter& parameter : program.parameters)
                AppendRow(row, "program", number, parameter);
            out << row;
        }
    }
}

}  // namespace kdmcli
