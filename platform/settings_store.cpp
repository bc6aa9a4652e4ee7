#include "platform/settings_store.h"

namespace kdm {

StoredValue TextValue(std::string_view text) {
    return StoredValue{ValueType::kText, std::string(text)};
}

StoredValue NumberValue(std::uint32_t number) {
    StoredValue value{ValueType::kNumber, std::string(4, '\0')};
    for (std::size_t i = 0; i < 4; ++i)
        value.bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFFu);
    return value;
}

bool NumberOf(const StoredValue& value, std::uint32_t& number) {
    if (value.bytes.size() < 4) return false;
    number = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        number |= static_cast<std::uint32_t>(static_cast<unsigned char>(value.bytes[i])) << (8 * i);
    }
    return true;
}

}  // namespace kdm
