// What the last device search found on each port it tried, in words a user can act on. The search's
// own message ("No Dorvik-device found") says only that it failed; these lines, shown below it, say why:
//
//   COM1 /dev/ttyS0: no answer in 10 s
//   COM2 /dev/ttyUSB0: no permission (add yourself to the dialout group: sudo adduser $USER dialout,
//   then log in again)
//   COM3 /dev/ttyACM0: held by another program (pid 4711 cupsd)
//
// ExplainSearchAttempts gathers the facts; each front end words them (DescribeSearchAttempt is the
// English of the command line).
#pragma once

#include <string>
#include <vector>

#include "link/link.h"
#include "platform/port_map.h"
#include "platform/posix_serial_port.h"

namespace kdm {

// One port the search tried without finding a device.
struct SearchAttemptReport {
    std::string portName;    // "COM3", or the device path of a direct port
    std::string devicePath;  // the device behind the name; empty when the same as the name or none
    PortOutcome outcome = PortOutcome::kNotOpened;
    int errorNumber = 0;    // kStatusFailed: the device's error number (kNoDeviceResponse: no 'F' came)
    int silentSeconds = 0;  // kNoAnswer: how long the search waited
    // kNotOpened, looked at again now: whether it opens now, and if not, why.
    bool opensNow = false;
    PortProblem problem = PortProblem::kNone;
    int systemError = 0;    // kOther: errno of the refusing call
    std::string groupName;  // kPermission: the group that may open it ("dialout" when unknown)
    std::string holders;    // kBusy: the programs holding it ("pid 4711 cupsd"), empty when unknown
};

// One report per attempt that found no device. A port that could not be opened is looked at again now to
// say why (the reason may have changed since; that is as good as it gets without holding the port).
std::vector<SearchAttemptReport> ExplainSearchAttempts(const std::vector<SearchAttempt>& attempts,
                                                       const PortMap& map);

// "COM1 /dev/ttyS0: no answer in 10 s".
std::string DescribeSearchAttempt(const SearchAttemptReport& report);

// Every line of ExplainSearchAttempts, worded by DescribeSearchAttempt.
std::vector<std::string> DescribeSearchAttempts(const std::vector<SearchAttempt>& attempts,
                                                const PortMap& map);

}  // namespace kdm
