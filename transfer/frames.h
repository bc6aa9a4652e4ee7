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
// `from` or one at or after the end gives -1.
std::int32_t NextFrame(std::string_view text, std::int32_t from);

}  // namespace kdm
