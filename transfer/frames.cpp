#include "transfer/frames.h"

namespace kdm {

std::string_view WalkedText(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

std::int32_t NextFrameIn(std::string_view walked, std::int32_t from) {
    if (from < 0 || static_cast<std::size_t>(from) >= walked.size()) return -1;
    const std::size_t stx = walked.find(STX, static_cast<std::size_t>(from));
    if (stx == std::string_view::npos || walked.size() - stx < kFrameBytes) return -1;
    return static_cast<std::int32_t>(stx);
}

std::int32_t NextFrame(std::string_view text, std::int32_t from) {
    return NextFrameIn(WalkedText(text), from);
}

int CountFrames(std::string_view text) {
    const std::string_view walked = WalkedText(text);
    const std::size_t g = walked.find('g');
    if (g == std::string_view::npos) return 0;
    int frames = 0;
    for (std::int32_t at = NextFrameIn(walked, static_cast<std::int32_t>(g)); at >= 0;
         at = NextFrameIn(walked, at + 1))
        ++frames;
    return frames;
}

}  // namespace kdm
