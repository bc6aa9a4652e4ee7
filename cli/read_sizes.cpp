#include "cli/read_sizes.h"

#include <cstdint>

namespace kdmcli {
namespace {

// The telegram between STX and ETX (or the first 14 characters), as hex digits: a value name that any
// file system takes, whatever bytes the device sent.
std::string ValueName(const std::string& identification) {
    std::string text = identification;
    if (!text.empty() && text.front() == '\x02') text.erase(0, 1);
    text = text.substr(0, 14);
    static const char kDigits[] = "0123456789abcdef";
    std::string name;
    for (const char character : text) {
        const auto c = static_cast<unsigned char>(character);
        name += kDigits[c >> 4];
        name += kDigits[c & 0x0f];
    }
    return name;
}

}  // namespace

int LastReadSize(kdm::ISettingsStore& settings, const std::string& identification) {
    const std::string name = ValueName(identification);
    kdm::StoredValue value;
    std::uint32_t telegrams = 0;
    if (name.empty() || !settings.ReadValue(kReadSizeKey, name, value) || !kdm::NumberOf(value, telegrams))
        return 0;
    return telegrams > 100000 ? 0 : static_cast<int>(telegrams);
}

bool RememberReadSize(kdm::ISettingsStore& settings, const std::string& identification, int telegrams) {
    const std::string name = ValueName(identification);
    if (name.empty() || telegrams <= 0 || !settings.CreateKey(kReadSizeKey, false)) return false;
    return settings.WriteValue(kReadSizeKey, name, kdm::NumberValue(static_cast<std::uint32_t>(telegrams)));
}

}  // namespace kdmcli
