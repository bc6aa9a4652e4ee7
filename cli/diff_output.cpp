// The differences between two parameter sets as text and as JSON.
#include "cli/diff_output.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <ostream>
#include <sstream>
#include <vector>

#include "cli/parameter_output.h"
#include "link/visible_text.h"
#include "link/wire.h"

namespace kdmcli {
namespace {

nlohmann::ordered_json SuspectJson(kdm::Suspect suspect) {
    if (suspect == kdm::Suspect::kNone) return nullptr;
    return std::string(kdm::SuspectName(suspect));
}

nlohmann::ordered_json ValueJson(const kdm::DiffSide& side) {
    if (!side.value) return nullptr;
    return Latin1ToUtf8(*side.value);
}

// A value from the file or the device, for a terminal: control bytes would move the cursor or vanish.
std::string Legible(std::string_view bytes) {
    return kdm::VisibleText(
        bytes, {.names = kdm::VisibleStyle::Names::kLine, .hexUpTo = 0x7F, .hexPrefix = false, .utf8 = true});
}

// Characters on screen of a UTF-8 text (every character here is one column wide).
std::size_t Width(std::string_view utf8) {
    return static_cast<std::size_t>(std::count_if(
        utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string ValueCell(const kdm::DiffSide& side) {
    if (!side.value) return "(none)";
    std::string text = side.value->empty() ? std::string("(blank)") : Legible(*side.value);
    if (side.suspect != kdm::Suspect::kNone) text += kdm::kMismatchMark;
    return text;
}

std::string ProgramCell(const kdm::ParameterDifference& difference) {
    if (difference.block == kdm::DiffBlock::kSystem) return {};
    if (difference.program) return std::to_string(*difference.program);
    return difference.programText.empty() ? std::string("(no number)") : Legible(difference.programText);
}

std::string Plural(int count, std::string_view word) {
    return std::to_string(count) + " " + std::string(word) + (count == 1 ? "" : "s");
}

}  // namespace

std::string_view DiffKindName(kdm::DiffKind kind) {
    switch (kind) {
        case kdm::DiffKind::kChanged:
            return "changed";
        case kdm::DiffKind::kOnlyInA:
            return "onlyA";
        case kdm::DiffKind::kOnlyInB:
            return "onlyB";
        case kdm::DiffKind::kSuspect:
            break;
    }
    return "suspect";
}

namespace {

nlohmann::ordered_json DifferenceJson(const kdm::ParameterDifference& difference) {
    const bool system = difference.block == kdm::DiffBlock::kSystem;
    return {
        {"block", system ? "system" : "program"},
        {"program", difference.program ? nlohmann::ordered_json(*difference.program) : nullptr},
        {"letter", Latin1ToUtf8(difference.letter)},
        {"name", Latin1ToUtf8(difference.name)},
        {"a", ValueJson(difference.a)},
        {"b", ValueJson(difference.b)},
        {"kind", DiffKindName(difference.Kind())},
        {"suspect", {{"a", SuspectJson(difference.a.suspect)}, {"b", SuspectJson(difference.b.suspect)}}}};
}

nlohmann::ordered_json HeadJson(const kdm::ParameterDiff& diff, std::string_view a, std::string_view b) {
    return {{"a", Latin1ToUtf8(a)},
            {"b", Latin1ToUtf8(b)},
            {"deviceType", {{"a", diff.deviceTypeA}, {"b", diff.deviceTypeB}}}};
}

nlohmann::ordered_json NotComparedJson(const kdm::ParameterDiff& diff) {
    return {{"a", diff.notComparedA}, {"b", diff.notComparedB}};
}

using Row = std::array<std::string, 6>;

Row RowOf(const kdm::ParameterDifference& difference) {
    return {difference.block == kdm::DiffBlock::kSystem ? "system" : "program",
            ProgramCell(difference),
            Legible(difference.letter),
            Legible(difference.name),
            ValueCell(difference.a),
            ValueCell(difference.b)};
}

void WriteRow(std::ostream& out, const Row& row, const std::array<std::size_t, 6>& widths) {
    std::string line;
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (i > 0) line += "  ";
        line += row[i];
        line.append(widths[i] - Width(row[i]), ' ');
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    out << line << '\n';
}

}  // namespace

nlohmann::ordered_json ParameterDiffJson(const kdm::ParameterDiff& diff, std::string_view a,
                                         std::string_view b) {
    nlohmann::ordered_json differences = nlohmann::ordered_json::array();
    for (const kdm::ParameterDifference& difference : diff.differences)
        differences.push_back(DifferenceJson(difference));
    nlohmann::ordered_json document = HeadJson(diff, a, b);
    document["differences"] = std::move(differences);
    if (!diff.AllCompared()) document["notCompared"] = NotComparedJson(diff);
    return document;
}

void WriteParameterDiffJson(std::ostream& out, const kdm::ParameterDiff& diff, std::string_view a,
                            std::string_view b, const nlohmann::ordered_json& more) {
    std::string head = HeadJson(diff, a, b).dump();
    head.pop_back();
    out << head << ",\"differences\":[";
    const char* separator = "";
    for (const kdm::ParameterDifference& difference : diff.differences) {
        out << separator << DifferenceJson(difference).dump();
        separator = ",";
    }
    out << ']';
    if (!diff.AllCompared()) out << ",\"notCompared\":" << NotComparedJson(diff).dump();
    for (const auto& [key, value] : more.items())
        out << ',' << nlohmann::ordered_json(key).dump() << ':' << value.dump();
    out << '}';
}

void WriteParameterDiffText(std::ostream& out, const kdm::ParameterDiff& diff, std::string_view a,
                            std::string_view b) {
    const std::string nameA = Legible(a);
    const std::string nameB = Legible(b);
    if (diff.Same()) {
        out << "No differences between " << nameA << " and " << nameB << "\n";
        return;
    }

    out << "A: " << nameA << "\nB: " << nameB << "\n";
    if (diff.DeviceTypeDiffers()) {
        out << "Device type differs: " << diff.deviceTypeA << " in A, " << diff.deviceTypeB << " in B\n";
    }
    if (!diff.differences.empty()) {
        // Two passes, the first for the widths, so that no table of every row is held.
        const Row heading = {"block", "program", "letter", "name", "A", "B"};
        std::array<std::size_t, 6> widths{};
        const auto widen = [&widths](const Row& row) {
            for (std::size_t i = 0; i < row.size(); ++i)
                widths[i] = std::max(widths[i], Width(row[i]));
        };
        widen(heading);
        for (const kdm::ParameterDifference& difference : diff.differences)
            widen(RowOf(difference));
        out << '\n';
        WriteRow(out, heading, widths);
        for (const kdm::ParameterDifference& difference : diff.differences)
            WriteRow(out, RowOf(difference), widths);
        out << '\n';
    }

    std::string summary = Plural(static_cast<int>(diff.differences.size()), "difference");
    std::vector<std::string> parts;
    const struct {
        kdm::DiffKind kind;
        const char* words;
    } kinds[] = {{kdm::DiffKind::kChanged, "changed"},
                 {kdm::DiffKind::kOnlyInA, "only in A"},
                 {kdm::DiffKind::kOnlyInB, "only in B"},
                 {kdm::DiffKind::kSuspect, "alike but not to be trusted"}};
    for (const auto& kind : kinds) {
        if (const int count = diff.Count(kind.kind); count > 0)
            parts.push_back(std::to_string(count) + " " + kind.words);
    }
    if (!parts.empty()) {
        summary += " (";
        for (std::size_t i = 0; i < parts.size(); ++i)
            summary += (i > 0 ? ", " : "") + parts[i];
        summary += ")";
    }
    if (diff.DeviceTypeDiffers()) {
        summary = diff.differences.empty() ? std::string("The parameters agree; only the device type differs")
                                           : summary + ", and the device type";
    }
    out << summary << "\n";
    const bool suspect = std::any_of(diff.differences.begin(), diff.differences.end(), [](const auto& d) {
        return d.a.suspect != kdm::Suspect::kNone || d.b.suspect != kdm::Suspect::kNone;
    });
    if (suspect) {
        out << " !!! marks a value whose telegram failed its checksum or was damaged; it cannot be\n"
               "     trusted, so it counts as a difference even where A and B agree\n";
    }
    if (!diff.AllCompared()) {
        out << "Not compared: " << diff.notComparedA << " parameters of A and " << diff.notComparedB
            << " of B. A file with more than " << kdm::kMaxListedShortRecords
            << " records shorter than a frame\n"
               "(which no read stores) is compared only up to the next one\n";
    }
}

std::string ParameterDiffText(const kdm::ParameterDiff& diff, std::string_view a, std::string_view b) {
    std::ostringstream out;
    WriteParameterDiffText(out, diff, a, b);
    return out.str();
}

}  // namespace kdmcli
