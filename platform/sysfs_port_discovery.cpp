// Serial devices from sysfs. Every tty the kernel knows has an entry in /sys/class/tty, a link into
// /sys/devices. Those with a `device` link have hardware (or a driver standing for it) behind them;
// the virtual terminals, ptmx and the console have none. Above the tty, the sysfs tree follows the
// buses: a USB adapter's tty sits below its interface, which sits below the USB device that carries
// idVendor, idProduct and the strings the adapter reports about itself.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "platform/port_discovery.h"

namespace kdm {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxAttributeBytes = 256;
constexpr std::size_t kMaxShownChars = 126;
// From the tty's device up to the USB device: the usb-serial port and the interface lie between.
constexpr int kMaxLevelsToUsbDevice = 4;

std::string RootFromEnvironment(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value == nullptr || *value == '\0' ? std::string(fallback) : std::string(value);
}

// One sysfs attribute: a short line. False when it cannot be read.
bool ReadAttribute(const fs::path& path, std::string& value) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    char buffer[kMaxAttributeBytes];
    ssize_t got;
    do {
        got = read(fd, buffer, sizeof buffer);
    } while (got < 0 && errno == EINTR);
    close(fd);
    if (got < 0) return false;
    value.assign(buffer, static_cast<std::size_t>(got));
    while (!value.empty() && (value.back() == '\n' || value.back() == ' ' || value.back() == '\t')) {
        value.pop_back();
    }
    return true;
}

// The strings an adapter reports come from the device itself; they end up on terminals and in
// dialogs, so control characters are not passed on.
std::string ShownText(const std::string& raw) {
    std::string text;
    for (const char c : raw) {
        if (text.size() >= kMaxShownChars) break;
        const auto byte = static_cast<unsigned char>(c);
        text += byte < 0x20 || byte == 0x7f ? '?' : c;
    }
    while (!text.empty() && text.front() == ' ')
        text.erase(text.begin());
    return text;
}

std::string TextAttribute(const fs::path& path) {
    std::string value;
    return ReadAttribute(path, value) ? ShownText(value) : std::string();
}

// Decimal or hexadecimal digits only; -1 for anything else.
long NumberAttribute(const fs::path& path, int base) {
    std::string value;
    if (!ReadAttribute(path, value) || value.empty() || value.size() > 8) return -1;
    long number = 0;
    for (const char c : value) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return -1;
        }
        number = number * base + digit;
    }
    return number;
}

bool Exists(const fs::path& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec)) && !ec;
}

// "ttyS12" -> 12; -1 when the name is not ttyS followed by digits.
int UartNumberOfName(const std::string& name) {
    constexpr std::string_view kPrefix = "ttyS";
    if (name.size() <= kPrefix.size() || name.size() > kPrefix.size() + 4 ||
        name.compare(0, 4, kPrefix) != 0) {
        return -1;
    }
    int n = 0;
    for (std::size_t i = kPrefix.size(); i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return -1;
        n = n * 10 + (name[i] - '0');
    }
    return n;
}

// Kernel names in the order people count them: ttyS2 before ttyS10.
bool NaturalLess(const std::string& a, const std::string& b) {
    const auto split = [](const std::string& s) {
        std::size_t digits = s.size();
        while (digits > 0 && s[digits - 1] >= '0' && s[digits - 1] <= '9')
            --digits;
        return std::make_pair(s.substr(0, digits), s.substr(digits));
    };
    const auto [stemA, numberA] = split(a);
    const auto [stemB, numberB] = split(b);
    if (stemA != stemB) return stemA < stemB;
    if (numberA.size() != numberB.size()) return numberA.size() < numberB.size();
    return numberA < numberB;
}

// Fills the USB fields when the device lies below a USB device; false when it does not.
bool ReadUsbDevice(const fs::path& device, const fs::path& devicesRoot, DetectedPort& port) {
    fs::path at = device;
    fs::path below;
    for (int level = 0; level <= kMaxLevelsToUsbDevice; ++level) {
        if (at.empty() || at == devicesRoot || at == at.root_path()) return false;
        if (Exists(at / "idVendor") && Exists(at / "idProduct")) {
            const long vendor = NumberAttribute(at / "idVendor", 16);
            const long product = NumberAttribute(at / "idProduct", 16);
            port.vendorId = static_cast<std::uint16_t>(vendor < 0 ? 0 : vendor & 0xffff);
            port.productId = static_cast<std::uint16_t>(product < 0 ? 0 : product & 0xffff);
            port.manufacturer = TextAttribute(at / "manufacturer");
            port.product = TextAttribute(at / "product");
            port.serialNumber = TextAttribute(at / "serial");
            port.usbPath = at.filename().string();
            if (!below.empty()) port.interfaceNumber = TextAttribute(below / "bInterfaceNumber");
            return true;
        }
        below = at;
        at = at.parent_path();
    }
    return false;
}

// The by-id links udev keeps, keyed by the device node each leads to (lexically: the nodes of a test
// tree are links themselves). Several links to one node: the first name wins, for a stable answer.
std::map<std::string, std::string> ByIdLinks(const std::string& devRoot) {
    std::map<std::string, std::string> links;
    const fs::path directory = fs::path(devRoot) / "serial" / "by-id";
    std::error_code ec;
    std::vector<fs::path> names;
    for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
        names.push_back(it->path());
    }
    std::sort(names.begin(), names.end());
    for (const fs::path& link : names) {
        std::error_code linkError;
        const fs::path target = fs::read_symlink(link, linkError);
        if (linkError) continue;
        const fs::path node = (target.is_absolute() ? target : directory / target).lexically_normal();
        links.emplace(node.string(), link.string());
    }
    return links;
}

}  // namespace

bool SysfsPortDiscovery::Discover(std::vector<DetectedPort>& ports) {
    ports.clear();
    const std::string sysfsRoot = RootFromEnvironment("KDMXP_SYSFS_ROOT", "/sys");
    const std::string devRoot = RootFromEnvironment("KDMXP_DEV_ROOT", "/dev");
    const fs::path classDirectory = fs::path(sysfsRoot) / "class" / "tty";
    std::error_code ec;
    if (!fs::is_directory(classDirectory, ec)) return false;
    const fs::path devicesRoot = fs::canonical(fs::path(sysfsRoot) / "devices", ec);

    std::vector<fs::path> entries;
    for (fs::directory_iterator it(classDirectory, ec), end; !ec && it != end; it.increment(ec)) {
        entries.push_back(it->path());
    }
    if (ec) return false;

    for (const fs::path& entry : entries) {
        const fs::path deviceLink = entry / "device";
        if (!Exists(deviceLink)) continue;  // a virtual terminal, the console, ptmx ...
        std::error_code linkError;
        const fs::path device = fs::canonical(deviceLink, linkError);
        if (linkError) continue;
        // Serial-core ports exist whether or not a chip answered at their address; the kernel marks
        // those it found nothing at as type 0 (PORT_UNKNOWN). They cannot be opened and are not ports.
        const long uartType = NumberAttribute(entry / "type", 10);
        if (uartType == 0) continue;

        DetectedPort port;
        port.name = entry.filename().string();
        port.devicePath = (fs::path(devRoot) / port.name).string();
        std::error_code driverError;
        port.driver = fs::read_symlink(device / "driver", driverError).filename().string();
        if (driverError) port.driver.clear();
        if (ReadUsbDevice(device, devicesRoot, port)) {
            port.kind = PortKind::kUsb;
        } else if (UartNumberOfName(port.name) >= 0) {
            port.kind = PortKind::kUart;
            port.uartNumber = UartNumberOfName(port.name);
            port.uartType = static_cast<int>(uartType);
        }
        ports.push_back(std::move(port));
    }

    const std::map<std::string, std::string> links = ByIdLinks(devRoot);
    for (DetectedPort& port : ports) {
        const auto found = links.find(fs::path(port.devicePath).lexically_normal().string());
        if (found != links.end()) port.byIdPath = found->second;
    }
    std::sort(ports.begin(), ports.end(),
              [](const DetectedPort& a, const DetectedPort& b) { return NaturalLess(a.name, b.name); });
    return true;
}

}  // namespace kdm
