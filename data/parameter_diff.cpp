// Comparing two parameter sets parameter by parameter.
#include "data/parameter_diff.h"

#include <algorithm>
#include <string_view>

namespace kdm {
namespace {

std::string Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

// The parameter the table shows for `letter`: the last of several.
const Parameter* Shown(const std::vector<Parameter>& parameters, std::string_view letter) {
    const Parameter* found = nullptr;
    for (const Parameter& parameter : parameters) {
        if (parameter.Letter() == letter) found = &parameter;
    }
    return found;
}

// Letters of `first` in order, then those only `second` has, each once.
std::vector<std::string> Letters(const std::vector<Parameter>& first, const std::vector<Parameter>& second) {
    std::vector<std::string> letters;
    for (const std::vector<Parameter>* parameters : {&first, &second}) {
        for (const Parameter& parameter : *parameters) {
            const std::string letter(parameter.Letter());
            if (std::find(letters.begin(), letters.end(), letter) == letters.end()) letters.push_back(letter);
        }
    }
    return letters;
}

DiffSide SideOf(const Parameter* parameter) {
    DiffSide side;
    if (parameter == nullptr) return side;
    side.value = parameter->ValueText();
    side.suspect = parameter->suspect;
    side.record = parameter->record;
    return side;
}

// Adds the difference between what A and B show for one parameter, if there is one. `where` carries
// the block and program; letter, name and sides are filled here.
void CompareParameter(const Parameter* a, const Parameter* b, const ParameterDifference& where,
                      std::vector<ParameterDifference>& out) {
    if (a == nullptr && b == nullptr) return;
    if (a != nullptr && b != nullptr && a->suspect == Suspect::kNone && b->suspect == Suspect::kNone &&
        a->ValueText() == b->ValueText())
        return;
    ParameterDifference difference = where;
    const Parameter& named = a != nullptr ? *a : *b;
    difference.letter.assign(named.Letter());
    difference.name = Trimmed(named.Name());
    difference.a = SideOf(a);
    difference.b = SideOf(b);
    out.push_back(std::move(difference));
}

void CompareParameters(const std::vector<Parameter>& a, const std::vector<Parameter>& b,
                       const ParameterDifference& where, std::vector<ParameterDifference>& out) {
    for (const std::string& letter : Letters(a, b))
        CompareParameter(Shown(a, letter), Shown(b, letter), where, out);
}

ParameterDifference ProgramPlace(const Program& program) {
    ParameterDifference where;
    where.block = DiffBlock::kProgram;
    where.program = program.Number();
    where.programText = program.NumberText();
    return where;
}

// A program one set has and the other lacks: its 'P' record stands for it; without one, each parameter.
void AddUnpaired(const Program& program, bool inA, std::vector<ParameterDifference>& out) {
    const ParameterDifference where = ProgramPlace(program);
    const std::vector<Parameter> none;
    if (program.number) {
        const Parameter* number = &*program.number;
        CompareParameter(inA ? number : nullptr, inA ? nullptr : number, where, out);
        return;
    }
    if (inA) {
        CompareParameters(program.parameters, none, where, out);
    } else {
        CompareParameters(none, program.parameters, where, out);
    }
}

void ComparePrograms(const std::vector<Program>& a, const std::vector<Program>& b,
                     std::vector<ParameterDifference>& out) {
    std::vector<bool> paired(b.size(), false);
    for (std::size_t i = 0; i < a.size(); ++i) {
        const std::optional<int> number = a[i].Number();
        // The n-th program with this number in A pairs with the n-th in B.
        std::size_t occurrence = 0;
        for (std::size_t k = 0; k < i; ++k)
            occurrence += a[k].Number() == number ? 1u : 0u;
        std::optional<std::size_t> partner;
        for (std::size_t k = 0; k < b.size() && !partner; ++k) {
            if (b[k].Number() != number) continue;
            if (occurrence == 0) {
                partner = k;
            } else {
                --occurrence;
            }
        }
        if (!partner) {
            AddUnpaired(a[i], true, out);
            continue;
        }
        paired[*partner] = true;
        const Program& other = b[*partner];
        const ParameterDifference where = ProgramPlace(a[i]);
        CompareParameter(a[i].number ? &*a[i].number : nullptr, other.number ? &*other.number : nullptr,
                         where, out);
        CompareParameters(a[i].parameters, other.parameters, where, out);
    }
    for (std::size_t k = 0; k < b.size(); ++k) {
        if (!paired[k]) AddUnpaired(b[k], false, out);
    }
}

}  // namespace

DiffKind ParameterDifference::Kind() const {
    if (!b.value) return DiffKind::kOnlyInA;
    if (!a.value) return DiffKind::kOnlyInB;
    // Values are compared as the tables show them, without the blanks around them.
    if (*a.value != *b.value) return DiffKind::kChanged;
    return DiffKind::kSuspect;
}

int ParameterDiff::Count(DiffKind kind) const {
    return static_cast<int>(std::count_if(differences.begin(), differences.end(),
                                          [kind](const ParameterDifference& d) { return d.Kind() == kind; }));
}

ParameterDiff CompareParameterSets(const ParameterSet& a, const ParameterSet& b) {
    ParameterDiff diff;
    diff.deviceTypeA = a.DeviceType();
    diff.deviceTypeB = b.DeviceType();
    CompareParameters(a.SystemParameters(), b.SystemParameters(), ParameterDifference{}, diff.differences);
    std::vector<ParameterDifference> programs;
    ComparePrograms(a.Programs(), b.Programs(), programs);
    std::stable_sort(
        programs.begin(), programs.end(),
        [](const ParameterDifference& x, const ParameterDifference& y) { return x.program < y.program; });
    diff.differences.insert(diff.differences.end(), std::make_move_iterator(programs.begin()),
                            std::make_move_iterator(programs.end()));
    return diff;
}

}  // namespace kdm
