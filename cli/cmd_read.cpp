// kdmxp-cli read: reads every parameter of the connected device into "KDM.tmp" in the working
// directory, then saves a byte-identical copy as the data file named with -o.
#include <cstdio>
#include <memory>
#include <string>

#include "cli/cli.h"
#include "cli/transfer_cli.h"
#include "files/data_file.h"
#include "transfer/read_engine.h"

namespace kdmcli {
namespace {

struct ReadOptions {
    std::string output;
    bool quiet = false;
};

int RunRead(Context& context, const ReadOptions& options) {
    const std::string directory = kdm::CurrentDirectory();
    if (directory.empty()) {
        std::fprintf(stderr, "Cannot read the working directory, where the temporary file belongs\n");
        return kExitFailure;
    }
    const std::string tempPath = kdm::InitTempFilePath(directory);
    ProgressObserver progress(ChooseProgressMode(options.quiet), false);
    progress.SetSavePath(options.output);
    progress.SetTempPath(tempPath);
    kdm::ReadEngine engine(context.link, context.clock, progress, tempPath);
    bool interrupted = false;
    {
        InterruptWatcher watcher(context.link);
        watcher.SetTarget([&engine] { engine.RequestStop(); });
        if (engine.StartRead() == 1) engine.RunTimer();
        interrupted = watcher.Interrupted();
        watcher.SetTarget(nullptr);
    }
    progress.Finish();

    if (engine.Stopped() || interrupted) {
        if (!engine.Ended()) engine.Stop(kdm::kIdCancel);
        progress.Note("Stopped; " + tempPath + " holds what arrived");
        return kExitStopped;
    }
    if (engine.SavedPath().empty()) return kExitFailure;
    // Damaged frames carry the same mark as checksum mismatches and are counted among them.
    const std::string damaged = engine.DamagedFrames() > 0
                                    ? " (" + std::to_string(engine.DamagedFrames()) + " damaged on the line)"
                                    : std::string();
    progress.Note("Read " + std::to_string(engine.StoredTelegrams()) + " telegrams (" +
                  std::to_string(engine.SystemTelegrams()) + " system, " + std::to_string(engine.Programs()) +
                  " programs), " + std::to_string(engine.ChecksumMismatches()) + " checksum mismatches" +
                  damaged + " -> " + engine.SavedPath());
    if (engine.ChecksumMismatches() > 0 && options.quiet) {
        // Even a quiet run must not let " !!!" inside the file be the only trace.
        std::fprintf(stderr, "%d telegrams marked \" !!!\" in %s\n", engine.ChecksumMismatches(),
                     engine.SavedPath().c_str());
    }
    return kExitOk;
}

}  // namespace

void RegisterRead(CLI::App& app, Context& context, int& exitCode) {
    auto options = std::make_shared<ReadOptions>();
    CLI::App* read = app.add_subcommand(
        "read",
        "Read every system and program parameter of the connected device and save them as a data file.\n"
        "The telegrams are stored in KDM.tmp in the working directory as they arrive; on success FILE\n"
        "becomes an exact copy. Exit status 0 when saved, 1 on any failure, 130 when stopped with Ctrl-C\n"
        "(KDM.tmp then keeps what arrived).");
    read->add_option("-o,--output", options->output, "The data file to save (replaced if it exists)")
        ->required();
    read->add_flag("-q,--quiet", options->quiet, "Print nothing but errors");
    read->callback([options, &context, &exitCode] { exitCode = RunRead(context, *options); });
}

}  // namespace kdmcli
