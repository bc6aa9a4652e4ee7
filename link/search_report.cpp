#include "link/search_report.h"

#include "link/telegram.h"
#include "platform/port_holders.h"
#include "platform/posix_serial_port.h"
#include "platform/result.h"

namespace kdm {

namespace {

// The whole wait of one silent port, in seconds: the start bound of one receive.
constexpr int kSilentPortSeconds = kStartReadLimit / 10;

std::string WhyNotOpened(const std::string& devicePath) {
    PortProbe probe;
    if (PosixSerialPort::CanOpenPath(devicePath, &probe)) return "could not be opened at the time";
    switch (probe.problem) {
        case PortProblem::kNone:
            break;
        case PortProblem::kNotMapped:
            return "no device is assigned to this name";
        case PortProblem::kMissing:
            return "missing (the device does not exist)";
        case PortProblem::kNotCharacterDevice:
            return "not a serial device";
        case PortProblem::kBusy: {
            const std::string holders = DescribePortHolders(FindPortHolders(devicePath));
            return holders.empty() ? "held by another program" : "held by another program (" + holders + ")";
        }
        case PortProblem::kPermission: {
            const std::string group = probe.groupName.empty() ? "dialout" : probe.groupName;
            return "no permission (add yourself to the " + group + " group: sudo adduser $USER " + group +
                   ", then log in again)";
        }
        case PortProblem::kOther:
            return "cannot be opened (" + SystemErrorText(probe.systemError) + ")";
    }
    return "cannot be opened";
}

}  // namespace

std::vector<std::string> DescribeSearchAttempts(const std::vector<SearchAttempt>& attempts,
                                                const PortMap& map) {
    std::vector<std::string> lines;
    for (const SearchAttempt& attempt : attempts) {
        if (attempt.outcome == PortOutcome::kFound) continue;
        const std::string path = map.DevicePathOf(attempt.portName);
        std::string line = attempt.portName;
        if (!path.empty() && path != attempt.portName) line += " " + path;
        line += ": ";
        switch (attempt.outcome) {
            case PortOutcome::kNotOpened:
                line += WhyNotOpened(path);
                break;
            case PortOutcome::kNoLineSettings:
                line += "does not take the line settings (4800 baud, 8 data bits, no parity, 1 stop bit)";
                break;
            case PortOutcome::kNoAnswer:
                line += "no answer in " + std::to_string(kSilentPortSeconds) + " s";
                break;
            case PortOutcome::kNotIdentified:
                line += "something answered, but not with a device identification";
                break;
            case PortOutcome::kLineGone:
                line += "the line went away (unplugged?)";
                break;
            case PortOutcome::kStatusFailed:
                line += attempt.errorNumber == kNoDeviceResponse
                            ? "a device identified itself but did not answer the status request"
                            : "a device identified itself but reported error " +
                                  std::to_string(attempt.errorNumber);
                break;
            case PortOutcome::kStopped:
                line += "stopped";
                break;
            case PortOutcome::kFound:
                break;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace kdm
