// Comparing two parameter sets parameter by parameter.
#include "data/parameter_diff.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <string_view>
#include <utility>

namespace kdm {
namespace {

std::string Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
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
                      const DifferenceSink& out) {
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
    out(std::move(difference));
}

// Pairs what two lists of parameters show, letter by letter: the letters of the first list in order,
// then those only the second has, each once, and for each the last parameter with it (the one the
// table shows). Its tables are kept between calls and cleared where they were used, so that comparing
// a program costs what the program holds, not the 257 letters there can be.
class LetterPairing {
  public:
    void Compare(const std::vector<Parameter>& a, const std::vector<Parameter>& b,
                 const ParameterDifference& where, const DifferenceSink& out) {
        for (const Parameter& parameter : a)
            lastInA_[Use(parameter)] = &parameter;
        for (const Parameter& parameter : b)
            lastInB_[Use(parameter)] = &parameter;
        for (const std::vector<Parameter>* parameters : {&a, &b}) {
            for (const Parameter& parameter : *parameters) {
                const std::size_t key = KeyOf(parameter);
                if (compared_[key]) continue;
                compared_[key] = true;
                CompareParameter(lastInA_[key], lastInB_[key], where, out);
            }
        }
        for (const std::size_t key : used_) {
            lastInA_[key] = nullptr;
            lastInB_[key] = nullptr;
            compared_[key] = false;
        }
        used_.clear();
    }

  private:
    // A letter is one character or none (a telegram cut before it).
    static constexpr std::size_t kNoLetter = 256;
    static std::size_t KeyOf(const Parameter& parameter) {
        const std::string_view letter = parameter.Letter();
        return letter.empty() ? kNoLetter : static_cast<unsigned char>(letter[0]);
    }
    std::size_t Use(const Parameter& parameter) {
        const std::size_t key = KeyOf(parameter);
        if (lastInA_[key] == nullptr && lastInB_[key] == nullptr) used_.push_back(key);
        return key;
    }

    std::array<const Parameter*, kNoLetter + 1> lastInA_{};
    std::array<const Parameter*, kNoLetter + 1> lastInB_{};
    std::array<bool, kNoLetter + 1> compared_{};
    std::vector<std::size_t> used_;
};

ParameterDifference ProgramPlace(const Program& program) {
    ParameterDifference where;
    where.block = DiffBlock::kProgram;
    where.program = program.Number();
    where.programText = program.NumberText();
    return where;
}

// A program one set has and the other lacks: its 'P' record stands for it; without one, each parameter.
void AddUnpaired(const Program& program, bool inA, LetterPairing& letters, const DifferenceSink& out) {
    const ParameterDifference where = ProgramPlace(program);
    if (program.number) {
        const Parameter* number = &*program.number;
        CompareParameter(inA ? number : nullptr, inA ? nullptr : number, where, out);
        return;
    }
    const std::vector<Parameter> none;
    if (inA) {
        letters.Compare(program.parameters, none, where, out);
    } else {
        letters.Compare(none, program.parameters, where, out);
    }
}

// The programs of a set sorted by number and then place (the n-th of a number in this order is the
// n-th program with that number in the set), 12 bytes a program.
class ProgramOrder {
  public:
    explicit ProgramOrder(const std::vector<Program>& programs) {
        keys_.reserve(programs.size());
        for (const Program& program : programs) {
            const std::optional<int> number = program.Number();
            // Programs without a number first, as std::optional orders them.
            keys_.push_back(number ? *number : std::numeric_limits<std::int64_t>::min());
        }
        order_.resize(programs.size());
        for (std::size_t i = 0; i < order_.size(); ++i)
            order_[i] = static_cast<std::uint32_t>(i);
        std::sort(order_.begin(), order_.end(), [this](std::uint32_t x, std::uint32_t y) {
            return keys_[x] != keys_[y] ? keys_[x] < keys_[y] : x < y;
        });
    }
    std::size_t Size() const { return order_.size(); }
    // The place in the set of the r-th program in this order, and its number's key.
    std::size_t Place(std::size_t r) const { return order_[r]; }
    std::int64_t Key(std::size_t r) const { return keys_[order_[r]]; }

  private:
    std::vector<std::int64_t> keys_;
    std::vector<std::uint32_t> order_;
};

// Hands on the differences of the program block in their final order: by program number (programs
// without a number first), for each number A's programs in file order, then B's that have no partner.
void ComparePrograms(const std::vector<Program>& a, const std::vector<Program>& b, LetterPairing& letters,
                     const DifferenceSink& out) {
    // The n-th program with a number in A pairs with the n-th in B: in both orders, the pairs are where
    // equal numbers meet in the same rank.
    const ProgramOrder sortedA(a);
    const ProgramOrder sortedB(b);
    constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();
    std::vector<std::uint32_t> partnerOf(a.size(), kNone);
    std::vector<bool> paired(b.size(), false);
    for (std::size_t i = 0, j = 0; i < sortedA.Size();) {
        const std::int64_t key = sortedA.Key(i);
        while (j < sortedB.Size() && sortedB.Key(j) < key)
            ++j;
        for (; i < sortedA.Size() && sortedA.Key(i) == key; ++i) {
            if (j < sortedB.Size() && sortedB.Key(j) == key) {
                partnerOf[sortedA.Place(i)] = static_cast<std::uint32_t>(sortedB.Place(j));
                paired[sortedB.Place(j)] = true;
                ++j;
            }
        }
    }

    for (std::size_t i = 0, j = 0; i < sortedA.Size() || j < sortedB.Size();) {
        const bool fromA = j >= sortedB.Size() || (i < sortedA.Size() && sortedA.Key(i) <= sortedB.Key(j));
        const std::int64_t key = fromA ? sortedA.Key(i) : sortedB.Key(j);
        for (; i < sortedA.Size() && sortedA.Key(i) == key; ++i) {
            const Program& program = a[sortedA.Place(i)];
            const std::uint32_t partner = partnerOf[sortedA.Place(i)];
            if (partner == kNone) {
                AddUnpaired(program, true, letters, out);
                continue;
            }
            const Program& other = b[partner];
            const ParameterDifference where = ProgramPlace(program);
            CompareParameter(program.number ? &*program.number : nullptr,
                             other.number ? &*other.number : nullptr, where, out);
            letters.Compare(program.parameters, other.parameters, where, out);
        }
        for (; j < sortedB.Size() && sortedB.Key(j) == key; ++j) {
            if (!paired[sortedB.Place(j)]) AddUnpaired(b[sortedB.Place(j)], false, letters, out);
        }
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

void ForEachDifference(const ParameterSet& a, const ParameterSet& b, const DifferenceSink& visit) {
    LetterPairing letters;
    letters.Compare(a.SystemParameters(), b.SystemParameters(), ParameterDifference{}, visit);
    ComparePrograms(a.Programs(), b.Programs(), letters, visit);
}

ParameterDiff CompareParameterSets(const ParameterSet& a, const ParameterSet& b) {
    ParameterDiff diff = CompareHeadings(a, b);
    ForEachDifference(a, b, [&diff](ParameterDifference&& difference) {
        diff.differences.push_back(std::move(difference));
    });
    return diff;
}

ParameterDiff CompareHeadings(const ParameterSet& a, const ParameterSet& b) {
    ParameterDiff diff;
    diff.deviceTypeA = a.DeviceType();
    diff.deviceTypeB = b.DeviceType();
    diff.notComparedA = a.UnlistedRecords();
    diff.notComparedB = b.UnlistedRecords();
    return diff;
}

}  // namespace kdm
