// Device behaviours for the link tests, written on top of the scripted port.
#pragma once

#include <string>

#include "link/link.h"
#include "link/telegram.h"
#include "support/fakes.h"

namespace linktest {

inline const std::string kIdentification14 = "0g+A12000--xyz";
inline const std::string kStatusRequest = "0F+000000--539";

inline std::string StatusReply(const std::string& errorDigits) {
    return kdmtest::ScriptedPort::Frame("0F+0000" + errorDigits + "--999");
}

// A device on port n: it identifies itself as soon as the port is read and answers every status request
// with error number 0.
inline void AddDevice(kdmtest::ScriptedPort& port, int n) {
    port.AddPort(n);
    port.Feed(n, kdmtest::ScriptedPort::Frame(kIdentification14));
    port.OnWrite(n, kStatusRequest, StatusReply("00"));
}

inline void AddSilentPorts(kdmtest::ScriptedPort& port, int from, int to) {
    for (int n = from; n <= to; ++n)
        port.AddPort(n);
}

inline void StoreText(kdmtest::MemorySettingsStore& store, const std::string& text) {
    store.CreateKey(kdm::kSearchKey, false);
    store.WriteValue(kdm::kSearchKey, kdm::kPortValueName, kdm::TextValue(text));
}

// The stored text of the search's port value, or "<none>".
inline std::string StoredText(kdmtest::MemorySettingsStore& store) {
    kdm::StoredValue value;
    if (!store.ReadValue(kdm::kSearchKey, kdm::kPortValueName, value)) return "<none>";
    return value.bytes;
}

// Everything a link test needs, wired together.
struct Rig {
    kdmtest::FakeClock clock;
    kdmtest::ScriptedPort port{clock};
    kdmtest::MemorySettingsStore store;
    kdm::Link link{port, store};
};

// A rig with port 1 open.
struct OpenRig : Rig {
    OpenRig() {
        port.AddPort(1);
        link.OpenPort(1);
    }
};

inline const std::string kStx(1, kdm::STX);

}  // namespace linktest
