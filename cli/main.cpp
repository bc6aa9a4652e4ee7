// kdmxp-cli: the command-line front end of KDM XP.
#include <cstdio>

#include "cli/cli.h"
#include "cli/stop_signals.h"

int main(int argc, char** argv) {
    CLI::App app{
        "KDM XP command line: store and restore the parameter sets of Q4400 devices over RS232.\n"
        "Ports are named COM1 to COM30; see `kdmxp-cli ports` for the device path of each.\n"
        "Ctrl-C and SIGTERM stop any command with exit status 130, SIGHUP with 129; a write stopped\n"
        "part-way says how much of the file the device holds and keeps a history entry of it.",
        "kdmxp-cli"};
    app.set_version_flag("--version", std::string("kdmxp-cli ") + KDMXP_VERSION);
    app.require_subcommand(1);

    kdmcli::Context context;
    // From here on Ctrl-C, SIGTERM and SIGHUP end every command within moments, whatever it does.
    kdmcli::InstallStopSignals(context.link);
    context.history.SetRunWatch(kdmcli::WatchChild);
    // The scan follows the machine's ports: USB adapters before built-in ones.
    context.link.SetScanOrder([&context] { return context.portMap.ScanOrder(); });
    int exitCode = kdmcli::kExitOk;
    kdmcli::RegisterPorts(app, context, exitCode);
    kdmcli::RegisterSearch(app, context, exitCode);
    kdmcli::RegisterShow(app, context, exitCode);
    kdmcli::RegisterRead(app, context, exitCode);
    kdmcli::RegisterWrite(app, context, exitCode);
    kdmcli::RegisterDiff(app, context, exitCode);
    kdmcli::RegisterSet(app, context, exitCode);
    kdmcli::RegisterHistory(app, context, exitCode);

    // Nothing to do, or a command that does not exist: say what there is, rather than CLI11's words.
    if (const int refused = kdmcli::RefuseUnknownCommand(app, argc, argv); refused >= 0) return refused;
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? 0 : kdmcli::kExitUsage;
    }
    return exitCode;
}
