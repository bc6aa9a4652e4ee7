// kdmxp-cli diff: compares two data files, or a data file with the connected device, parameter by
// parameter. The exit status follows diff(1): 0 the same, 1 different, 2 trouble.
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "cli/cli.h"
#include "cli/diff_output.h"
#include "cli/port_option.h"
#include "cli/scratch_directory.h"
#include "cli/stop_signals.h"
#include "cli/transfer_cli.h"
#include "data/file_verdict.h"
#include "data/parameter_diff.h"
#include "data/parameter_model.h"
#include "files/data_file.h"
#include "files/data_file_name.h"
#include "transfer/read_engine.h"

namespace kdmcli {
namespace {

inline constexpr int kDiffSame = 0;
inline constexpr int kDiffDifferent = 1;
inline constexpr int kDiffTrouble = 2;

struct DiffOptions {
    std::string fileA;
    std::string fileB;
    bool device = false;
    std::string format = "text";
    std::string port;
    bool quiet = false;
};

std::optional<kdm::ParameterSet> LoadSet(const std::string& path) {
    std::string text;
    std::string reason;
    long length = 0;
    if (!kdm::ReadWholeFile(path, text, length, reason)) {
        std::fprintf(stderr, "kdmxp-cli diff: %s\n", reason.c_str());
        return std::nullopt;
    }
    kdm::ParsedParameterSet parsed = kdm::ParseParameterSetInPlace(std::move(text));
    if (!parsed.ok) {
        std::fprintf(stderr, "kdmxp-cli diff: %s: %s\n", path.c_str(), parsed.reason.c_str());
        return std::nullopt;
    }
    return std::move(parsed.set);
}

struct DeviceRead {
    int exitCode = kDiffTrouble;
    kdm::ParameterSet set;
    std::string port;  // where the device answered
};

// Reads the whole device as `kdmxp-cli read` does. Telegrams that arrive damaged stay in the set,
// marked: the comparison counts them as differences.
DeviceRead ReadDevice(Context& context, const DiffOptions& options) {
    DeviceRead result;
    // The scratch directory goes with the read; the comparison after it may be stopped at once.
    DeferStops keepWhole;
    ScratchDirectory scratch("diff");
    if (scratch.Path().empty()) {
        std::fprintf(stderr, "kdmxp-cli diff: cannot create a temporary directory for the device's data\n");
        return result;
    }
    const std::string tempPath = scratch.Path() + "/KDM.tmp";
    ProgressObserver progress(ChooseProgressMode(options.quiet), false);
    progress.SetSavePath(scratch.Path() + "/device.KDM");
    progress.SetTempPath(tempPath);
    progress.SetDirectPort(options.port);
    kdm::ReadEngine engine(context.link, context.clock, progress, tempPath);
    const bool interrupted = RunInterruptibleRead(engine);
    progress.Finish();
    if (engine.Stopped() || interrupted) {
        if (!engine.Ended()) engine.Stop(kdm::StopCommand::kCancel);
        std::fprintf(stderr, "Stopped; the device was not compared\n");
        result.exitCode = StopExitCode();
        return result;
    }
    if (engine.SavedPath().empty()) {
        PrintSearchAttempts(context);
        return result;
    }
    std::optional<kdm::ParameterSet> set = LoadSet(engine.SavedPath());
    if (!set) return result;
    result.set = std::move(*set);
    for (const kdm::SearchAttempt& attempt : context.link.LastSearchAttempts()) {
        if (attempt.outcome == kdm::PortOutcome::kFound) result.port = attempt.portName;
    }
    result.exitCode = kDiffSame;
    return result;
}

int RunDiff(Context& context, const DiffOptions& options) {
    if (options.device == !options.fileB.empty()) {
        std::fprintf(stderr, "kdmxp-cli diff: give a second data file or --device, not %s\n",
                     options.device ? "both" : "neither");
        return kDiffTrouble;
    }
    if (!options.device && !options.port.empty()) {
        std::fprintf(stderr, "kdmxp-cli diff: --port goes with --device\n");
        return kDiffTrouble;
    }
    const std::optional<kdm::ParameterSet> a = LoadSet(options.fileA);
    if (!a) return kDiffTrouble;

    kdm::ParameterSet b;
    std::string labelB = options.fileB;
    std::string port;
    if (options.device) {
        if (!UseDirectPort(context, options.port)) return kDiffTrouble;
        DeviceRead read = ReadDevice(context, options);
        if (read.exitCode != kDiffSame) return read.exitCode;
        b = std::move(read.set);
        port = read.port;
        labelB = "device";
    } else {
        std::optional<kdm::ParameterSet> loaded = LoadSet(options.fileB);
        if (!loaded) return kDiffTrouble;
        b = std::move(*loaded);
    }

    // A file that a write would refuse, or send only when allowed, is not the same as a sound one,
    // however its parameters compare. The device's side is what it sent: its marks are differences.
    const kdm::FileJudgement judgementA = kdm::JudgeDataFile(*a);
    std::optional<kdm::FileJudgement> judgementB;
    if (!options.device) judgementB = kdm::JudgeDataFile(b);
    const kdm::FileJudgement* sideB = judgementB ? &*judgementB : nullptr;
    const bool filesSound = judgementA.verdict == kdm::FileVerdict::kWritable &&
                            (!judgementB || judgementB->verdict == kdm::FileVerdict::kWritable);
    // Written as the comparison goes: two large files that differ everywhere hold more differences than
    // bytes, and none of them is kept.
    bool same = false;
    if (options.format == "json") {
        nlohmann::ordered_json more = nlohmann::ordered_json::object();
        if (options.device) more["port"] = port;
        more["files"] = FileJudgementsJson(&judgementA, sideB);
        same = WriteComparisonJson(std::cout, *a, b, options.fileA, labelB, more);
        std::cout << '\n';
    } else {
        same = WriteComparisonText(std::cout, *a, b, options.fileA,
                                   options.device && !port.empty() ? "device on " + port : labelB,
                                   &judgementA, sideB);
    }
    std::cout.flush();
    return same && filesSound ? kDiffSame : kDiffDifferent;
}

}  // namespace

void RegisterDiff(CLI::App& app, Context& context, int& exitCode) {
    auto options = std::make_shared<DiffOptions>();
    CLI::App* diff = app.add_subcommand(
        "diff",
        "Compare two data files, or a data file with the connected device (--device), parameter by\n"
        "parameter: system parameters by letter, program parameters by program number and letter. Each\n"
        "difference is listed once: changed, only in A or only in B; a value whose telegram failed its\n"
        "checksum or was damaged always counts as a difference. A file that a write would refuse or\n"
        "send only with --allow-suspect (cut short, bytes that are no record ...) is named with what is\n"
        "wrong with it. Exit status 0 when both hold the same parameters and both files are as a read\n"
        "stores them, 1 otherwise, 2 on trouble (a file that cannot be read, no device), 130 when\n"
        "stopped with Ctrl-C or SIGTERM, 129 on SIGHUP.");
    diff->add_option("A", options->fileA, "Data file (.KDM)")->required();
    diff->add_option("B", options->fileB, "Data file (.KDM) to compare with A");
    diff->add_flag("--device", options->device,
                   "Read the connected device and compare A with it (B is the device); its data goes to a\n"
                   "temporary directory, never to KDM.tmp");
    diff->add_option("--format", options->format,
                     "text (default): a table of the differences;\n"
                     "json: one object {\"a\", \"b\", \"deviceType\", \"differences\": [...], \"files\"}")
        ->check(CLI::IsMember({"text", "json"}));
    diff->add_option("--port", options->port, "With --device: use this port alone (COMn or a device path)")
        ->type_name("COMn|PATH");
    diff->add_flag("-q,--quiet", options->quiet, "With --device: print no progress, only errors");
    diff->callback([options, &context, &exitCode] {
        // "r1" finds the "r1.KDM" a read saved, as the file dialogs do.
        options->fileA = kdm::ResolveDataFileName(options->fileA, "KDM");
        if (!options->fileB.empty()) options->fileB = kdm::ResolveDataFileName(options->fileB, "KDM");
        exitCode = RunDiff(context, *options);
    });
}

}  // namespace kdmcli
