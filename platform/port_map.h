// Port names users see ("COM1" to "COM30") and the device paths they stand for.
//
//  - KDMXP_PORT_DIR set: "COMn" is the entry COMn in that directory (usually a symlink to a tty);
//    a missing entry is a port that cannot be opened.
//  - Otherwise a user-edited map in the settings store (key kPortMapKey, text value "COMn" holding a
//    device path) decides first. For names not mapped there:
//      * with port discovery: a real UART ttyS(n) is COM(n+1); every other detected port (USB and
//        CDC-ACM adapters first) gets the lowest COM1..COM9 name nothing else holds (COM10..COM30 when
//        those are gone), remembered by the adapter's identities under kAdapterMemoryKey so that it
//        keeps its name when it comes back, in any socket, and in the moment after plugging in before
//        udev has made its by-id link (a refresh then does not rename it). Names that hold nothing
//        lead nowhere: a phantom UART holds no name.
//      * without discovery (none given, or the system offers none): /dev/ttyS(n-1).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/port_discovery.h"
#include "platform/settings_store.h"

namespace kdm {

inline constexpr std::string_view kPortMapKey = "Software\\Dorvik\\KDM_XP\\Ports";
// Lasting: text value "COMn" holding the identities of the adapter last given COMn, one a line: its
// PortIdentity with udev's by-id link, then the one without (serial number, or vendor and product).
inline constexpr std::string_view kAdapterMemoryKey = "Software\\Dorvik\\KDM_XP\\Adapters";
inline constexpr int kMaxPortNumber = 30;
// Adapters get names among COM1..COM9 first: the device search scans those.
inline constexpr int kScannedPortCount = 9;

// "COM7" -> 7; 0 for anything else. "\\.\COM12" is accepted too.
int PortNumberOfName(std::string_view name);

// Why a name leads where it does.
enum class PortSource {
    kDirectory,    // the entry in KDMXP_PORT_DIR
    kUserMapping,  // kdmxp-cli ports --map
    kUart,         // a real UART: COM(n+1) = ttyS(n)
    kAdapter,      // an adapter (or other detected port) given a free name
    kFixedRule,    // /dev/ttyS(n-1), when there is no discovery
    kNone,         // the name holds nothing
};

struct PortAssignment {
    int number = 0;
    std::string name;        // "COM3"
    std::string devicePath;  // empty when the name holds nothing
    PortSource source = PortSource::kNone;
    bool detected = false;  // `port` describes the device devicePath leads to
    DetectedPort port;
};

struct PortTable {
    std::vector<PortAssignment> names;  // COM1..COM30, in order
    std::vector<DetectedPort> unnamed;  // detected ports no name leads to (every name was taken)
    bool discovered = false;            // discovery ran and answered
};

class PortMap {
  public:
    // `settings` may be null (then only the directory and the default rules apply, and nothing is
    // remembered). `discovery` may be null: then unmapped names follow the fixed /dev/ttyS(n-1) rule.
    // Both must outlive the map.
    explicit PortMap(ISettingsStore* settings, IPortDiscovery* discovery = nullptr);
    // Device path for a port name; empty when the name is not a port name or holds nothing. An absolute
    // device path stands for itself (a port given directly, kdmxp-cli --port /dev/ttyUSB0).
    std::string DevicePathOf(std::string_view name) const;
    // Every name with what it stands for right now. Giving a name to an adapter seen for the first time
    // records it (that is how it keeps the name), so this writes to the settings store.
    PortTable Table() const;
    // The port numbers the device search scans, in order. With KDMXP_PORT_DIR or without discovery,
    // COM1 to COM9 as always. Otherwise the names among COM1 to COM9 that hold something, USB adapters
    // first: that is where a device is plugged in nowadays, and a silent built-in port costs the search
    // ten seconds.
    std::vector<int> ScanOrder() const;
    // Stores a lasting mapping "COMn" -> path (an empty path removes it, back to the default rule).
    bool SetMapping(int portNumber, const std::string& devicePath);
    // True when KDMXP_PORT_DIR decides the mapping.
    bool UsesPortDirectory() const;

  private:
    std::string UserMapping(int portNumber) const;
    // Records that the adapter known by `identities` (its own first) now has the name COM<portNumber>;
    // keeps `remembered` in step. Nothing for an adapter without an identity of its own.
    void Remember(int portNumber, const std::vector<std::string>& identities,
                  std::vector<std::string>& remembered) const;
    ISettingsStore* settings_;
    IPortDiscovery* discovery_;
};

}  // namespace kdm
