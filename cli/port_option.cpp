#include "cli/port_option.h"

#include <cstdio>
#include <vector>

#include "link/search_report.h"

namespace kdmcli {

bool UseDirectPort(Context& context, const std::string& port) {
    if (port.empty()) {
        context.link.SetDirectPort({});
        return true;
    }
    const int n = kdm::PortNumberOfName(port);
    if (n == 0 && port.front() != '/') {
        std::fprintf(stderr, "Not a port: %s (use COM1 to COM30, or a device path such as /dev/ttyUSB0)\n",
                     port.c_str());
        return false;
    }
    context.link.SetDirectPort(n != 0 ? "COM" + std::to_string(n) : port);
    return true;
}

void PrintSearchAttempts(Context& context) {
    const std::vector<kdm::SearchAttempt>& attempts = context.link.LastSearchAttempts();
    for (const kdm::SearchAttempt& attempt : attempts) {
        if (attempt.outcome == kdm::PortOutcome::kFound) return;  // the search did not fail
    }
    for (const std::string& line : kdm::DescribeSearchAttempts(attempts, context.portMap)) {
        std::fprintf(stderr, "%s\n", line.c_str());
    }
}

}  // namespace kdmcli
