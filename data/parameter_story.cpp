#include "data/parameter_story.h"

#include <map>
#include <set>
#include <string_view>

namespace kdm {
namespace {

std::string Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

// Which program a parameter belongs to, as the comparison pairs them: by number, else by the text.
std::string ProgramKey(DiffBlock block, const std::optional<int>& program, std::string_view programText) {
    if (block == DiffBlock::kSystem) return "s";
    return program ? "p" + std::to_string(*program) : "t" + std::string(programText);
}

std::string CellKey(DiffBlock block, const std::optional<int>& program, std::string_view programText,
                    std::string_view letter) {
    return ProgramKey(block, program, programText) + ":" + std::string(letter);
}

// Adds the parameters of one table section, a letter once (its last parameter at its first place).
void AddSection(const std::vector<Parameter>& parameters, const StoryCell& where,
                std::vector<StoryCell>& cells) {
    std::map<std::string, std::size_t> placed;
    for (const Parameter& parameter : parameters) {
        StoryCell cell = where;
        cell.letter.assign(parameter.Letter());
        cell.name = Trimmed(parameter.Name());
        cell.value = parameter.ValueText();
        cell.suspect = parameter.suspect;
        cell.record = parameter.record;
        const auto [at, added] = placed.emplace(cell.letter, cells.size());
        if (added) {
            cells.push_back(std::move(cell));
        } else {
            cells[at->second] = std::move(cell);
        }
    }
}

struct StepBreaks {
    std::map<std::string, bool> cells;  // key -> whether the break was a suspect one
    std::set<std::string> programs;     // programs one side lacks
};

StepBreaks BreaksBetween(const ParameterSet& older, const ParameterSet& newer) {
    StepBreaks breaks;
    ForEachDifference(older, newer, [&breaks](ParameterDifference&& difference) {
        const DiffKind kind = difference.Kind();
        if (difference.block == DiffBlock::kProgram && difference.letter == "P" &&
            (kind == DiffKind::kOnlyInA || kind == DiffKind::kOnlyInB))
            breaks.programs.insert(ProgramKey(difference.block, difference.program, difference.programText));
        const bool suspect = difference.a.suspect != Suspect::kNone || difference.b.suspect != Suspect::kNone;
        bool& flagged = breaks.cells[CellKey(difference.block, difference.program, difference.programText,
                                             difference.letter)];
        flagged = flagged || suspect;
    });
    return breaks;
}

}  // namespace

std::vector<StoryCell> ParameterStory(std::span<const ParameterSet> newestFirst) {
    std::vector<StoryCell> cells;
    if (newestFirst.empty()) return cells;
    const ParameterSet& newest = newestFirst.front();
    AddSection(newest.SystemParameters(), StoryCell{}, cells);
    for (const Program& program : newest.Programs()) {
        StoryCell where;
        where.block = DiffBlock::kProgram;
        where.program = program.Number();
        where.programText = program.NumberText();
        if (program.number) AddSection({*program.number}, where, cells);
        AddSection(program.parameters, where, cells);
    }
    std::vector<std::string> keys;
    keys.reserve(cells.size());
    for (StoryCell& cell : cells) {
        keys.push_back(CellKey(cell.block, cell.program, cell.programText, cell.letter));
        cell.flagged = cell.suspect != Suspect::kNone;
    }

    std::vector<bool> open(cells.size(), true);
    std::size_t stillOpen = cells.size();
    for (std::size_t step = 0; step + 1 < newestFirst.size() && stillOpen > 0; ++step) {
        const StepBreaks breaks = BreaksBetween(newestFirst[step + 1], newestFirst[step]);
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (!open[i]) continue;
            StoryCell& cell = cells[i];
            const auto found = breaks.cells.find(keys[i]);
            const bool programBroke =
                breaks.programs.count(ProgramKey(cell.block, cell.program, cell.programText)) > 0;
            if (found != breaks.cells.end() || programBroke) {
                open[i] = false;
                --stillOpen;
                if (found != breaks.cells.end() && found->second) cell.flagged = true;
                if (step == 0) cell.changedInLast = true;
                continue;
            }
            cell.since = step + 1;
        }
    }
    return cells;
}

}  // namespace kdm
