#include "platform/result.h"

#include <string.h>

namespace kdm {

namespace {

// strerror_r comes in two shapes, the XSI one returning an int and the GNU one returning the text; the
// overloads take whichever the C library declares.
[[maybe_unused]] const char* TextOf(int rc, const char* buffer) {
    return rc == 0 ? buffer : nullptr;
}
[[maybe_unused]] const char* TextOf(const char* text, const char*) {
    return text;
}

}  // namespace

std::string SystemErrorText(int errnum) {
    char buffer[256] = {};
    const char* text = TextOf(strerror_r(errnum, buffer, sizeof buffer), buffer);
    if (text == nullptr || *text == '\0') return "error " + std::to_string(errnum);
    return text;
}

Failure SystemFailure(int errnum, std::string_view what) {
    std::string reason(what);
    reason += ": ";
    reason += SystemErrorText(errnum);
    return Failure(errnum, std::move(reason));
}

}  // namespace kdm
