// Several ports served at once: `kdmxp-cli write FILE --port P1 --port P2 ...` and `read ... -o DIR`.
//
// Each port gets a job of its own on a thread of its own, with its own link and port (a port is never
// opened by two jobs), its own search confined to that port, its own type check, backup, temporary file
// and history entry. The jobs share nothing but the display and the history, which takes one entry at
// a time. A failure ends only its own job; a stop signal stops them all.
#pragma once

#include <string>
#include <vector>

#include "cli/cli.h"

namespace kdmcli {

// One port to serve.
struct PortJobSpec {
    std::string port;   // "COM3" or a device path, as given
    std::string name;   // the machine's name (--name PORT=NAME); empty when none was given
    std::string label;  // what the display and the read's file are named after: COM3, ttyUSB0
};

// What the command line said about the ports: --port (repeatable), --ports-all, --name.
struct PortSelection {
    std::vector<std::string> ports;
    bool all = false;
    std::vector<std::string> names;  // "PORT=NAME", or a plain NAME with a single --port
};

// True when the selection asks for more than the single-port command: several ports, or --ports-all.
bool ManyPorts(const PortSelection& selection);

// The single-port command's port (the one --port, or empty for a search) and machine name (the one --name
// given: NAME, or PORT=NAME for the port given; empty when none). False, with the reason on stderr, when
// several names were given.
bool ChooseOnePort(const PortSelection& selection, std::string& port, std::string& name);

// Turns the selection into jobs: every port valid (COMn or an absolute path), none twice (by name or by
// the device it leads to), every --name naming one of them. With `all`, every port that holds something.
// False with the reason.
bool PlanPortJobs(Context& context, const PortSelection& selection, std::vector<PortJobSpec>& jobs,
                  std::string& reason);

// "COM3.KDM" for a read of COM3, "ttyUSB0.KDM" for /dev/ttyUSB0, "press-4.KDM" for the name press-4
// (a '/' in a name becomes '_').
std::string ReadFileNameOf(const PortJobSpec& job);

struct ManyWriteOptions {
    std::string file;
    bool verify = false;
    bool backup = false;
    bool allowSuspect = false;
    bool quiet = false;
};

struct ManyReadOptions {
    std::string directory;
    bool quiet = false;
};

// Exit status: 0 when every job succeeded, 1 when any failed (the others still finish), 3 when every
// write went in but a verify found differences, 2 when all succeeded but the history is damaged; 130
// (129 after SIGHUP) when a stop signal stopped them.
int RunManyWrites(Context& context, const PortSelection& selection, const ManyWriteOptions& options);
// Exit status as for writes; 2 also when a saved file holds telegrams that cannot be trusted.
int RunManyReads(Context& context, const PortSelection& selection, const ManyReadOptions& options);

}  // namespace kdmcli
