// Fuzzes the print layout with arbitrary file texts and paths. Whatever the bytes, every item must stay
// on its page, no two items may share a line, no line may exceed the line buffer, pages must follow
// each other, and the body lines must hold exactly the characters of the text's runs.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "files/print_layout.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte picks how much of the rest is the path, scaled so that paths longer than a line
    // (and long enough to push the body down) occur.
    const std::size_t pathLength = std::min<std::size_t>(static_cast<std::size_t>(data[0]) * 8, size - 1);
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string_view path = bytes.substr(0, pathLength);
    const std::string_view text = bytes.substr(pathLength);

    const kdm::PrintLayout layout = kdm::LayOutPrintText(text, path);
    Check(layout.pageCount >= 1);
    std::set<std::pair<int, int>> taken;
    int lastPage = 1;
    std::string body;
    std::size_t bodyLines = 0;
    for (const kdm::PrintItem& item : layout.items) {
        Check(item.y >= kdm::kPrintHeadingY && item.y <= kdm::kPrintBodyLastY);
        Check(item.text.size() <= kdm::kPrintLineChars);
        Check(taken.insert({item.page, item.y}).second);
        Check(item.page == lastPage || item.page == lastPage + 1);
        lastPage = item.page;
        if (item.kind == kdm::PrintItemKind::kBody) {
            body += item.text;
            ++bodyLines;
        }
    }
    Check(lastPage == layout.pageCount);
    // The printed body never holds more characters than the text, nor a delimiter.
    Check(body.size() <= text.size());
    Check(body.find('\x02') == std::string::npos && body.find('\t') == std::string::npos);
    Check(bodyLines <= text.size());
    return 0;
}
