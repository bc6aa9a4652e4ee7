// kdmxp-cli search: finds the port on which a device identifies itself and prints its identification.
#include <cstdio>
#include <memory>
#include <string>

#include "cli/cli.h"
#include "cli/port_option.h"
#include "cli/stop_signals.h"
#include "link/waits.h"
#include "transfer/pacing.h"

namespace kdmcli {
namespace {

struct SearchOptions {
    bool quiet = false;
    std::string port;
};

int RunSearch(Context& context, const SearchOptions& options) {
    if (!UseDirectPort(context, options.port)) return kExitUsage;
    kdm::Link& link = context.link;
    link.ClearStop();
    link.SetSearchObserver([&options](int port) {
        if (options.quiet) return;
        if (port == 0) {
            std::fprintf(stderr, "Trying %s ...\n", options.port.c_str());
        } else {
            std::fprintf(stderr, "Trying COM%d ...\n", port);
        }
    });
    // Each port may take seconds: the first notice of each wait says what the search is waiting for.
    bool waitShown = false;
    link.SetWaitObserver([&options, &waitShown](const kdm::WaitNotice& notice) {
        if (notice.seconds <= 0) {
            waitShown = false;
            return;
        }
        if (options.quiet || waitShown) return;
        waitShown = true;
        std::fprintf(stderr, "%s ...\n", kdm::DescribeWait(notice).c_str());
    });
    std::string identification;
    int result;
    {
        // A stop ends the search at the next one-byte read, and the port is closed before the end.
        DeferStops closeFirst;
        result = link.SearchDevice(identification);
    }
    link.SetSearchObserver(nullptr);
    link.SetWaitObserver(nullptr);
    if (link.StopRequested()) {
        link.ClosePort();
        std::fprintf(stderr, "Search stopped.\n");
        return StopExitCode();
    }
    if (result == kdm::kSearchFound) {
        link.ClosePort();
        // The identification text without its STX: the device's 14 telegram characters.
        const std::string characters = identification.substr(identification.empty() ? 0 : 1);
        std::fwrite(characters.data(), 1, characters.size(), stdout);
        std::fputc('\n', stdout);
        return kExitOk;
    }
    // The search's message, and below it why the device that answered did not do for a conversation.
    const std::string message = kdm::SearchFailureText(result, link.LastSearchAttempts());
    std::fprintf(stderr, "%s\n", message.c_str());
    PrintSearchAttempts(context);
    return kExitFailure;
}

}  // namespace

void RegisterSearch(CLI::App& app, Context& context, int& exitCode) {
    auto options = std::make_shared<SearchOptions>();
    CLI::App* search = app.add_subcommand(
        "search",
        "Search for a device and print its identification telegram: the port chosen in the desktop\n"
        "application's port dialog first, then the port of the last find, then COM1 to COM9 (USB adapters\n"
        "before built-in ports). When nothing is found, one line per port tried says why.\n"
        "Exit status 0 when found, 1 when not, 130 when stopped with Ctrl-C or SIGTERM, 129 on SIGHUP.");
    search->add_flag("-q,--quiet", options->quiet, "Do not report each port tried on stderr");
    search->add_option("--port", options->port, "Try this port alone: COMn or a device path (no scan)")
        ->type_name("COMn|PATH");
    search->callback([options, &context, &exitCode] { exitCode = RunSearch(context, *options); });
}

}  // namespace kdmcli
