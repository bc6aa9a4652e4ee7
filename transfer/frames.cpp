#include "transfer/frames.h"

#include "link/telegram.h"

namespace kdm {

std::int32_t NextFrame(std::string_view text, std::int32_t from) {
    const int stx = FindLetter(text, STX, from);
    if (stx < 0) return -1;
    const std::size_t nul = text.find('\0');
    const std::size_t end = nul == std::string_view::npos ? text.size() : nul;
    if (static_cast<std::size_t>(stx) + static_cast<std::size_t>(kFrameBytes) > end) return -1;
    return stx;
}

}  // namespace kdm
