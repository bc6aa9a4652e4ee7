// The write's walk over a data file: where the next stored frame starts. Pure text handling, so the
// walk can be checked (and fuzzed) without a device.
#pragma once

#include <cstdint>
#include <string_view>

#include "link/wire.h"

namespace kdm {

// STX index of the first complete frame (an STX and the 15 bytes after it) at or after `from`, or -1.
// A frame cut short by the end of the text is not a frame, and nothing after it can be one either.
// The text counts as ending at its first NUL, as every reader of a data file takes it. A negative
// `from` or one at or after the end gives -1. Looks for that NUL through the whole text: one search,
// not a walk (a walk is NextFrameIn over WalkedText).
std::int32_t NextFrame(std::string_view text, std::int32_t from);

// The bytes a write walks: the text up to its first NUL.
std::string_view WalkedText(std::string_view text);

// NextFrame over a text that holds no NUL (WalkedText's): it reads only the bytes from `from` to the
// end of the frame it finds, so a walk over a whole file, frame after frame, reads each byte once.
std::int32_t NextFrameIn(std::string_view walked, std::int32_t from);

// The frames a write of `text` sends: every complete frame from the first 'g' on.
int CountFrames(std::string_view text);

}  // namespace kdm
