// kdmxp-cli search: finds the port on which a device identifies itself and prints its identification.
#include <signal.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>

#include "cli/cli.h"
#include "cli/port_option.h"
#include "data/strings.h"

namespace kdmcli {
namespace {

struct SearchOptions {
    bool quiet = false;
    std::string port;
};

// The handler can reach only what a plain variable holds; it does nothing but an atomic store.
std::atomic<kdm::Link*> interruptedLink{nullptr};

extern "C" void StopSearch(int) {
    if (kdm::Link* link = interruptedLink.load()) link->RequestStop();
}

// Ctrl-C stops the search at the next one-byte read; the handler is in place only while it runs.
class InterruptGuard {
  public:
    explicit InterruptGuard(kdm::Link& link) {
        interruptedLink.store(&link);
        struct sigaction action {};
        action.sa_handler = StopSearch;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;  // no restart: a waiting read returns at once and the stop is seen sooner
        sigaction(SIGINT, &action, &oldInt_);
        sigaction(SIGTERM, &action, &oldTerm_);
    }
    ~InterruptGuard() {
        sigaction(SIGINT, &oldInt_, nullptr);
        sigaction(SIGTERM, &oldTerm_, nullptr);
        interruptedLink.store(nullptr);
    }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

  private:
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

int MessageIdOf(int result) {
    switch (result) {
        case kdm::kSearchNoDevice:
            return kdm::sid::kNoDevice;
        case kdm::kSearchNoPort:
            return kdm::sid::kNoComIo;
        case kdm::kSearchStatusFailed:
            return kdm::sid::kCableDefect;
        default:
            return kdm::sid::kUnknownError;
    }
}

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
    std::string identification;
    int result;
    {
        InterruptGuard guard(link);
        result = link.SearchDevice(identification);
    }
    link.SetSearchObserver(nullptr);
    if (link.StopRequested()) {
        link.ClosePort();
        std::fprintf(stderr, "Search stopped.\n");
        return kExitStopped;
    }
    if (result == kdm::kSearchFound) {
        link.ClosePort();
        // The identification text without its STX: the device's 14 telegram characters.
        const std::string characters = identification.substr(identification.empty() ? 0 : 1);
        std::fwrite(characters.data(), 1, characters.size(), stdout);
        std::fputc('\n', stdout);
        return kExitOk;
    }
    const std::string_view message = kdm::LoadString(MessageIdOf(result));
    std::fprintf(stderr, "%.*s\n", static_cast<int>(message.size()), message.data());
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
        "Exit status 0 when found, 1 when not, 130 when stopped with Ctrl-C.");
    search->add_flag("-q,--quiet", options->quiet, "Do not report each port tried on stderr");
    search->add_option("--port", options->port, "Try this port alone: COMn or a device path (no scan)")
        ->type_name("COMn|PATH");
    search->callback([options, &context, &exitCode] { exitCode = RunSearch(context, *options); });
}

}  // namespace kdmcli
