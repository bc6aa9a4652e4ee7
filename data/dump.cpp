// Device-type detection from the identification record at the start of a dump.
#include "data/dump.h"

#include <array>
#include <cstddef>

#include "link/wire.h"

namespace kdm {
namespace {

// A three-character test holds on an exact match; a two-character test on the first two characters
// (so a code cut to two characters still passes it). Order matters: the first test that holds wins.
struct CodeTest {
    std::string_view code;
    int type;
};

constexpr std::array<CodeTest, 44> kCodeTests = {{
    {"I10", 1},  {"I1I", 2},  {"I1P", 2},  {"I1C", 2},  {"I1N", 2},  {"I1D", 2},  {"I1K", 3},  {"IKI", 4},
    {"IKP", 4},  {"IKC", 4},  {"IKN", 4},  {"IKD", 4},  {"IKV", 5},  {"I1", 2},   {"IK", 4},   {"E20", 10},
    {"E2P", 11}, {"E2I", 11}, {"E2C", 11}, {"E2N", 11}, {"E2D", 11}, {"E2", 11},  {"E10", 12}, {"E1P", 13},
    {"E1I", 13}, {"E1C", 13}, {"E1N", 13}, {"E1D", 13}, {"E1", 13},  {"U10", 22}, {"U1P", 23}, {"U1I", 23},
    {"U1C", 21}, {"U1N", 23}, {"U1D", 21}, {"U1", 23},  {"U20", 20}, {"U2P", 21}, {"U2I", 21}, {"U2C", 21},
    {"U2N", 21}, {"U2D", 21}, {"U2R", 21}, {"U2", 21},
}};

bool Holds(const CodeTest& test, std::string_view code) {
    if (test.code.size() == 3) return code == test.code;
    return code.size() >= 2 && code.substr(0, 2) == test.code;
}

// Up to `count` characters from `start`; nothing when `start` lies beyond the end.
std::string_view Field(std::string_view text, std::size_t start, std::size_t count) {
    if (start >= text.size()) return {};
    return text.substr(start, count);
}

}  // namespace

int DetectDeviceType(std::string_view dump, std::string& heading) {
    // Without an STX the positions count as if one stood just before the first character.
    const std::size_t stx = dump.find(STX);
    const std::size_t first = stx == std::string_view::npos ? 0 : stx + 1;
    heading = std::string(Field(dump, first, 11));
    const std::string_view code = Field(dump, first + 3, 3);
    for (const CodeTest& test : kCodeTests) {
        if (Holds(test, code)) return test.type;
    }
    return 0;
}

}  // namespace kdm
