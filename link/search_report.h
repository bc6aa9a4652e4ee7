// What the last device search found on each port it tried, in words a user can act on. The search's
// own message ("No Dorvik-device found") says only that it failed; these lines, shown below it, say why:
//
//   COM1 /dev/ttyS0: no answer in 10 s
//   COM2 /dev/ttyUSB0: no permission (add yourself to the dialout group: sudo adduser $USER dialout,
//   then log in again)
//   COM3 /dev/ttyACM0: held by another program (pid 4711 cupsd)
#pragma once

#include <string>
#include <vector>

#include "link/link.h"
#include "platform/port_map.h"

namespace kdm {

// One line per attempt that found no device. A port that could not be opened is looked at again now to
// say why (the reason may have changed since; that is as good as it gets without holding the port).
std::vector<std::string> DescribeSearchAttempts(const std::vector<SearchAttempt>& attempts,
                                                const PortMap& map);

}  // namespace kdm
