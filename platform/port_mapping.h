// Where a user points a port name by hand ("COM3" -> "/dev/serial/by-id/usb-FTDI_..."): the rules every
// front end follows before the mapping is stored, so the command line and the port dialog refuse and warn
// alike.
//
// Refused: a name that is not COM1..COM30, a relative path (it would depend on the directory the program
// happens to run in), and any mapping while KDMXP_PORT_DIR decides where the names lead. Stored with a
// warning: a path that does not exist now (a mapping may be made before the adapter is plugged in) or is
// not a character device. An empty path removes the mapping and gives the name back to the default rule.
#pragma once

#include <string>
#include <string_view>

#include "platform/port_map.h"

namespace kdm {

enum class MappingProblem {
    kNone,
    kNotPortName,    // not COM1..COM30
    kRelativePath,   // the path does not begin with '/'
    kPortDirectory,  // KDMXP_PORT_DIR is set: its entries decide
    kNotStored,      // the settings store refused the write
};

enum class MappingWarning {
    kNone,
    kMissing,             // nothing at the path now
    kNotCharacterDevice,  // something that cannot be a serial port
    kUnreadable,          // stat failed for another reason (systemError says which)
};

struct MappingResult {
    int portNumber = 0;  // 1..30 once the name was understood
    MappingProblem problem = MappingProblem::kNone;
    MappingWarning warning = MappingWarning::kNone;
    int systemError = 0;  // errno of the failed stat, for kUnreadable
    bool stored = false;
};

// Applies the rules without storing anything. The warning is only looked for when nothing refuses.
MappingResult CheckMapping(const PortMap& map, std::string_view name, const std::string& path);
// Checks, and stores the mapping unless refused. `stored` tells whether it was.
MappingResult StoreMapping(PortMap& map, std::string_view name, const std::string& path);

// The sentence saying why a mapping was refused or not stored ("Not an absolute path: dev/ttyUSB0 (give
// the whole path, for example /dev/ttyUSB0)"); empty when there is no problem.
std::string MappingProblemText(const MappingResult& result, std::string_view name, const std::string& path);
// The sentence a warning stands for ("/dev/ttyUSB7 does not exist; COM5 leads nowhere until it does.");
// empty when there is none.
std::string MappingWarningText(const MappingResult& result, const std::string& path);

}  // namespace kdm
