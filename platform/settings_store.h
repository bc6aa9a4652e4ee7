// A small per-machine key/value store in place of a registry: keys are paths written with backslashes
// ("Software\Dorvik\KDM_XP"), each holding named, typed values.
//
// Keys created by CreateKey with `volatileKey` true last until the machine restarts; keys that already
// exist keep their values across restarts. Values are raw bytes tagged with a type, like a registry
// value: readers decide how much of them they accept. Every call returns false on any failure and
// never throws.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kdm {

enum class ValueType { kText, kNumber };

struct StoredValue {
    ValueType type = ValueType::kText;
    std::string bytes;  // kText: the characters, no terminator; kNumber: 4 bytes, little-endian
};

class ISettingsStore {
  public:
    virtual ~ISettingsStore() = default;
    // Creates the key if it is missing (volatile when asked); true when the key exists afterwards.
    virtual bool CreateKey(std::string_view key, bool volatileKey) = 0;
    virtual bool KeyExists(std::string_view key) = 0;
    virtual bool ReadValue(std::string_view key, std::string_view name, StoredValue& value) = 0;
    // Fails when the key does not exist.
    virtual bool WriteValue(std::string_view key, std::string_view name, const StoredValue& value) = 0;
};

// Helpers for the two value kinds the program stores.
StoredValue TextValue(std::string_view text);
StoredValue NumberValue(std::uint32_t number);
// The first four bytes as a little-endian number, whatever the stored type; false when fewer.
bool NumberOf(const StoredValue& value, std::uint32_t& number);

}  // namespace kdm
