// kdmxp-cli ports: every port name with the device it stands for, what that device is and whether it
// can be opened now; `--map COMn PATH` stores where a port name leads.
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "platform/port_holders.h"
#include "platform/port_mapping.h"

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

const char* SourceText(kdm::PortSource source) {
    switch (source) {
        case kdm::PortSource::kDirectory:
            return "directory";
        case kdm::PortSource::kUserMapping:
            return "mapped";
        case kdm::PortSource::kUart:
            return "uart";
        case kdm::PortSource::kAdapter:
            return "adapter";
        case kdm::PortSource::kFixedRule:
            return "default";
        case kdm::PortSource::kNone:
            break;
    }
    return "none";
}

const char* KindText(kdm::PortKind kind) {
    switch (kind) {
        case kdm::PortKind::kUart:
            return "uart";
        case kdm::PortKind::kUsb:
            return "usb";
        case kdm::PortKind::kOther:
            break;
    }
    return "other";
}

std::string Hex4(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", static_cast<unsigned>(value));
    return text;
}

nlohmann::json DeviceJson(const kdm::DetectedPort& port) {
    nlohmann::json device = {{"kernelName", port.name},
                             {"node", port.devicePath},
                             {"kind", KindText(port.kind)},
                             {"driver", port.driver}};
    if (port.kind == kdm::PortKind::kUsb) {
        device["vendorId"] = Hex4(port.vendorId);
        device["productId"] = Hex4(port.productId);
        device["manufacturer"] = port.manufacturer;
        device["product"] = port.product;
        device["serialNumber"] = port.serialNumber;
        device["usbPath"] = port.usbPath;
    }
    return device;
}

// One listed line: a name (empty for a detected device no name leads to), where it leads, whether it
// opens, and what is there.
struct Row {
    std::string name;
    std::string path;
    kdm::PortSource source = kdm::PortSource::kNone;
    kdm::PortProbe probe;
    bool openable = false;
    const kdm::DetectedPort* port = nullptr;
    std::vector<kdm::PortHolder> holders;  // who keeps a busy port
};

// The status with, for a busy port, who holds it when that can be seen.
std::string StatusText(const Row& row) {
    std::string text = ReasonText(row.probe);
    if (!row.holders.empty()) text += " (" + kdm::DescribePortHolders(row.holders) + ")";
    return text;
}

nlohmann::json HoldersJson(const std::vector<kdm::PortHolder>& holders) {
    nlohmann::json list = nlohmann::json::array();
    for (const kdm::PortHolder& holder : holders)
        list.push_back({{"pid", holder.pid}, {"command", holder.command}});
    return list;
}

nlohmann::json RowJson(const Row& row) {
    const bool byId = row.port != nullptr && !row.port->byIdPath.empty();
    return {{"name", row.name.empty() ? nlohmann::json(nullptr) : nlohmann::json(row.name)},
            {"path", row.path},
            {"openable", row.openable},
            {"status", ReasonText(row.probe)},
            {"heldBy", HoldersJson(row.holders)},
            {"source", SourceText(row.source)},
            {"description", row.port != nullptr ? nlohmann::json(kdm::DescribePort(*row.port)) : nullptr},
            {"byId", byId ? nlohmann::json(row.port->byIdPath) : nullptr},
            {"device", row.port != nullptr ? DeviceJson(*row.port) : nullptr}};
}

int ListPorts(Context& context, bool json) {
    const kdm::PortTable table = context.portMap.Table();
    std::vector<Row> rows;
    for (const kdm::PortAssignment& entry : table.names) {
        Row row;
        row.name = entry.name;
        row.path = entry.devicePath;
        row.source = entry.source;
        row.port = entry.detected ? &entry.port : nullptr;
        rows.push_back(std::move(row));
    }
    for (const kdm::DetectedPort& port : table.unnamed) {
        Row row;
        row.path = port.devicePath;
        row.port = &port;
        rows.push_back(std::move(row));
    }
    std::size_t pathWidth = 4;
    std::size_t statusWidth = 3;
    std::string permissionGroup;
    for (Row& row : rows) {
        row.openable = kdm::PosixSerialPort::CanOpenPath(row.path, &row.probe);
        if (row.probe.problem == kdm::PortProblem::kBusy) row.holders = kdm::FindPortHolders(row.path);
        if (row.probe.problem == kdm::PortProblem::kPermission && permissionGroup.empty()) {
            permissionGroup = row.probe.groupName.empty() ? "dialout" : row.probe.groupName;
        }
        pathWidth = std::max(pathWidth, row.path.size());
        statusWidth = std::max(statusWidth, StatusText(row).size());
    }

    if (json) {
        nlohmann::json list = nlohmann::json::array();
        for (const Row& row : rows)
            list.push_back(RowJson(row));
        std::cout << list.dump(2) << "\n";
        return kExitOk;
    }
    bool headedUnnamed = false;
    for (const Row& row : rows) {
        if (row.name.empty() && !headedUnnamed) {
            std::printf("\nDetected, but no name leads there (kdmxp-cli ports --map COMn PATH gives one):\n");
            headedUnnamed = true;
        }
        std::string description;
        if (row.port != nullptr) {
            description = kdm::DescribePort(*row.port);
            if (row.source == kdm::PortSource::kUserMapping) description += " (mapped)";
        } else if (row.source == kdm::PortSource::kUserMapping) {
            description = "(mapped)";
        }
        std::string line(row.name);
        line.resize(6, ' ');
        std::string path = row.path.empty() ? "-" : row.path;
        path.resize(std::max(pathWidth, path.size()), ' ');
        std::string status = StatusText(row);
        if (!description.empty()) status.resize(std::max(statusWidth, status.size()), ' ');
        line += " " + path + " " + status;
        if (!description.empty()) line += " " + description;
        std::printf("%s\n", line.c_str());
        if (row.port != nullptr && !row.port->byIdPath.empty() && row.port->byIdPath != row.path) {
            std::printf("%-6s %s\n", "", row.port->byIdPath.c_str());
        }
    }
    if (!permissionGroup.empty()) {
        std::printf(
            "\nNo permission: add yourself to the %s group (sudo adduser $USER %s), then log in again.\n",
            permissionGroup.c_str(), permissionGroup.c_str());
    }
    return kExitOk;
}

int StoreMapping(Context& context, const std::string& name, const std::string& path) {
    // The port dialog stores mappings through the same rules; only the wording around them is ours.
    const kdm::MappingResult result = kdm::StoreMapping(context.portMap, name, path);
    if (result.warning != kdm::MappingWarning::kNone) {
        std::fprintf(stderr, "Warning: %s\n", kdm::MappingWarningText(result, path).c_str());
    }
    switch (result.problem) {
        case kdm::MappingProblem::kNone:
            break;
        case kdm::MappingProblem::kNotPortName:
        case kdm::MappingProblem::kRelativePath:
            std::fprintf(stderr, "%s\n", kdm::MappingProblemText(result, name, path).c_str());
            return kExitUsage;
        case kdm::MappingProblem::kPortDirectory:
        case kdm::MappingProblem::kNotStored:
            std::fprintf(stderr, "%s\n", kdm::MappingProblemText(result, name, path).c_str());
            return kExitFailure;
    }
    const int n = result.portNumber;
    const kdm::PortTable table = context.portMap.Table();
    const kdm::PortAssignment& entry = table.names[static_cast<std::size_t>(n - 1)];
    std::printf("%s -> %s", entry.name.c_str(),
                entry.devicePath.empty() ? "nothing" : entry.devicePath.c_str());
    if (entry.detected) std::printf(": %s", kdm::DescribePort(entry.port).c_str());
    std::printf("%s\n", path.empty() ? " (default)" : "");
    // A by-id name follows the adapter from socket to socket; a kernel name may not.
    if (entry.detected && !entry.port.byIdPath.empty() && entry.port.byIdPath != path && !path.empty()) {
        std::printf("Tip: %s names this adapter in any USB socket: kdmxp-cli ports --map %s %s\n",
                    entry.port.byIdPath.c_str(), entry.name.c_str(), entry.port.byIdPath.c_str());
    }
    return kExitOk;
}

}  // namespace

void RegisterPorts(CLI::App& app, Context& context, int& exitCode) {
    auto options = std::make_shared<PortsOptions>();
    CLI::App* ports = app.add_subcommand(
        "ports",
        "List COM1 to COM30 with the device each stands for, what it is and whether it can be opened now.\n"
        "With KDMXP_PORT_DIR set, COMn is the entry COMn in that directory. Otherwise a stored mapping\n"
        "(see --map) decides; unmapped, a built-in port ttyS(n-1) is COMn, and each USB adapter gets a free\n"
        "name among COM1 to COM9 that it keeps.");
    ports->add_flag("--json", options->json, "Print the list as JSON");
    ports
        ->add_option(
            "--map", options->map,
            "Store a lasting mapping: --map COMn PATH, PATH absolute (an empty PATH brings the default back)")
        ->expected(2)
        ->type_name("COMn PATH");
    ports->callback([options, &context, &exitCode] {
        exitCode = options->map.size() == 2 ? StoreMapping(context, options->map[0], options->map[1])
                                            : ListPorts(context, options->json);
    });
}

}  // namespace kdmcli
