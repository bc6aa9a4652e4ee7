// The write's frame walk: which frames a file holds, and that walking a file frame after frame reads
// each byte once (a walk that looked at the whole text at every frame took 41 s for 6.7 MB).
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "support/dump_builder.h"
#include "transfer/frames.h"

namespace {

// Every complete frame from the first 'g' on, before the first NUL, by brute force.
int FramesByDefinition(std::string_view text) {
    const std::string_view walked = text.substr(0, text.find('\0'));
    const std::size_t g = walked.find('g');
    if (g == std::string_view::npos) return 0;
    int frames = 0;
    for (std::size_t i = g; i + kdm::kFrameBytes <= walked.size(); ++i)
        frames += walked[i] == kdm::STX ? 1 : 0;
    return frames;
}

std::string Frame(char letter) {
    return "\x02" + kdmtest::TelegramChars(letter, kdmtest::Value(7)) + "\x03";
}

TEST(FrameWalk, CountsEveryCompleteFrameFromTheFirstG) {
    const std::string id = kdmtest::DumpBuilder("I10").Text();
    const std::string file = kdmtest::DumpBuilder("I10").Add('d', kdmtest::Value(1)).Program(1).Text();
    struct Case {
        const char* name;
        std::string text;
        int frames;
    };
    const std::vector<Case> cases = {
        {"empty", "", 0},
        {"no g", Frame('d') + Frame('e'), 0},
        {"identification only", id, 0},
        {"a read's file", file, 2},
        {"a frame ending at the end of the text", id + Frame('d'), 1},
        {"a frame one byte short", id + Frame('d').substr(0, 15), 0},
        // An STX inside a frame starts a frame of its own: the walk goes on one byte after each start.
        {"an STX inside a frame", id + "\x02" + "0d+00\x02" + "0000--570\x03" + "0123456789", 2},
        {"a NUL ends the text", id + Frame('d') + std::string(1, '\0') + Frame('e'), 1},
        {"a NUL inside the last frame", id + Frame('d').substr(0, 8) + std::string(1, '\0') + Frame('e'), 0},
        {"noise of STX bytes", id + std::string(40, '\x02'), 40 - 15},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(kdm::CountFrames(c.text), c.frames) << c.name;
        EXPECT_EQ(FramesByDefinition(c.text), c.frames) << c.name;
    }
}

TEST(FrameWalk, TheWalkFindsWhatASearchFromEachPlaceFinds) {
    std::string text = kdmtest::DumpBuilder("I10").Add('d', kdmtest::Value(1)).Program(2).Text();
    text +=
        "\x02"
        "0a+1\x02\x02 noise \r\n\r";
    text += Frame('N') + " QS 1\r\n\r" + std::string(1, '\0') + Frame('u');
    const std::string_view walked = kdm::WalkedText(text);
    ASSERT_EQ(walked.size(), text.find('\0'));
    for (std::int32_t from = -2; from <= static_cast<std::int32_t>(text.size()) + 2; ++from)
        EXPECT_EQ(kdm::NextFrameIn(walked, from), kdm::NextFrame(text, from)) << from;
}

// A page that may be read, followed by one that may not: a search that strays past the bytes it needs
// ends the test program.
class GuardedText {
  public:
    GuardedText() {
        page_ = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
        void* map = ::mmap(nullptr, 2 * page_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (map == MAP_FAILED) return;
        base_ = static_cast<char*>(map);
        if (::mprotect(base_ + page_, page_, PROT_NONE) != 0) {
            ::munmap(base_, 2 * page_);
            base_ = nullptr;
        }
    }
    ~GuardedText() {
        if (base_ != nullptr) ::munmap(base_, 2 * page_);
    }
    bool Ready() const { return base_ != nullptr; }
    // `bytes` placed so that they end where the readable page ends; the view claims `claimed` bytes more,
    // as if the text went on.
    std::string_view Place(const std::string& bytes, std::size_t claimed) {
        char* at = base_ + page_ - bytes.size();
        std::memcpy(at, bytes.data(), bytes.size());
        return std::string_view(at, bytes.size() + claimed);
    }

  private:
    std::size_t page_ = 0;
    char* base_ = nullptr;
};

TEST(FrameWalk, ASearchReadsNoFurtherThanTheFrameItFinds) {
    GuardedText guarded;
    if (!guarded.Ready()) GTEST_SKIP() << "no guard page";
    // Two frames ending where the readable bytes end; the text seems to go on for a megabyte. A walk
    // that looked for a NUL, or for anything else, through the whole text would read into the guard.
    const std::string bytes = "0g+I10000--572\r\n\r" + Frame('d') + Frame('e');
    const std::string_view text = guarded.Place(bytes, 1u << 20);
    const std::int32_t first = kdm::NextFrameIn(text, 0);
    EXPECT_EQ(first, 17);
    EXPECT_EQ(kdm::NextFrameIn(text, first + 1), 33);
}

}  // namespace
