// kdmxp-cli ports: every port name with the device it stands for and whether it can be opened now;
// `--map COMn PATH` stores where a port name leads.
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace kdmcli {
namespace {

struct PortsOptions {
    bool json = false;
    std::vector<std::string> map;
};

std::string ReasonText(const kdm::PortProbe& probe) {
    switch (probe.problem) {
        case kdm::PortProblem::kNone:
            return "yes";
        case kdm::PortProblem::kNotMapped:
            return "not mapped";
        case kdm::PortProblem::kMissing:
            return "missing";
        case kdm::PortProblem::kNotCharacterDevice:
            return "not a character device";
        case kdm::PortProblem::kBusy:
            return "busy";
        case kdm::PortProblem::kPermission:
            return probe.groupName.empty() ? "permission denied"
                                           : "permission denied (group " + probe.groupName + ")";
        case kdm::PortProblem::kOther:
            break;
    }
    return std::string("cannot open (") + std::strerror(probe.systemError) + ")";
}

int ListPorts(Context& context, bool json) {
    struct Row {
        std::string name;
        kdm::PortProbe probe;
        bool openable;
    };
    std::vector<Row> rows;
    std::size_t pathWidth = 4;
    for (int n = 1; n <= kdm::kMaxPortNumber; ++n) {
        Row row{"COM" + std::to_string(n), {}, false};
        row.openable = kdm::PosixSerialPort::CanOpenPort(context.portMap, row.name, &row.probe);
        pathWidth = std::max(pathWidth, row.probe.devicePath.size());
        rows.push_back(std::move(row));
    }
    if (json) {
        nlohmann::json list = nlohmann::json::array();
        for (const Row& row : rows) {
            list.push_back({{"name", row.name},
                            {"path", row.probe.devicePath},
                            {"openable", row.openable},
                            {"status", ReasonText(row.probe)}});
        }
        std::cout << list.dump(2) << "\n";
        return kExitOk;
    }
    for (const Row& row : rows) {
        std::printf("%-6s %-*s %s\n", row.name.c_str(), static_cast<int>(pathWidth),
                    row.probe.devicePath.c_str(), ReasonText(row.probe).c_str());
    }
    return kExitOk;
}

int StoreMapping(Context& context, const std::string& name, const std::string& path) {
    const int n = kdm::PortNumberOfName(name);
    if (n == 0) {
        std::fprintf(stderr, "Not a port name: %s (use COM1 to COM30)\n", name.c_str());
        return kExitUsage;
    }
    if (context.portMap.UsesPortDirectory()) {
        std::fprintf(stderr, "KDMXP_PORT_DIR is set (%s): its entries decide where the ports lead.\n",
                     std::getenv("KDMXP_PORT_DIR"));
        return kExitFailure;
    }
    if (!context.portMap.SetMapping(n, path)) {
        std::fprintf(stderr, "Could not store the mapping of COM%d.\n", n);
        return kExitFailure;
    }
    const std::string canonical = "COM" + std::to_string(n);
    std::printf("%s -> %s%s\n", canonical.c_str(), context.portMap.DevicePathOf(canonical).c_str(),
                path.empty() ? " (default)" : "");
    return kExitOk;
}

}  // namespace

void RegisterPorts(CLI::App& app, Context& context, int& exitCode) {
    auto options = std::make_shared<PortsOptions>();
    CLI::App* ports = app.add_subcommand(
        "ports",
        "List COM1 to COM30 with the device each stands for and whether it can be opened now.\n"
        "With KDMXP_PORT_DIR set, COMn is the entry COMn in that directory; otherwise a stored mapping\n"
        "(see --map) or /dev/ttyS(n-1).");
    ports->add_flag("--json", options->json, "Print the list as JSON");
    ports
        ->add_option("--map", options->map,
                     "Store a lasting mapping: --map COMn PATH (an empty PATH brings /dev/ttyS(n-1) back)")
        ->expected(2)
        ->type_name("COMn PATH");
    ports->callback([options, &context, &exitCode] {
        exitCode = options->map.size() == 2 ? StoreMapping(context, options->map[0], options->map[1])
                                            : ListPorts(context, options->json);
    });
}

}  // namespace kdmcli
