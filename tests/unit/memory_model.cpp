// What parsing, filling the tables and comparing cost in memory, whatever a file holds. This program
// counts every byte it allocates (operator new below), so that a model that grows a few hundred bytes
// for every byte of noise, as it once did (1,164 MiB for 8 MiB of STX bytes), fails here without a
// clock or a large machine.
#include <gtest/gtest.h>
#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "data/parameter_diff.h"
#include "data/parameter_model.h"
#include "data/tables.h"
#include "support/dump_builder.h"

namespace {

std::atomic<std::size_t> gLive{0};
std::atomic<std::size_t> gPeak{0};

void* Allocate(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) throw std::bad_alloc();
    const std::size_t live = gLive += ::malloc_usable_size(block);
    std::size_t peak = gPeak.load();
    while (live > peak && !gPeak.compare_exchange_weak(peak, live)) {
    }
    return block;
}

void Release(void* block) noexcept {
    if (block == nullptr) return;
    gLive -= ::malloc_usable_size(block);
    std::free(block);
}

}  // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void operator delete(void* block) noexcept {
    Release(block);
}
void operator delete[](void* block) noexcept {
    Release(block);
}
void operator delete(void* block, std::size_t) noexcept {
    Release(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    Release(block);
}

namespace {

// The most the heap grew while `work` ran, over what was allocated before.
template <class Work>
std::size_t PeakGrowth(Work&& work) {
    const std::size_t before = gLive.load();
    gPeak = before;
    work();
    return gPeak.load() - before;
}

constexpr std::size_t kSize = 1u << 18;

std::string Identification() {
    return kdmtest::DumpBuilder("I10").Text();
}

// Records as a read stores them, many programs of every letter the layout names.
std::string ReadRecords() {
    kdmtest::DumpBuilder dump("I10");
    int n = 0;
    for (const char c : std::string("devhkinmjyqpK"))
        dump.Add(c, kdmtest::Value(++n));
    while (dump.Text().size() < kSize) {
        dump.Program(n % 1000);
        for (const char c : std::string("JNuoVWEGXRYrtC"))
            dump.Add(c, kdmtest::Value(++n));
    }
    return dump.Text();
}

std::string Repeated(std::string_view unit) {
    std::string text = Identification();
    while (text.size() + unit.size() <= kSize)
        text += unit;
    return text;
}

struct NoiseCase {
    const char* name;
    std::string text;
};

std::vector<NoiseCase> Texts() {
    std::string bytes;
    std::uint32_t state = 12345;
    while (bytes.size() < kSize) {
        state = state * 1103515245u + 12345u;
        bytes += static_cast<char>(state >> 24);
    }
    return {
        {"STX bytes after an identification", Repeated("\x02")},
        {"'P' records of two bytes", Repeated("\x02P")},
        {"one-byte records of every letter", Repeated("\x02\x02P\x02"
                                                      "d\x02N")},
        {"record terminators", Repeated("\r\n\r")},
        {"frames without annotation", Repeated("\x02"
                                               "0P+000001--591\x03")},
        {"random bytes", Identification() + bytes},
        {"records as a read stores them", ReadRecords()},
    };
}

TEST(ModelMemory, AParsedSetTakesAtMostSixTimesItsText) {
    // Besides the text: 4 bytes a record (4 times a text of one-byte records), and a listed parameter or
    // program (at most 80 bytes) for no less than a frame of 16 bytes, or one of 1024 shorter ones.
    for (NoiseCase& c : Texts()) {
        const std::size_t size = c.text.size();
        kdm::ParsedParameterSet parsed;
        const std::size_t grown =
            PeakGrowth([&] { parsed = kdm::ParseParameterSetInPlace(std::move(c.text)); });
        ASSERT_TRUE(parsed.ok) << c.name;
        EXPECT_EQ(parsed.set.TextSize(), size) << c.name;
        EXPECT_LE(grown, 6 * size) << c.name << ": " << grown / size << " times the text";
    }
}

TEST(ModelMemory, FillingTheTablesTakesWhatTheTablesHold) {
    for (const NoiseCase& c : Texts()) {
        const kdm::ParameterSet set = kdm::ParseParameterSet(c.text).set;
        // 25 rows of 3 cells and 257 of 19, whatever the text.
        const std::size_t grown = PeakGrowth([&] { (void)kdm::FillTables(set); });
        EXPECT_LE(grown, 1u << 20) << c.name;
    }
}

TEST(ModelMemory, ComparingTwoSetsDifferenceByDifferenceTakesLessThanTheirTexts) {
    for (const NoiseCase& c : Texts()) {
        std::string other = c.text;
        // Another value, or another program number, in every record that has one.
        for (std::size_t i = 0; i + 4 < other.size(); ++i) {
            if (other[i] == '\x02' && other[i + 4] >= '0' && other[i + 4] <= '8') ++other[i + 4];
        }
        const kdm::ParameterSet a = kdm::ParseParameterSet(c.text).set;
        const kdm::ParameterSet b = kdm::ParseParameterSet(other).set;
        std::size_t differences = 0;
        const std::size_t grown = PeakGrowth([&] {
            kdm::ForEachDifference(a, b, [&differences](kdm::ParameterDifference&&) { ++differences; });
        });
        EXPECT_LE(grown, c.text.size() + other.size()) << c.name << ": " << differences << " differences";
    }
}

TEST(ModelMemory, NoiseIsListedOnlySoFarAndWhatIsLeftOutIsCounted) {
    const std::string text = Repeated("\x02");
    const kdm::ParameterSet set = kdm::ParseParameterSet(text).set;
    // Every STX is a record; the system section lists its first 1024 one-byte records.
    EXPECT_EQ(set.Records().size(), text.size() - Identification().size() + 1);
    EXPECT_EQ(set.SystemParameters().size(), kdm::kMaxListedShortRecords);
    std::size_t section = 0;
    for (const std::size_t k : set.SystemSection()) {
        (void)k;
        ++section;
    }
    EXPECT_EQ(set.UnlistedRecords(), section - kdm::kMaxListedShortRecords);
    const kdm::ParameterDiff diff = kdm::CompareParameterSets(set, set);
    EXPECT_EQ(diff.notComparedA, set.UnlistedRecords());
    EXPECT_EQ(diff.notComparedB, set.UnlistedRecords());
    EXPECT_FALSE(diff.Same());

    // Records as a read stores them are never left out, however many.
    const kdm::ParameterSet read = kdm::ParseParameterSet(ReadRecords()).set;
    EXPECT_EQ(read.UnlistedRecords(), 0u);
    EXPECT_GT(read.Programs().size(), 600u);
}

}  // namespace
