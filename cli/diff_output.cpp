// The differences between two parameter sets as text and as JSON.
#include "cli/diff_output.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
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

// The differences of a comparison, one by one: from its list, or from the two sets again.
using Visit = std::function<void(const kdm::ParameterDifference&)>;
using Walk = std::function<void(const Visit&)>;

Walk ListWalk(const kdm::ParameterDiff& diff) {
    return [&diff](const Visit& visit) {
        for (const kdm::ParameterDifference& difference : diff.differences)
            visit(difference);
    };
}

Walk SetsWalk(const kdm::ParameterSet& a, const kdm::ParameterSet& b) {
    return [&a, &b](const Visit& visit) {
        kdm::ForEachDifference(a, b, [&visit](kdm::ParameterDifference&& difference) { visit(difference); });
    };
}

bool Same(const kdm::ParameterDiff& head, std::size_t differences) {
    return !head.DeviceTypeDiffers() && differences == 0 && head.AllCompared();
}

std::size_t WriteJson(std::ostream& out, const kdm::ParameterDiff& head, const Walk& walk, std::string_view a,
                      std::string_view b, const nlohmann::ordered_json& more) {
    std::string text = HeadJson(head, a, b).dump();
    text.pop_back();
    out << text << ",\"differences\":[";
    std::size_t count = 0;
    walk([&](const kdm::ParameterDifference& difference) {
        out << (count++ > 0 ? "," : "") << DifferenceJson(difference).dump();
    });
    out << ']';
    if (!head.AllCompared()) out << ",\"notCompared\":" << NotComparedJson(head).dump();
    for (const auto& [key, value] : more.items())
        out << ',' << nlohmann::ordered_json(key).dump() << ':' << value.dump();
    out << '}';
    return count;
}

// Two walks, the first for the widths and the counts, so that no table of every row is held.
// `files` is what the write check says of the files, when it says anything: parameters that agree in
// files that are not as a read stores them are not "No differences".
std::size_t WriteText(std::ostream& out, const kdm::ParameterDiff& head, const Walk& walk, std::string_view a,
                      std::string_view b, std::string_view files = {}) {
    const Row heading = {"block", "program", "letter", "name", "A", "B"};
    std::array<std::size_t, 6> widths{};
    const auto widen = [&widths](const Row& row) {
        for (std::size_t i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], Width(row[i]));
    };
    widen(heading);
    std::size_t count = 0;
    std::array<int, 4> kindCounts{};
    bool suspect = false;
    walk([&](const kdm::ParameterDifference& difference) {
        ++count;
        ++kindCounts[static_cast<std::size_t>(difference.Kind())];
        suspect = suspect || difference.a.suspect != kdm::Suspect::kNone ||
                  difference.b.suspect != kdm::Suspect::kNone;
        widen(RowOf(difference));
    });

    const std::string nameA = Legible(a);
    const std::string nameB = Legible(b);
    if (Same(head, count)) {
        if (files.empty()) {
            out << "No differences between " << nameA << " and " << nameB << "\n";
        } else {
            out << "A: " << nameA << "\nB: " << nameB << "\nThe parameters agree, but not the files:\n"
                << files;
        }
        return count;
    }
    out << "A: " << nameA << "\nB: " << nameB << "\n";
    if (head.DeviceTypeDiffers()) {
        out << "Device type differs: " << head.deviceTypeA << " in A, " << head.deviceTypeB << " in B\n";
    }
    if (count > 0) {
        out << '\n';
        WriteRow(out, heading, widths);
        walk([&](const kdm::ParameterDifference& difference) { WriteRow(out, RowOf(difference), widths); });
        out << '\n';
    }

    std::string summary = Plural(static_cast<int>(count), "difference");
    std::vector<std::string> parts;
    const struct {
        kdm::DiffKind kind;
        const char* words;
    } kinds[] = {{kdm::DiffKind::kChanged, "changed"},
                 {kdm::DiffKind::kOnlyInA, "only in A"},
                 {kdm::DiffKind::kOnlyInB, "only in B"},
                 {kdm::DiffKind::kSuspect, "alike but not to be trusted"}};
    for (const auto& kind : kinds) {
        if (const int n = kindCounts[static_cast<std::size_t>(kind.kind)]; n > 0)
            parts.push_back(std::to_string(n) + " " + kind.words);
    }
    if (!parts.empty()) {
        summary += " (";
        for (std::size_t i = 0; i < parts.size(); ++i)
            summary += (i > 0 ? ", " : "") + parts[i];
        summary += ")";
    }
    if (head.DeviceTypeDiffers()) {
        summary = count == 0 ? std::string("The parameters agree; only the device type differs")
                             : summary + ", and the device type";
    }
    out << summary << "\n";
    if (suspect) {
        out << " !!! marks a value whose telegram failed its checksum or was damaged; it cannot be\n"
               "     trusted, so it counts as a difference even where A and B agree\n";
    }
    if (!head.AllCompared()) {
        out << "Not compared: " << head.notComparedA << " parameters of A and " << head.notComparedB
            << " of B. A file with more than " << kdm::kMaxListedShortRecords
            << " records shorter than a frame\n"
               "(which no read stores) is compared only up to the next one\n";
    }
    if (!files.empty()) out << '\n' << files;
    return count;
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

std::string ParameterDiffText(const kdm::ParameterDiff& diff, std::string_view a, std::string_view b) {
    std::ostringstream out;
    WriteText(out, diff, ListWalk(diff), a, b);
    return out.str();
}

bool WriteComparisonJson(std::ostream& out, const kdm::ParameterSet& setA, const kdm::ParameterSet& setB,
                         std::string_view a, std::string_view b, const nlohmann::ordered_json& more) {
    const kdm::ParameterDiff head = kdm::CompareHeadings(setA, setB);
    return Same(head, WriteJson(out, head, SetsWalk(setA, setB), a, b, more));
}

bool WriteComparisonText(std::ostream& out, const kdm::ParameterSet& setA, const kdm::ParameterSet& setB,
                         std::string_view a, std::string_view b, const kdm::FileJudgement* judgementA,
                         const kdm::FileJudgement* judgementB) {
    std::string files;
    if (judgementA != nullptr) files += FileJudgementText(*judgementA, "A");
    if (judgementB != nullptr) files += FileJudgementText(*judgementB, "B");
    const kdm::ParameterDiff head = kdm::CompareHeadings(setA, setB);
    return Same(head, WriteText(out, head, SetsWalk(setA, setB), a, b, files));
}

}  // namespace kdmcli

namespace kdmcli {

std::string ParameterDiffText(const kdm::ParameterDiff& diff, std::string_view a, std::string_view b,
                              const kdm::FileJudgement* judgementA, const kdm::FileJudgement* judgementB) {
    std::string files;
    if (judgementA != nullptr) files += FileJudgementText(*judgementA, "A");
    if (judgementB != nullptr) files += FileJudgementText(*judgementB, "B");
    std::ostringstream out;
    WriteText(out, diff, ListWalk(diff), a, b, files);
    return out.str();
}

nlohmann::ordered_json FileJudgementsJson(const kdm::FileJudgement* judgementA,
                                          const kdm::FileJudgement* judgementB) {
    return {{"a", judgementA != nullptr ? FileJudgementJson(*judgementA) : nlohmann::ordered_json(nullptr)},
            {"b", judgementB != nullptr ? FileJudgementJson(*judgementB) : nlohmann::ordered_json(nullptr)}};
}

}  // namespace kdmcli
