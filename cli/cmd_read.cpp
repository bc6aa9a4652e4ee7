// kdmxp-cli read: reads every parameter of the connected device into "KDM.tmp" in the working
// directory, then saves a byte-identical copy as the data file named with -o.
#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <string>

#include "cli/cli.h"
#include "cli/history_cli.h"
#include "cli/port_jobs.h"
#include "cli/port_option.h"
#include "cli/read_sizes.h"
#include "cli/stop_signals.h"
#include "cli/transfer_cli.h"
#include "data/parameter_model.h"
#include "files/data_file.h"
#include "platform/atomic_save.h"
#include "transfer/read_engine.h"

namespace kdmcli {
namespace {

struct ReadOptions {
    std::string output;
    bool quiet = false;
    std::string port;
    std::string machine;
};

// A file saved with telegrams that cannot be trusted is no clean copy of the device: the exit status tells
// scripts so, and their number goes to stderr even in a quiet run.
int CheckSavedFile(const std::string& path) {
    std::string text;
    std::string reason;
    long length = 0;
    if (!kdm::ReadWholeFile(path, text, length, reason)) {
        std::fprintf(stderr, "Saved, but cannot be read back: %s\n", reason.c_str());
        return kExitFailure;
    }
    const kdm::ParameterSet saved = kdm::ParseParameterSet(text).set;
    const int suspect = saved.SuspectRecords();
    if (suspect == 0) return kExitOk;
    std::fprintf(stderr,
                 "%d telegram(s) with a checksum mismatch or damage in %s (%d mismatch, %d damaged)\n",
                 suspect, path.c_str(), saved.SuspectRecords(kdm::Suspect::kMismatch),
                 saved.SuspectRecords(kdm::Suspect::kDamaged));
    return kExitSuspect;
}

int RunRead(Context& context, const ReadOptions& options) {
    if (!UseDirectPort(context, options.port)) return kExitUsage;
    if (CheckMachineName(options.machine) != kExitOk) return kExitUsage;
    // Refused before the device is read rather than after: a FIFO, a device such as /dev/null, a
    // directory or a symbolic link at the name is never replaced.
    std::string unusable;
    if (!kdm::CheckSaveDestination(options.output, unusable)) {
        std::fprintf(stderr, "%s\n", unusable.c_str());
        return kExitFailure;
    }
    const std::string directory = kdm::CurrentDirectory();
    if (directory.empty()) {
        std::fprintf(stderr, "Cannot read the working directory, where the temporary file belongs\n");
        return kExitFailure;
    }
    const std::string tempPath = kdm::InitTempFilePath(directory);
    ProgressObserver progress(ChooseProgressMode(options.quiet), false);
    progress.SetSavePath(options.output);
    progress.SetTempPath(tempPath);
    progress.SetDirectPort(options.port);
    progress.SetReadSizes(&context.settings);
    kdm::ReadEngine engine(context.link, context.clock, progress, tempPath);
    // The read, its save and its history entry end as they should before a stop ends the command.
    DeferStops keepWhole;
    const bool interrupted = RunInterruptibleRead(engine);
    progress.Finish();

    if (engine.Stopped() || interrupted) {
        if (!engine.Ended()) engine.Stop(kdm::StopCommand::kCancel);
        // A stop during the search leaves the temporary file of an earlier read, or none, untouched.
        progress.Note(engine.TempFileWritten() ? "Stopped; " + tempPath + " holds what arrived"
                                               : "Stopped during the device search; nothing was read and " +
                                                     tempPath + " was not touched");
        return StopExitCode();
    }
    if (engine.SavedPath().empty()) {
        PrintSearchAttempts(context);
        return kExitFailure;
    }
    // The next read of this device shows how far it got against this one.
    RememberReadSize(context.settings, progress.Identification(), engine.StoredTelegrams());
    // Damaged frames carry the same mark as checksum mismatches and are counted among them.
    const std::string damaged = engine.DamagedFrames() > 0
                                    ? " (" + std::to_string(engine.DamagedFrames()) + " damaged on the line)"
                                    : std::string();
    progress.Note("Read " + std::to_string(engine.StoredTelegrams()) + " telegrams (" +
                  std::to_string(engine.SystemTelegrams()) + " system, " + std::to_string(engine.Programs()) +
                  " programs), " + std::to_string(engine.ChecksumMismatches()) + " checksum mismatches" +
                  damaged + " -> " + engine.SavedPath());
    const int status = CheckSavedFile(engine.SavedPath());
    // The history keeps a copy; when it cannot, it says so and the read's outcome stays what it is,
    // unless the history is damaged: then every later listing would lack this read.
    if (status != kExitFailure &&
        RecordInHistory(context, kdm::HistoryKind::kRead, engine.SavedPath(), kdm::VerifyOutcome::kNotAsked,
                        options.quiet, nullptr, options.machine) == kExitHistoryDamaged)
        return kExitHistoryDamaged;
    return status;
}

}  // namespace

void RegisterRead(CLI::App& app, Context& context, int& exitCode) {
    auto options = std::make_shared<ReadOptions>();
    CLI::App* read = app.add_subcommand(
        "read",
        "Read every system and program parameter of the connected device and save them as a data file.\n"
        "The telegrams are stored in KDM.tmp in the working directory as they arrive; on success FILE\n"
        "becomes an exact copy. Exit status 0 when saved, 2 when saved but holding telegrams with a\n"
        "checksum mismatch or damage (their number goes to stderr) or when the device history is damaged,\n"
        "1 on any failure, 130 when stopped with Ctrl-C or SIGTERM, 129 on SIGHUP (KDM.tmp then keeps\n"
        "what arrived). A missing or read-only directory of FILE is refused before the search.");
    read->add_option("-o,--output", options->output,
                     "The data file to save (replaced if it exists); with several ports the directory in\n"
                     "which each device's file is saved as COMn.KDM (the device path's last part for a\n"
                     "path, NAME.KDM for a port given a --name), created when missing")
        ->required();
    read->add_flag("-q,--quiet", options->quiet, "Print nothing but errors (with several ports: failures)");
    auto selection = std::make_shared<PortSelection>();
    read->add_option("--port", selection->ports,
                     "Use this port alone: COMn or a device path (no scan). Given several times, every\n"
                     "port is read at once into the directory -o names, each read with its own temporary\n"
                     "file (COMn.tmp there, kept when that read fails)")
        ->type_name("COMn|PATH");
    read->add_flag("--ports-all", selection->all,
                   "Read every port where a device answers, all at once (ports without one are skipped)");
    read->add_option(
            "--name", selection->names,
            "The machine's name in the device history (\"Press 7\"), which tells apart devices that\n"
            "identify themselves alike; with several ports once per port as PORT=NAME, the\n"
            "device's file then being NAME.KDM")
        ->type_name("[PORT=]NAME");
    read->callback([options, selection, &context, &exitCode] {
        if (ManyPorts(*selection)) {
            // A directory the user names for a bench of devices is made when missing.
            ::mkdir(options->output.c_str(), 0777);
            exitCode = RunManyReads(context, *selection, ManyReadOptions{options->output, options->quiet});
            return;
        }
        if (!ChooseOnePort(*selection, options->port, options->machine)) {
            exitCode = kExitUsage;
            return;
        }
        exitCode = RunRead(context, *options);
    });
}

}  // namespace kdmcli
