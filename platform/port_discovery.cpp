#include "platform/port_discovery.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>

namespace kdm {

namespace {

// The serial core's names for the UART types a PC is likely to have (numbering of the kernel's
// PORT_* constants).
const char* UartTypeName(int type) {
    static const char* const kNames[] = {nullptr,  "8250",  "16450",   "16550", "16550A",
                                         "Cirrus", "16650", "16650V2", "16750", "Startech",
                                         "16C950", "16654", "16850",   "RSA",   "NS16550A"};
    if (type <= 0 || type >= static_cast<int>(sizeof kNames / sizeof kNames[0])) return nullptr;
    return kNames[type];
}

std::string Hex4(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", static_cast<unsigned>(value));
    return text;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::string Normal(const std::string& path) {
    return std::filesystem::path(path).lexically_normal().string();
}

bool SameCharacterDevice(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && S_ISCHR(sa.st_mode) &&
           S_ISCHR(sb.st_mode) && sa.st_rdev == sb.st_rdev;
}

}  // namespace

std::string DescribePort(const DetectedPort& port) {
    switch (port.kind) {
        case PortKind::kUsb: {
            std::string text = port.manufacturer;
            // Many adapters repeat the maker in the product string ("Prolific ..." / "Prolific Technology
            // Inc. USB-Serial Controller"); say it once.
            if (!port.product.empty()) {
                if (text.empty() || StartsWith(port.product, text)) {
                    text = port.product;
                } else {
                    text += " " + port.product;
                }
            }
            if (text.empty()) text = "USB serial adapter " + Hex4(port.vendorId) + ":" + Hex4(port.productId);
            if (!port.serialNumber.empty()) text += ", serial " + port.serialNumber;
            return text;
        }
        case PortKind::kUart: {
            const char* type = UartTypeName(port.uartType);
            return type == nullptr ? std::string("built-in serial port")
                                   : std::string("built-in serial port (") + type + ")";
        }
        case PortKind::kOther:
            break;
    }
    return port.driver.empty() ? std::string("serial port") : "serial port (" + port.driver + ")";
}

std::string PortIdentity(const DetectedPort& port) {
    if (port.kind != PortKind::kUsb) return {};
    if (!port.byIdPath.empty()) return "by-id:" + std::filesystem::path(port.byIdPath).filename().string();
    if (port.serialNumber.empty()) return {};
    return "usb:" + Hex4(port.vendorId) + ":" + Hex4(port.productId) + ":" + port.serialNumber + ":if" +
           port.interfaceNumber;
}

const DetectedPort* FindDetectedPort(const std::vector<DetectedPort>& ports, const std::string& devicePath) {
    if (devicePath.empty()) return nullptr;
    const std::string wanted = Normal(devicePath);
    for (const DetectedPort& port : ports) {
        if (wanted == Normal(port.devicePath) ||
            (!port.byIdPath.empty() && wanted == Normal(port.byIdPath))) {
            return &port;
        }
    }
    // Another name for the same device: a link of the user's own, /dev/serial/by-path, a symlink farm.
    for (const DetectedPort& port : ports) {
        if (SameCharacterDevice(devicePath, port.devicePath)) return &port;
    }
    return nullptr;
}

}  // namespace kdm
