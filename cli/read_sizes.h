// How many telegrams the last read of a device brought, remembered per identification, so that the
// next read of it can show a total and the time to go from its first telegrams on.
#pragma once

#include <string>

#include "platform/settings_store.h"

namespace kdmcli {

// Lasting key; each value is named after the hex digits of an identification telegram's characters.
inline constexpr const char* kReadSizeKey = "Software\\Dorvik\\KDM_XP\\ReadSizes";

// The telegrams stored by the last complete read of the device that identified itself so; 0 when not
// known.
int LastReadSize(kdm::ISettingsStore& settings, const std::string& identification);
// Remembers a complete read's count; false when the store would not take it (the read stays as good).
bool RememberReadSize(kdm::ISettingsStore& settings, const std::string& identification, int telegrams);

}  // namespace kdmcli
