#include "link/search_report.h"

#include "link/telegram.h"
#include "platform/port_holders.h"
#include "platform/result.h"

namespace kdm {

namespace {

// The whole wait of one silent port, in seconds: the start bound of one receive.
constexpr int kSilentPortSeconds = kStartReadLimit / 10;

void LookAgain(const std::string& devicePath, SearchAttemptReport& report) {
    PortProbe probe;
    report.opensNow = PosixSerialPort::CanOpenPath(devicePath, &probe);
    if (report.opensNow) return;
    report.problem = probe.problem;
    report.systemError = probe.systemError;
    report.groupName = probe.groupName.empty() ? "dialout" : probe.groupName;
    if (probe.problem == PortProblem::kBusy)
        report.holders = DescribePortHolders(FindPortHolders(devicePath));
}

std::string WhyNotOpened(const SearchAttemptReport& report) {
    if (report.opensNow) return "could not be opened at the time";
    switch (report.problem) {
        case PortProblem::kNone:
            break;
        case PortProblem::kNotMapped:
            return "no device is assigned to this name";
        case PortProblem::kMissing:
            return "missing (the device does not exist)";
        case PortProblem::kNotCharacterDevice:
            return "not a serial device";
        case PortProblem::kBusy:
            return report.holders.empty() ? "held by another program"
                                          : "held by another program (" + report.holders + ")";
        case PortProblem::kPermission:
            return "no permission (add yourself to the " + report.groupName + " group: sudo adduser $USER " +
                   report.groupName + ", then log in again)";
        case PortProblem::kOther:
            return "cannot be opened (" + SystemErrorText(report.systemError) + ")";
    }
    return "cannot be opened";
}

}  // namespace

std::vector<SearchAttemptReport> ExplainSearchAttempts(const std::vector<SearchAttempt>& attempts,
                                                       const PortMap& map) {
    std::vector<SearchAttemptReport> reports;
    for (const SearchAttempt& attempt : attempts) {
        if (attempt.outcome == PortOutcome::kFound) continue;
        SearchAttemptReport report;
        report.portName = attempt.portName;
        const std::string path = map.DevicePathOf(attempt.portName);
        if (path != attempt.portName) report.devicePath = path;
        report.outcome = attempt.outcome;
        report.errorNumber = attempt.errorNumber;
        report.silentSeconds = kSilentPortSeconds;
        if (attempt.outcome == PortOutcome::kNotOpened) LookAgain(path, report);
        reports.push_back(std::move(report));
    }
    return reports;
}

std::string DescribeSearchAttempt(const SearchAttemptReport& report) {
    std::string line = report.portName;
    if (!report.devicePath.empty()) line += " " + report.devicePath;
    line += ": ";
    switch (report.outcome) {
        case PortOutcome::kNotOpened:
            line += WhyNotOpened(report);
            break;
        case PortOutcome::kNoLineSettings:
            line += "does not take the line settings (4800 baud, 8 data bits, no parity, 1 stop bit)";
            break;
        case PortOutcome::kNoAnswer:
            line += "no answer in " + std::to_string(report.silentSeconds) + " s";
            break;
        case PortOutcome::kNotIdentified:
            line += "something answered, but not with a device identification";
            break;
        case PortOutcome::kLineGone:
            line += "the line went away (unplugged?)";
            break;
        case PortOutcome::kStatusFailed:
            line +=
                report.errorNumber == kNoDeviceResponse
                    ? "a device identified itself but did not answer the status request"
                    : "a device identified itself but reported error " + std::to_string(report.errorNumber);
            break;
        case PortOutcome::kStopped:
            line += "stopped";
            break;
        case PortOutcome::kFound:
            break;
    }
    return line;
}

std::vector<std::string> DescribeSearchAttempts(const std::vector<SearchAttempt>& attempts,
                                                const PortMap& map) {
    std::vector<std::string> lines;
    for (const SearchAttemptReport& report : ExplainSearchAttempts(attempts, map))
        lines.push_back(DescribeSearchAttempt(report));
    return lines;
}

}  // namespace kdm
