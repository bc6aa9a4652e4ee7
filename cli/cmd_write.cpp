// kdmxp-cli write: writes a data file into the connected device of the same type, and with --verify
// reads the device back and compares every parameter with the file.
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "cli/cli.h"
#include "cli/history_cli.h"
#include "cli/port_jobs.h"
#include "cli/port_option.h"
#include "cli/scratch_directory.h"
#include "cli/transfer_cli.h"
#include "data/file_verdict.h"
#include "data/strings.h"
#include "files/data_file.h"
#include "files/data_file_name.h"
#include "transfer/read_engine.h"
#include "transfer/verify.h"
#include "transfer/write_engine.h"

namespace kdmcli {
namespace {

struct WriteOptions {
    std::string file;
    bool verify = false;
    bool backup = false;
    bool allowSuspect = false;
    bool quiet = false;
    std::string port;
    std::string machine;
};

int Verify(Context& context, const WriteOptions& options, InterruptWatcher& watcher) {
    ScratchDirectory scratch("verify");
    if (scratch.Path().empty()) {
        std::fprintf(stderr, "Verify: cannot create a temporary directory\n");
        return kExitFailure;
    }
    ProgressObserver progress(ChooseProgressMode(options.quiet), false);
    progress.Note("Reading the device back to verify ...");
    progress.SetDirectPort(options.port);
    progress.SetSavePath(scratch.Path() + "/device.KDM");
    progress.SetTempPath(scratch.Path() + "/KDM.tmp");
    kdm::ReadEngine reader(context.link, context.clock, progress, scratch.Path() + "/KDM.tmp");
    watcher.SetTarget([&reader] { reader.RequestStop(); });
    if (reader.StartRead() == 1) reader.RunTimer();
    watcher.SetTarget(nullptr);
    progress.Finish();
    if (reader.Stopped() || watcher.Interrupted()) {
        if (!reader.Ended()) reader.Stop(kdm::StopCommand::kCancel);
        return StopExitCode();
    }
    if (reader.SavedPath().empty()) {
        std::fprintf(stderr, "Verify: the device could not be read back\n");
        return kExitFailure;
    }

    std::string fileText, deviceText, reason;
    long length = 0;
    if (!kdm::ReadWholeFile(options.file, fileText, length, reason) ||
        !kdm::ReadWholeFile(reader.SavedPath(), deviceText, length, reason)) {
        std::fprintf(stderr, "Verify: %s\n", reason.c_str());
        return kExitFailure;
    }
    const auto differences = kdm::CompareParameterRecords(fileText, deviceText);
    const std::size_t records = kdm::SplitRecords(fileText).size();
    const std::size_t parameters = records > 0 ? records - 1 : 0;
    for (const auto& difference : differences)
        std::printf("%s\n", kdm::DescribeDifference(difference).c_str());
    std::fflush(stdout);
    if (!differences.empty()) {
        std::fprintf(stderr, "Verify: %zu of %zu parameters differ from the device\n", differences.size(),
                     parameters);
        return kExitDifferent;
    }
    progress.Note("Verify: all " + std::to_string(parameters) + " parameters match the device");
    return kExitOk;
}

// False when the write engine will refuse the file before it opens a port: no backup read goes ahead
// of that refusal. A file that cannot be read, or is too short to be judged, is left to the engine.
bool WriteWouldSend(const WriteOptions& options) {
    std::string text;
    std::string reason;
    long length = 0;
    if (!kdm::ReadWholeFile(options.file, text, length, reason) || length <= kdm::kMinimumWriteLength)
        return true;
    const kdm::FileVerdict verdict = kdm::JudgeDataFile(kdm::ParseParameterSet(text).set).verdict;
    return verdict == kdm::FileVerdict::kWritable ||
           (verdict == kdm::FileVerdict::kAsk && options.allowSuspect);
}

int RunWrite(Context& context, const WriteOptions& options) {
    if (!UseDirectPort(context, options.port)) return kExitUsage;
    if (CheckMachineName(options.machine) != kExitOk) return kExitUsage;
    if (options.backup && WriteWouldSend(options)) {
        const int backedUp =
            BackupBeforeWrite(context, options.file, options.port, options.quiet, options.machine);
        if (backedUp != kExitOk) return backedUp;
    }
    ProgressObserver progress(ChooseProgressMode(options.quiet), true);
    progress.SetDirectPort(options.port);
    progress.SetAllowSuspect(options.allowSuspect);
    kdm::WriteEngine engine(context.link, context.clock, progress);
    // Reading and checking the file may take a while for a large one, and sends nothing: a stop there
    // ends the process at once. From the device search on, the write winds down and tells what the
    // device holds, and keeps its history entry, before the command ends.
    SetStopLine("Stopped before the device search; nothing was written\n");
    InterruptWatcher watcher(false);
    progress.SetOnSearch([&watcher] { watcher.Defer(); });
    watcher.SetTarget([&engine] { engine.RequestStop(); });
    if (engine.StartWriteFile(options.file) == 1) engine.RunTimer();
    watcher.SetTarget(nullptr);
    progress.Finish();

    if (!engine.Ended() && !watcher.Interrupted()) {
        // The window would stay open showing why nothing was sent; here the status is the message.
        std::fprintf(stderr, "%s\n", Text(progress.LastStatus()).c_str());
        PrintSearchAttempts(context);
        engine.Stop(kdm::StopCommand::kCancel);
        return kExitFailure;
    }
    // A stop the engine has not performed yet (it came as the last frame went out, or while a refused
    // start held the port) is performed here.
    if (!engine.Ended()) engine.Stop(kdm::StopCommand::kCancel);
    if (const std::optional<kdm::IncompleteWrite>& incomplete = engine.Incomplete()) {
        // A failed acknowledgement was printed as it happened; a stop is said here, with its cause.
        if (incomplete->end == kdm::WriteEnd::kStopped)
            PrintAlways(StopCause() + ": " + IncompleteSetText(*incomplete));
        RecordInHistory(context, kdm::HistoryKind::kWrite, options.file, kdm::VerifyOutcome::kNotAsked,
                        options.quiet, &*incomplete, options.machine);
        return incomplete->end == kdm::WriteEnd::kStopped ? StopExitCode() : kExitFailure;
    }
    if (engine.Stopped()) {
        progress.Note("Stopped before any frame was sent; the device is unchanged");
        return StopExitCode();
    }
    if (!engine.Completed()) {
        // A port held by another program, or none answering: what became of each port tried.
        PrintSearchAttempts(context);
        return kExitFailure;
    }
    progress.Note("Wrote " + std::to_string(engine.FramesSent()) + " frames from " + options.file);
    // The history shows what went into the device, and whether the device took it.
    if (!options.verify || watcher.Interrupted()) {
        const int kept =
            RecordInHistory(context, kdm::HistoryKind::kWrite, options.file, kdm::VerifyOutcome::kNotAsked,
                            options.quiet, nullptr, options.machine);
        if (watcher.Interrupted()) {
            // The whole file went in; the stop came too late to stop anything but the read-back.
            progress.Note("Stopped after the write was complete; not verified");
            return StopExitCode();
        }
        return kept == kExitHistoryDamaged ? kExitHistoryDamaged : kExitOk;
    }
    const int verified = Verify(context, options, watcher);
    // A read-back that was stopped did not pass either: the write went in, unconfirmed.
    const int kept =
        RecordInHistory(context, kdm::HistoryKind::kWrite, options.file,
                        verified == kExitOk ? kdm::VerifyOutcome::kPassed : kdm::VerifyOutcome::kFailed,
                        options.quiet, nullptr, options.machine);
    if (verified == kExitOk && kept == kExitHistoryDamaged) return kExitHistoryDamaged;
    return verified;
}

}  // namespace

void RegisterWrite(CLI::App& app, Context& context, int& exitCode) {
    auto options = std::make_shared<WriteOptions>();
    CLI::App* write = app.add_subcommand(
        "write",
        "Write a data file into the connected device of the same type, one telegram at a time, each\n"
        "acknowledged by the device. Exit status 0 when every telegram was written, 1 on any failure,\n"
        "2 when written but the device history is damaged, 3 when --verify found differences, 130 when\n"
        "stopped with Ctrl-C or SIGTERM, 129 on SIGHUP. A write that ends part-way says how many of the\n"
        "file's frames the device took, and the history keeps an entry of it marked incomplete.");
    write->add_option("FILE", options->file, "The data file to write")->required();
    write->add_flag("--verify", options->verify,
                    "Afterwards read the device back and compare every parameter with the file; each\n"
                    "difference is printed on stdout as \"record N: file ... device ...\"; a value marked\n"
                    "\" !!!\" or damaged on either side counts as a difference");
    write->add_flag("--allow-suspect", options->allowSuspect,
                    "Write records the read marked \" !!!\" (checksum mismatch) as they are, and a file cut\n"
                    "short after whole frames; without it such a file is refused before the port is opened.\n"
                    "Damaged frames and bytes that are no record are never let through");
    write->add_flag(
        "--backup", options->backup,
        "First read the device (the same search, the same type check) into the history; when\n"
        "that read fails, or the history cannot keep it, nothing is written. A device of another\n"
        "type is refused before anything is read from it");
    write->add_flag("-q,--quiet", options->quiet, "Print nothing but errors (with several ports: failures)");
    auto selection = std::make_shared<PortSelection>();
    write
        ->add_option("--port", selection->ports,
                     "Use this port alone: COMn or a device path (no scan; --verify reads back through it\n"
                     "too). Given several times, every port is written at once, each with its own search,\n"
                     "type check, backup and history entry; one line per port shows how far each got")
        ->type_name("COMn|PATH");
    write->add_flag("--ports-all", selection->all,
                    "Write every port where a device answers, all at once (ports without one are skipped)");
    write
        ->add_option(
            "--name", selection->names,
            "The machine's name in the device history, for the write's entry and the backup's; with\n"
            "several ports once per port as PORT=NAME")
        ->type_name("[PORT=]NAME");
    write->callback([options, selection, &context, &exitCode] {
        // "r1" finds the "r1.KDM" a read saved, as the file dialogs do.
        options->file = kdm::ResolveDataFileName(options->file, "KDM");
        if (ManyPorts(*selection)) {
            ManyWriteOptions many{options->file, options->verify, options->backup, options->allowSuspect,
                                  options->quiet};
            exitCode = RunManyWrites(context, *selection, many);
            return;
        }
        if (!ChooseOnePort(*selection, options->port, options->machine)) {
            exitCode = kExitUsage;
            return;
        }
        exitCode = RunWrite(context, *options);
    });
}

}  // namespace kdmcli
