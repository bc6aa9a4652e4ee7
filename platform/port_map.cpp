#include "platform/port_map.h"

#include <cstdio>
#include <cstdlib>
#include <map>

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

std::string FixedRulePath(int portNumber) {
    return "/dev/ttyS" + std::to_string(portNumber - 1);
}

// A remembered name holds every identity its adapter was seen with, one a line, the one it has with
// udev's by-id link first (a single identity is what older versions stored).
constexpr char kIdentitySeparator = '\n';

bool Holds(std::string_view slot, std::string_view identity) {
    while (!slot.empty()) {
        const std::size_t end = slot.find(kIdentitySeparator);
        if (slot.substr(0, end) == identity) return true;
        if (end == std::string_view::npos) break;
        slot.remove_prefix(end + 1);
    }
    return false;
}

// What an adapter is known by: its identity now (PortIdentity: the by-id name when udev has made the
// link, else the serial number), then what it is known by without the link, so that the name given
// in the moment between the kernel's device and udev's link stays the adapter's once the link is
// there, and the other way round. A USB adapter without serial number is known without the link by
// its kind alone ("usb:067b:2303::if00"), which only finds a name it had with its link: on its own it
// tells two such adapters no better than their by-id names do. Empty strings for what it lacks.
std::vector<std::string> AdapterIdentities(const DetectedPort& port) {
    std::vector<std::string> identities = {PortIdentity(port)};
    if (port.kind != PortKind::kUsb) return identities;
    DetectedPort withoutLink = port;
    withoutLink.byIdPath.clear();
    std::string bare = PortIdentity(withoutLink);
    if (bare.empty()) {
        char kind[32];
        std::snprintf(kind, sizeof kind, "usb:%04x:%04x::if", static_cast<unsigned>(port.vendorId),
                      static_cast<unsigned>(port.productId));
        bare = kind + port.interfaceNumber;
    }
    if (bare != identities.front()) identities.push_back(bare);
    return identities;
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

PortMap::PortMap(ISettingsStore* settings, IPortDiscovery* discovery)
    : settings_(settings), discovery_(discovery) {}

std::string PortMap::UserMapping(int portNumber) const {
    if (settings_ == nullptr) return {};
    StoredValue value;
    if (settings_->ReadValue(kPortMapKey, CanonicalName(portNumber), value) &&
        value.type == ValueType::kText && !value.bytes.empty() &&
        value.bytes.find('\0') == std::string::npos) {
        return value.bytes;
    }
    return {};
}

std::string PortMap::DevicePathOf(std::string_view name) const {
    if (!name.empty() && name.front() == '/') return std::string(name);
    const int n = PortNumberOfName(name);
    if (n == 0) return {};
    const std::string directory = PortDirectory();
    if (!directory.empty()) return directory + "/" + CanonicalName(n);
    if (discovery_ == nullptr) {
        const std::string mapped = UserMapping(n);
        return mapped.empty() ? FixedRulePath(n) : mapped;
    }
    return Table().names[static_cast<std::size_t>(n - 1)].devicePath;
}

PortTable PortMap::Table() const {
    PortTable table;
    std::vector<DetectedPort> ports;
    if (discovery_ != nullptr) table.discovered = discovery_->Discover(ports);
    for (int n = 1; n <= kMaxPortNumber; ++n) {
        PortAssignment entry;
        entry.number = n;
        entry.name = CanonicalName(n);
        table.names.push_back(std::move(entry));
    }
    const auto describe = [&ports](PortAssignment& entry) {
        if (const DetectedPort* found = FindDetectedPort(ports, entry.devicePath)) {
            entry.detected = true;
            entry.port = *found;
        }
    };

    const std::string directory = PortDirectory();
    if (!directory.empty()) {
        for (PortAssignment& entry : table.names) {
            entry.devicePath = directory + "/" + entry.name;
            entry.source = PortSource::kDirectory;
            describe(entry);
        }
        return table;
    }

    // Which detected ports a name leads to already; the rest still need one.
    std::vector<bool> named(ports.size(), false);
    const auto markNamed = [&ports, &named](const DetectedPort& port) {
        named[static_cast<std::size_t>(&port - ports.data())] = true;
    };
    const auto isNamed = [&ports, &named](const DetectedPort& port) {
        return static_cast<bool>(named[static_cast<std::size_t>(&port - ports.data())]);
    };
    for (PortAssignment& entry : table.names) {
        entry.devicePath = UserMapping(entry.number);
        if (entry.devicePath.empty()) continue;
        entry.source = PortSource::kUserMapping;
        describe(entry);
        if (const DetectedPort* found = FindDetectedPort(ports, entry.devicePath)) markNamed(*found);
    }
    if (!table.discovered) {
        for (PortAssignment& entry : table.names) {
            if (entry.source != PortSource::kNone) continue;
            entry.devicePath = FixedRulePath(entry.number);
            entry.source = PortSource::kFixedRule;
        }
        return table;
    }

    const auto give = [&table, &markNamed](int n, const DetectedPort& port, PortSource source) {
        PortAssignment& entry = table.names[static_cast<std::size_t>(n - 1)];
        entry.devicePath = port.devicePath;
        entry.source = source;
        entry.detected = true;
        entry.port = port;
        markNamed(port);
    };
    const auto isFree = [&table](int n) {
        return table.names[static_cast<std::size_t>(n - 1)].source == PortSource::kNone;
    };

    // Real UARTs keep the names they have always had.
    for (const DetectedPort& port : ports) {
        if (port.kind != PortKind::kUart || isNamed(port)) continue;
        const int n = port.uartNumber + 1;
        if (n >= 1 && n <= kMaxPortNumber && isFree(n)) {
            give(n, port, PortSource::kUart);
        } else {
            table.unnamed.push_back(port);  // beyond COM30, or the user gave its name to another device
        }
    }

    // Everything else gets a free name: USB adapters first, each in kernel-name order.
    std::vector<const DetectedPort*> adapters;
    for (const PortKind kind : {PortKind::kUsb, PortKind::kOther}) {
        for (const DetectedPort& port : ports) {
            if (port.kind == kind && !isNamed(port)) adapters.push_back(&port);
        }
    }
    if (adapters.empty()) return table;

    std::vector<std::string> remembered(kMaxPortNumber + 1);
    if (settings_ != nullptr) {
        for (int n = 1; n <= kMaxPortNumber; ++n) {
            StoredValue value;
            if (settings_->ReadValue(kAdapterMemoryKey, CanonicalName(n), value) &&
                value.type == ValueType::kText) {
                remembered[static_cast<std::size_t>(n)] = value.bytes;
            }
        }
    }
    // An identity two present ports share tells neither apart: neither uses it.
    std::vector<std::vector<std::string>> identities;
    std::map<std::string, int> uses;
    for (const DetectedPort* port : adapters) {
        identities.push_back(AdapterIdentities(*port));
        for (const std::string& identity : identities.back())
            ++uses[identity];
    }
    for (std::vector<std::string>& known : identities) {
        for (std::string& identity : known) {
            if (uses[identity] > 1) identity.clear();
        }
    }

    // First the adapters coming back to a name they had: by the identity they have now, then (an
    // adapter seen before udev made its by-id link, or after) by the other one they were known by.
    std::vector<bool> done(adapters.size(), false);
    for (const bool primary : {true, false}) {
        for (std::size_t i = 0; i < adapters.size(); ++i) {
            if (done[i]) continue;
            const std::size_t from = primary ? 0 : 1;
            const std::size_t to = primary ? 1 : identities[i].size();
            for (std::size_t k = from; k < to && !done[i]; ++k) {
                const std::string& identity = identities[i][k];
                if (identity.empty()) continue;
                for (int n = 1; n <= kMaxPortNumber && !done[i]; ++n) {
                    if (!isFree(n) || !Holds(remembered[static_cast<std::size_t>(n)], identity)) continue;
                    give(n, *adapters[i], PortSource::kAdapter);
                    done[i] = true;
                    // The memory learns an identity it lacked (the by-id name udev has made since).
                    if (!identities[i][0].empty() &&
                        !Holds(remembered[static_cast<std::size_t>(n)], identities[i][0]))
                        Remember(n, identities[i], remembered);
                }
            }
        }
    }
    // Then the new ones, on names no absent adapter had last, if there are such names.
    const auto pickFree = [&](int from, int to) {
        for (const bool spareRemembered : {true, false}) {
            for (int n = from; n <= to; ++n) {
                if (isFree(n) && (!spareRemembered || remembered[static_cast<std::size_t>(n)].empty())) {
                    return n;
                }
            }
        }
        return 0;
    };
    for (std::size_t i = 0; i < adapters.size(); ++i) {
        if (done[i]) continue;
        int n = pickFree(1, kScannedPortCount);
        if (n == 0) n = pickFree(kScannedPortCount + 1, kMaxPortNumber);
        if (n == 0) {
            table.unnamed.push_back(*adapters[i]);
            continue;
        }
        give(n, *adapters[i], PortSource::kAdapter);
        Remember(n, identities[i], remembered);
    }
    return table;
}

void PortMap::Remember(int portNumber, const std::vector<std::string>& identities,
                       std::vector<std::string>& remembered) const {
    // Without an identity of its own (a USB adapter without serial number, before or without udev) an
    // adapter is not told apart from another of its kind: nothing is remembered.
    if (identities.empty() || identities.front().empty()) return;
    if (settings_ == nullptr || !settings_->CreateKey(kAdapterMemoryKey, false)) return;
    std::string known;
    for (const std::string& identity : identities) {
        if (identity.empty()) continue;
        if (!known.empty()) known += kIdentitySeparator;
        known += identity;
    }
    // One name per identity: a name the adapter had before, now held by something else, is forgotten.
    for (int n = 1; n <= kMaxPortNumber; ++n) {
        std::string& slot = remembered[static_cast<std::size_t>(n)];
        bool wanted = n == portNumber && slot != known;
        if (n != portNumber) {
            for (const std::string& identity : identities)
                wanted = wanted || (!identity.empty() && Holds(slot, identity));
        }
        if (!wanted) continue;
        slot = n == portNumber ? known : std::string();
        settings_->WriteValue(kAdapterMemoryKey, CanonicalName(n), TextValue(slot));
    }
}

std::vector<int> PortMap::ScanOrder() const {
    std::vector<int> order;
    if (UsesPortDirectory() || discovery_ == nullptr) {
        for (int n = 1; n <= kScannedPortCount; ++n)
            order.push_back(n);
        return order;
    }
    const PortTable table = Table();
    const auto isAdapter = [](const PortAssignment& entry) {
        return entry.source == PortSource::kAdapter || (entry.source == PortSource::kUserMapping &&
                                                        entry.detected && entry.port.kind == PortKind::kUsb);
    };
    for (const bool adapters : {true, false}) {
        for (int n = 1; n <= kScannedPortCount; ++n) {
            const PortAssignment& entry = table.names[static_cast<std::size_t>(n - 1)];
            if (!entry.devicePath.empty() && isAdapter(entry) == adapters) order.push_back(n);
        }
    }
    return order;
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
