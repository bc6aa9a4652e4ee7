// kdmxp-cli: each subcommand lives in its own file and registers itself here.
#pragma once

#include <CLI/CLI.hpp>

#include <memory>

#include "link/link.h"
#include "platform/clock.h"
#include "platform/file_settings_store.h"
#include "platform/history_git.h"
#include "platform/port_discovery.h"
#include "platform/port_map.h"
#include "platform/posix_serial_port.h"

namespace kdmcli {

// Everything the original kept process-wide, owned once by main().
struct Context {
    Context()
        : clock(kdm::TimeScaleFromEnvironment()),
          portMap(&settings, &discovery),
          port(portMap, clock),
          link(port, settings),
          history(kdm::DefaultHistoryLocation(), kdm::LocalHistoryIdentity()) {}
    kdm::SystemClock clock;
    kdm::FileSettingsStore settings;
    kdm::SysfsPortDiscovery discovery;
    kdm::PortMap portMap;
    kdm::PosixSerialPort port;
    kdm::Link link;
    kdm::GitHistory history;
};

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;      // the operation failed (device, file, line)
inline constexpr int kExitUsage = 2;        // bad command line
inline constexpr int kExitSuspect = 2;      // read saved a file holding telegrams that cannot be trusted
inline constexpr int kExitNotAllShown = 2;  // show left out programs its tables have no row for
inline constexpr int kExitDifferent = 3;    // write --verify found differences
inline constexpr int kExitStopped = 130;    // stopped by Ctrl-C (SIGINT) or SIGTERM
inline constexpr int kExitHungUp = 129;     // stopped by SIGHUP: the terminal or the session went away
// The history cannot be read (a damaged repository): listing, sync, backup, and the entry of a read or
// a write that did reach the device.
inline constexpr int kExitHistoryDamaged = 2;

// Each Register function adds one subcommand; its callback stores the exit code in `exitCode`.
void RegisterPorts(CLI::App& app, Context& context, int& exitCode);
void RegisterSearch(CLI::App& app, Context& context, int& exitCode);
void RegisterShow(CLI::App& app, Context& context, int& exitCode);
void RegisterRead(CLI::App& app, Context& context, int& exitCode);
void RegisterWrite(CLI::App& app, Context& context, int& exitCode);
void RegisterDiff(CLI::App& app, Context& context, int& exitCode);
void RegisterSet(CLI::App& app, Context& context, int& exitCode);
void RegisterHistory(CLI::App& app, Context& context, int& exitCode);

// Before parsing: no arguments at all prints the usage on stdout; a first argument that is neither an
// option nor a command prints "unknown command 'shwo'" and the commands on stderr. Returns the exit
// status then (kExitUsage), or -1 when the arguments are for the parser.
int RefuseUnknownCommand(const CLI::App& app, int argc, const char* const* argv);

}  // namespace kdmcli
