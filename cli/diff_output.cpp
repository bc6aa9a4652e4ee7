// The differences between two parameter sets as text and as JSON.
#include "cli/diff_output.h"

#include <algorithm>
#include <array>
#include <cstdio>
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

nlohmann::ordered_json ParameterDiffJson(const kdm::ParameterDiff& diff, std::string_view a,
                                         std::string_view b) {
    nlohmann::ordered_json differences = nlohmann::ordered_json::array();
    for (const kdm::ParameterDifference& difference : diff.differences) {
        const bool system = difference.block == kdm::DiffBlock::kSystem;
        differences.push_back(
            {{"block", system ? "system" : "program"},
             {"program", difference.program ? nlohmann::ordered_json(*difference.program) : nullptr},
             {"letter", Latin1ToUtf8(difference.letter)},
             {"name", Latin1ToUtf8(difference.name)},
             {"a", ValueJson(difference.a)},
             {"b", ValueJson(difference.b)},
             {"kind", DiffKindName(difference.Kind())},
             {"suspect",
              {{"a", SuspectJson(difference.a.suspect)}, {"b", SuspectJson(difference.b.suspect)}}}});
    }
    return {{"a", Latin1ToUtf8(a)},
            {"b", Latin1ToUtf8(b)},
            {"deviceType", {{"a", diff.deviceTypeA}, {"b", diff.deviceTypeB}}},
            {"differences", std::move(differences)}};
}

std::string ParameterDiffText(const kdm::ParameterDiff& diff, std::string_view a, std::string_view b) {
    const std::string nameA = Legible(a);
    const std::string nameB = Legible(b);
    if (diff.Same()) return "No differences between " + nameA + " and " + nameB + "\n";

    std::string out = "A: " + nameA + "\nB: " + nameB + "\n";
    if (diff.DeviceTypeDiffers()) {
        out += "Device type differs: " + std::to_string(diff.deviceTypeA) + " in A, " +
               std::to_string(diff.deviceTypeB) + " in B\n";
    }
    if (!diff.differences.empty()) {
        using Row = std::array<std::string, 6>;
        std::vector<Row> rows = {{"block", "program", "letter", "name", "A", "B"}};
        for (const kdm::ParameterDifference& difference : diff.differences) {
            rows.push_back({difference.block == kdm::DiffBlock::kSystem ? "system" : "program",
                            ProgramCell(difference), Legible(difference.letter), Legible(difference.name),
                            ValueCell(difference.a), ValueCell(difference.b)});
        }
        std::array<std::size_t, 6> widths{};
        for (const Row& row : rows) {
            for (std::size_t i = 0; i < row.size(); ++i)
                widths[i] = std::max(widths[i], Width(row[i]));
        }
        out += '\n';
        for (const Row& row : rows) {
            std::string line;
            for (std::size_t i = 0; i < row.size(); ++i) {
                if (i > 0) line += "  ";
                line += row[i];
                line.append(widths[i] - Width(row[i]), ' ');
            }
            while (!line.empty() && line.back() == ' ')
                line.pop_back();
            out += line + '\n';
        }
        out += '\n';
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
    out += summary + "\n";
    const bool suspect = std::any_of(diff.differences.begin(), diff.differences.end(), [](const auto& d) {
        return d.a.suspect != kdm::Suspect::kNone || d.b.suspect != kdm::Suspect::kNone;
    });
    if (suspect) {
        out +=
            " !!! marks a value whose telegram failed its checksum or was damaged; it cannot be\n"
            "     trusted, so it counts as a difference even where A and B agree\n";
    }
    return out;
}

}  // namespace kdmcli

namespace kdmcli {

std::string ParameterDiffText(const kdm::ParameterDiff& diff, std::string_view a, std::string_view b,
                              const kdm::FileJudgement* judgementA, const kdm::FileJudgement* judgementB) {
    std::string files;
    if (judgementA != nullptr) files += FileJudgementText(*judgementA, "A");
    if (judgementB != nullptr) files += FileJudgementText(*judgementB, "B");
    if (files.empty()) return ParameterDiffText(diff, a, b);
    if (!diff.Same()) return ParameterDiffText(diff, a, b) + "\n" + files;
    return "A: " + Legible(a) + "\nB: " + Legible(b) + "\nThe parameters agree, but not the files:\n" + files;
}

nlohmann::ordered_json FileJudgementsJson(const kdm::FileJudgement* judgementA,
                                          const kdm::FileJudgement* judgementB) {
    return {{"a", judgementA != nullptr ? FileJudgementJson(*judgementA) : nlohmann::ordered_json(nullptr)},
            {"b", judgementB != nullptr ? FileJudgementJson(*judgementB) : nlohmann::ordered_json(nullptr)}};
}

}  // namespace kdmcli
