#include "platform/port_map.h"

#include <cstdlib>

namespace kdm {

namespace {

constexpr std::string_view kComPrefix = "COM";
// The device-namespace form the port dialog uses for two-digit ports.
constexpr std::string_view kDevicePrefix = "\\\\.\\COM";
constexpr int kFirstDeviceFormPort = 10;

std::string PortDirectory() {
    const char* dir = std::getenv("KDMXP_PORT_DIR");
    return dir == nullptr ? std::string() : std::string(dir);
}

// "1".."30" without leading zeros or signs; 0 otherwise.
int PortDigits(std::string_view digits) {
    if (digits.empty() || digits.size() > 2 || digits.front() == '0') return 0;
    int n = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + (c - '0');
    }
    return n <= kMaxPortNumber ? n : 0;
}

std::string CanonicalName(int portNumber) {
    return std::string(kComPrefix) + std::to_string(portNumber);
}

}  // namespace

int PortNumberOfName(std::string_view name) {
    if (name.substr(0, kDevicePrefix.size()) == kDevicePrefix) {
        const int n = PortDigits(name.substr(kDevicePrefix.size()));
        return n >= kFirstDeviceFormPort ? n : 0;
    }
    if (name.substr(0, kComPrefix.size()) == kComPrefix) return PortDigits(name.substr(kComPrefix.size()));
    return 0;
}

PortMap::PortMap(ISettingsStore* settings) : settings_(settings) {}

std::string PortMap::DevicePathOf(std::string_view name) const {
    const int n = PortNumberOfName(name);
    if (n == 0) return {};
    const std::string directory = PortDirectory();
    if (!directory.empty()) return directory + "/" + CanonicalName(n);
    if (settings_ != nullptr) {
        StoredValue value;
        if (settings_->ReadValue(kPortMapKey, CanonicalName(n), value) && value.type == ValueType::kText &&
            !value.bytes.empty() && value.bytes.find('\0') == std::string::npos) {
            return value.bytes;
        }
    }
    return "/dev/ttyS" + std::to_string(n - 1);
}

bool PortMap::SetMapping(int portNumber, const std::string& devicePath) {
    if (portNumber < 1 || portNumber > kMaxPortNumber || settings_ == nullptr || UsesPortDirectory()) {
        return false;
    }
    if (devicePath.find('\0') != std::string::npos) return false;
    // The store has no deletion: an empty text stands for "no mapping" and brings the default back.
    return settings_->CreateKey(kPortMapKey, false) &&
           settings_->WriteValue(kPortMapKey, CanonicalName(portNumber), TextValue(devicePath));
}

bool PortMap::UsesPortDirectory() const {
    return !PortDirectory().empty();
}

}  // namespace kdm
