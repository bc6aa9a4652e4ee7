// Fuzzes the settings store's reading of a stored value file. Whatever the bytes, the parser must not
// read outside them, must accept only what a writer could have produced (a known type, a length that
// matches the bytes that follow), and what it accepts must survive a write and a second read unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/file_settings_store.h"
#include "platform/settings_store.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool Same(const kdm::StoredValue& a, const kdm::StoredValue& b) {
    return a.type == b.type && a.bytes == b.bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);

    kdm::StoredValue value;
    value.bytes = "untouched";
    if (kdm::ParseStoredValue(content, value)) {
        // The value is the tail of the content, after the header line.
        Check(value.bytes.size() < content.size());
        Check(content.substr(content.size() - value.bytes.size()) == value.bytes);
        const std::size_t newline = content.find('\n');
        Check(newline != std::string_view::npos && newline + 1 + value.bytes.size() == content.size());
        Check(content.substr(0, newline).find(value.type == kdm::ValueType::kNumber ? "number " : "text ") ==
              0);

        const std::string written = kdm::SerializeStoredValue(value);
        kdm::StoredValue again;
        Check(kdm::ParseStoredValue(written, again));
        Check(Same(value, again));
        Check(kdm::SerializeStoredValue(again) == written);
        std::uint32_t number = 0;
        Check(kdm::NumberOf(value, number) == (value.bytes.size() >= 4));
    } else {
        // A refused file leaves the caller's value as it was.
        Check(value.bytes == "untouched" && value.type == kdm::ValueType::kText);
    }

    // Any bytes a program stores (the first byte picks the type) are read back exactly.
    if (size >= 1) {
        kdm::StoredValue stored;
        stored.type = (data[0] & 1) != 0 ? kdm::ValueType::kNumber : kdm::ValueType::kText;
        stored.bytes.assign(content.substr(1));
        kdm::StoredValue back;
        const bool parsed = kdm::ParseStoredValue(kdm::SerializeStoredValue(stored), back);
        // Values beyond the store's limit are refused on writing, so only those may fail here.
        Check(parsed == (stored.bytes.size() <= 4096));
        if (parsed) Check(Same(stored, back));
    }
    return 0;
}
