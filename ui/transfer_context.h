// What a transfer runs on: the application's link to the device and what goes with it. The application
// owns all of it; a transfer window's worker is handed this for the length of one read or write.
#pragma once

#include <string>

namespace kdm {
class IClock;
class IHistory;
class Link;
class PortMap;
}  // namespace kdm

struct TransferContext {
    kdm::Link& link;
    kdm::IClock& clock;
    // Names the ports in the search report.
    const kdm::PortMap& portMap;
    // Where a saved read, a backup and a completed write are kept.
    kdm::IHistory& history;
    // The temporary file a read stores its records in while it runs.
    std::string tempFilePath;
};
