// Fuzzes the write's frame walk over a data file: from the first 'g' on, frame after frame, each search
// starting one byte after the last frame's STX. Whatever the bytes, every frame sent must be a whole
// 16-byte frame starting with STX inside the text, frames must come in file order without skipping an
// STX that could start one, and the walk must end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "link/telegram.h"
#include "transfer/frames.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte aims one free search anywhere around the text, edges and beyond included.
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t nul = text.find('\0');
    const std::size_t end = nul == std::string_view::npos ? text.size() : nul;

    const std::int32_t aimed = static_cast<std::int32_t>(data[0]) - 2;
    const std::int32_t hit = kdm::NextFrame(text, aimed);
    if (aimed < 0 || static_cast<std::size_t>(aimed) >= end) {
        Check(hit == -1);
    } else if (hit >= 0) {
        Check(hit >= aimed && static_cast<std::size_t>(hit) + 16 <= end &&
              text[static_cast<std::size_t>(hit)] == kdm::STX);
    }

    // The walk of a write, as the engine runs it.
    std::vector<std::int32_t> sent;
    std::int32_t position = kdm::FindLetter(text, 'g', 0);
    const std::int32_t start = position;
    for (;;) {
        const std::int32_t frame = kdm::NextFrame(text, position);
        if (frame < 0) break;
        Check(frame >= position);
        Check(static_cast<std::size_t>(frame) + kdm::kFrameBytes <= end);
        Check(text[static_cast<std::size_t>(frame)] == kdm::STX);
        // Nothing that could start a frame was passed over.
        Check(text.substr(static_cast<std::size_t>(position), static_cast<std::size_t>(frame - position))
                  .find(kdm::STX) == std::string_view::npos);
        sent.push_back(frame);
        Check(sent.size() <= end);
        position = frame + 1;
    }

    // Independently: every STX from the start on that has 15 bytes after it before the end is sent once.
    std::vector<std::int32_t> expected;
    if (start >= 0) {
        for (std::size_t i = static_cast<std::size_t>(start); i + kdm::kFrameBytes <= end; ++i) {
            if (text[i] == kdm::STX) expected.push_back(static_cast<std::int32_t>(i));
        }
    }
    Check(sent == expected);
    return 0;
}
