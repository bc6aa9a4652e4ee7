// The settings store on disk. Each key is a directory (backslashes in the key become path separators),
// each value a small file "<name>.value" holding a type line and the bytes.
//
// Roots: KDMXP_SETTINGS_DIR, when set, holds everything ("lasting/" and "volatile/" below it).
// Otherwise lasting keys live under $XDG_CONFIG_HOME/kdmxp (default ~/.config/kdmxp) and volatile keys
// under $XDG_RUNTIME_DIR/kdmxp (a tmpfs that is emptied when the machine restarts; falls back to
// /tmp/kdmxp-<uid>). A key is looked up in the lasting root first, then in the volatile one. Values are
// replaced atomically (platform/atomic_save.h). Only regular files count as values: a symbolic link, a FIFO
// or anything else at a value's name reads as missing (without blocking) and is not written over.
#pragma once

#include <string>

#include "platform/settings_store.h"

namespace kdm {

class FileSettingsStore final : public ISettingsStore {
  public:
    // Roots from the environment as described above.
    FileSettingsStore();
    // Explicit roots (tests).
    FileSettingsStore(std::string lastingRoot, std::string volatileRoot);

    bool CreateKey(std::string_view key, bool volatileKey) override;
    bool KeyExists(std::string_view key) override;
    bool ReadValue(std::string_view key, std::string_view name, StoredValue& value) override;
    bool WriteValue(std::string_view key, std::string_view name, const StoredValue& value) override;

    const std::string& LastingRoot() const { return lasting_; }
    const std::string& VolatileRoot() const { return volatile_; }

  private:
    std::string lasting_;
    std::string volatile_;
};

// Parses the content of a stored value file; false for anything malformed. Exposed for the fuzzer.
bool ParseStoredValue(std::string_view content, StoredValue& value);
std::string SerializeStoredValue(const StoredValue& value);

}  // namespace kdm
