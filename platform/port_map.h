// Port names users see ("COM1" to "COM30") and the device paths they stand for.
//
//  - KDMXP_PORT_DIR set: "COMn" is the entry COMn in that directory (usually a symlink to a tty);
//    a missing entry is a port that cannot be opened.
//  - Otherwise: a user-edited map in the settings store (key kPortMapKey, text value "COMn" holding a
//    device path) and, for ports not mapped there, /dev/ttyS(n-1).
#pragma once

#include <string>
#include <string_view>

#include "platform/settings_store.h"

namespace kdm {

inline constexpr std::string_view kPortMapKey = "Software\\Dorvik\\KDM_XP\\Ports";
inline constexpr int kMaxPortNumber = 30;

// "COM7" -> 7; 0 for anything else. "\\.\COM12" is accepted too.
int PortNumberOfName(std::string_view name);

class PortMap {
  public:
    // `settings` may be null (then only the directory and the default rule apply).
    explicit PortMap(ISettingsStore* settings);
    // Device path for a port name; empty when the name is not a port name.
    std::string DevicePathOf(std::string_view name) const;
    // Stores a lasting mapping "COMn" -> path (an empty path removes it, back to the default rule).
    bool SetMapping(int portNumber, const std::string& devicePath);
    // True when KDMXP_PORT_DIR decides the mapping.
    bool UsesPortDirectory() const;

  private:
    ISettingsStore* settings_;
};

}  // namespace kdm
