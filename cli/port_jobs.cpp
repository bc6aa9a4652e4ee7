#include "cli/port_jobs.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "cli/history_cli.h"
#include "cli/port_board.h"
#include "cli/port_option.h"
#include "cli/read_sizes.h"
#include "cli/scratch_directory.h"
#include "cli/stop_signals.h"
#include "cli/transfer_cli.h"
#include "data/file_verdict.h"
#include "data/parameter_model.h"
#include "data/strings.h"
#include "files/data_file.h"
#include "link/search_report.h"
#include "platform/atomic_save.h"
#include "platform/history.h"
#include "transfer/read_engine.h"
#include "transfer/verify.h"
#include "transfer/write_engine.h"

namespace kdmcli {

bool ManyPorts(const PortSelection& selection) {
    return selection.all || selection.ports.size() > 1;
}

namespace {

std::string LastPart(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// "COM3" for any spelling of port 3; a device path as given; empty for anything else.
std::string PortKey(const std::string& port) {
    const int n = kdm::PortNumberOfName(port);
    if (n != 0) return "COM" + std::to_string(n);
    if (!port.empty() && port.front() == '/') return port;
    return {};
}

bool AddJob(Context& context, const std::string& port, std::vector<PortJobSpec>& jobs,
            std::map<std::string, std::string>& devices, std::string& reason) {
    const std::string key = PortKey(port);
    if (key.empty()) {
        reason = "Not a port: " + port + " (use COM1 to COM30, or a device path such as /dev/ttyUSB0)";
        return false;
    }
    // Two names for one device would open it twice: the second job would take the first one's line.
    const std::string device = context.portMap.DevicePathOf(key);
    const std::string identity = device.empty() ? key : device;
    if (const auto seen = devices.find(identity); seen != devices.end()) {
        reason = seen->second == key ? key + " is given twice"
                                     : seen->second + " and " + key + " are the same port (" + identity + ")";
        return false;
    }
    devices.emplace(identity, key);
    PortJobSpec job;
    job.port = key;
    job.label = key.front() == '/' ? LastPart(key) : key;
    jobs.push_back(std::move(job));
    return true;
}

}  // namespace

bool PlanPortJobs(Context& context, const PortSelection& selection, std::vector<PortJobSpec>& jobs,
                  std::string& reason) {
    jobs.clear();
    std::map<std::string, std::string> devices;
    for (const std::string& port : selection.ports) {
        if (!AddJob(context, port, jobs, devices, reason)) return false;
    }
    if (selection.all) {
        // Every name that leads to a device node right now; the search on each tells where a device is.
        for (const kdm::PortAssignment& assignment : context.portMap.Table().names) {
            if (assignment.devicePath.empty() || ::access(assignment.devicePath.c_str(), F_OK) != 0) continue;
            const std::string device = context.portMap.DevicePathOf(assignment.name);
            if (devices.count(device.empty() ? assignment.name : device) != 0) continue;
            if (!AddJob(context, assignment.name, jobs, devices, reason)) return false;
        }
    }
    if (jobs.empty()) {
        reason = "No port to use: no port name leads to a device here (see kdmxp-cli ports)";
        return false;
    }
    for (const std::string& given : selection.names) {
        const std::size_t equals = given.find('=');
        PortJobSpec* job = nullptr;
        std::string name = given;
        if (equals == std::string::npos) {
            if (jobs.size() == 1) job = &jobs.front();
        } else {
            const std::string key = PortKey(given.substr(0, equals));
            name = given.substr(equals + 1);
            for (PortJobSpec& candidate : jobs) {
                if (candidate.port == key) job = &candidate;
            }
        }
        if (job == nullptr || name.empty()) {
            reason = "--name " + given + ": give it as PORT=NAME, PORT one of the ports used";
            return false;
        }
        std::string why;
        if (!kdm::ValidMachineName(name, why)) {
            reason = "--name " + given + ": " + why;
            return false;
        }
        job->name = name;
    }
    return true;
}

bool ChooseOnePort(const PortSelection& selection, std::string& port, std::string& name) {
    port = selection.ports.empty() ? std::string() : selection.ports.front();
    name.clear();
    if (selection.names.empty()) return true;
    if (selection.names.size() > 1) {
        std::fprintf(stderr, "--name: one port, one name (several names are for several --port)\n");
        return false;
    }
    const std::string& given = selection.names.front();
    const std::size_t equals = given.find('=');
    const bool forThePort =
        equals != std::string::npos && !port.empty() && PortKey(given.substr(0, equals)) == PortKey(port);
    name = forThePort ? given.substr(equals + 1) : given;
    return true;
}

std::string ReadFileNameOf(const PortJobSpec& job) {
    std::string stem = job.name.empty() ? job.label : job.name;
    for (char& c : stem) {
        if (c == '/') c = '_';
    }
    return stem + ".KDM";
}

namespace {

// The engines running right now, one slot per job, so that a stop signal reaches every one of them.
class StopTargets {
  public:
    explicit StopTargets(std::size_t count) : targets_(count) {}
    void Set(std::size_t index, std::function<void()> target) {
        std::lock_guard<std::mutex> lock(mutex_);
        targets_[index] = std::move(target);
    }
    void StopAll() {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const auto& target : targets_) {
            if (target) target();
        }
    }

  private:
    std::mutex mutex_;
    std::vector<std::function<void()>> targets_;
};

struct JobResult {
    int code = kExitFailure;
    bool skipped = false;  // --ports-all: no device on this port
    std::string summary;
};

// What every job shares.
struct Shared {
    PortBoard& board;
    StopTargets& stops;
    std::mutex& history;  // one entry at a time: every job's history is the same repository
    bool allPorts;
};

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += (text.empty() ? "" : "; ") + line;
    return text;
}

// Why a job that found no device, or failed otherwise, ended: the error it showed, or its last status,
// with what became of the port when its search found nothing.
std::string FailureReason(Context& context, const PortObserver& observer) {
    std::string reason = !observer.LastError().empty() ? observer.LastError()
                         : observer.LastStatus() != 0  ? Text(observer.LastStatus())
                                                       : std::string("the job ended early");
    std::vector<std::string> lines;
    bool found = false;
    for (const kdm::SearchAttempt& attempt : context.link.LastSearchAttempts())
        found = found || attempt.outcome == kdm::PortOutcome::kFound;
    if (!found) lines = kdm::DescribeSearchAttempts(context.link.LastSearchAttempts(), context.portMap);
    if (!lines.empty()) reason += " (" + Joined(lines) + ")";
    return reason;
}

// True when the job's search tried its port and found no device there.
bool NoDeviceFound(Context& context) {
    const auto& attempts = context.link.LastSearchAttempts();
    if (attempts.empty()) return false;
    for (const kdm::SearchAttempt& attempt : attempts) {
        if (attempt.outcome == kdm::PortOutcome::kFound || attempt.outcome == kdm::PortOutcome::kStopped)
            return false;
    }
    return true;
}

// Runs `engine` from `start` to its end, reachable by a stop signal meanwhile.
template <typename Engine, typename Start>
void RunJob(Shared& shared, std::size_t index, Engine& engine, Start start) {
    shared.stops.Set(index, [&engine] { engine.RequestStop(); });
    if (!StopArrived() && start() == 1) engine.RunTimer();
    shared.stops.Set(index, nullptr);
    if (!engine.Ended()) engine.Stop(kdm::StopCommand::kCancel);
}

void NewPhase(Shared& shared, std::size_t index, const char* phase, const char* unit) {
    shared.board.Change(index, [phase, unit](PortRow& row) {
        row.phase = phase;
        row.unit = unit;
        row.done = 0;
        row.total = 0;
        row.program.clear();
        row.wait.clear();
    });
}

void ShowTotalOnIdentified(Shared& shared, std::size_t index, Context& context, PortObserver& observer,
                           std::string& identification) {
    observer.SetOnIdentified([&shared, index, &context, &identification](const std::string& text) {
        identification = text.substr(0, text.find('\r'));
        const int total = LastReadSize(context.settings, identification);
        shared.board.Change(index, [total](PortRow& row) { row.total = total; });
    });
}

// --ports-all: a port without a device is no failure; what became of it is still said.
JobResult Skipped(Context& context) {
    const std::vector<std::string> lines =
        kdm::DescribeSearchAttempts(context.link.LastSearchAttempts(), context.portMap);
    return JobResult{kExitOk, true, lines.empty() ? "no device" : "no device (" + Joined(lines) + ")"};
}

JobResult Stopped(const std::string& what) {
    return JobResult{StopExitCode(), false, StopCause() + ": " + what};
}

JobResult Failed(const std::string& why) {
    return JobResult{kExitFailure, false, "failed: " + why};
}

// The device read back after the write and compared with the file; kExitOk, kExitDifferent, or a
// failure or stop with its summary in `result`.
int VerifyJob(Shared& shared, std::size_t index, Context& context, PortObserver& observer,
              const PortJobSpec& spec, const std::string& fileText, std::string& summary) {
    ScratchDirectory scratch("verify");
    if (scratch.Path().empty()) {
        summary = "written, not verified: cannot create a temporary directory";
        return kExitFailure;
    }
    NewPhase(shared, index, "verifying", "telegrams");
    std::string identification;
    ShowTotalOnIdentified(shared, index, context, observer, identification);
    observer.SetSavePath(scratch.Path() + "/device.KDM");
    kdm::ReadEngine reader(context.link, context.clock, observer, scratch.Path() + "/KDM.tmp");
    RunJob(shared, index, reader, [&reader] { return reader.StartRead(); });
    observer.SetOnIdentified(nullptr);
    if (reader.Stopped() || StopArrived()) {
        summary = "written; the verify was stopped";
        return StopExitCode();
    }
    std::string deviceText, reason;
    long length = 0;
    if (reader.SavedPath().empty() || !kdm::ReadWholeFile(reader.SavedPath(), deviceText, length, reason)) {
        summary = "written, but the device could not be read back: " + FailureReason(context, observer);
        return kExitFailure;
    }
    const auto differences = kdm::CompareParameterRecords(fileText, deviceText);
    const std::size_t records = kdm::SplitRecords(fileText).size();
    const std::size_t parameters = records > 0 ? records - 1 : 0;
    if (!differences.empty()) {
        shared.board.Aside([&] {
            for (const auto& difference : differences)
                std::printf("%s: %s\n", spec.label.c_str(), kdm::DescribeDifference(difference).c_str());
        });
        summary = "written, but " + std::to_string(differences.size()) + " of " + std::to_string(parameters) +
                  " parameters differ from the device";
        return kExitDifferent;
    }
    summary = "verified, all " + std::to_string(parameters) + " parameters match";
    return kExitOk;
}

int KeepInHistory(Shared& shared, const std::function<int()>& record) {
    std::lock_guard<std::mutex> lock(shared.history);
    int kept = kExitOk;
    // What the history says when it cannot take an entry goes between the display's lines.
    shared.board.Aside([&] { kept = record(); });
    return kept;
}

JobResult WriteJob(Shared& shared, std::size_t index, Context& context, const PortJobSpec& spec,
                   const ManyWriteOptions& options, const std::string& fileText) {
    UseDirectPort(context, spec.port);
    PortObserver observer(shared.board, index);
    observer.SetAllowSuspect(options.allowSuspect);

    if (options.backup) {
        ScratchDirectory scratch("backup");
        if (scratch.Path().empty())
            return Failed("backup: cannot create a temporary directory; nothing was written");
        NewPhase(shared, index, "backup", "telegrams");
        std::string identification;
        bool wrongType = false;
        std::optional<kdm::ReadEngine> reader;
        reader.emplace(context.link, context.clock, observer, scratch.Path() + "/KDM.tmp");
        // The type is checked as soon as the device names it: a device of another type is turned away
        // before anything is read from it.
        reader->SetDeviceGate([&](const std::string& text) {
            if (kdm::FileMatchesDevice(text, fileText)) return true;
            wrongType = true;
            return false;
        });
        observer.SetOnIdentified([&](const std::string& text) {
            identification = text.substr(0, text.find('\r'));
            const int total = LastReadSize(context.settings, identification);
            shared.board.Change(index, [total](PortRow& row) { row.total = total; });
        });
        observer.SetSavePath(scratch.Path() + "/device.KDM");
        RunJob(shared, index, *reader, [&reader] { return reader->StartRead(); });
        observer.SetOnIdentified(nullptr);
        if (wrongType) return Failed(Text(kdm::sid::kWrongDeviceType) + "; nothing was read or written");
        if (reader->Stopped() || StopArrived()) return Stopped("during the backup; nothing was written");
        if (shared.allPorts && NoDeviceFound(context)) return Skipped(context);
        std::string deviceText, reason;
        long length = 0;
        if (reader->SavedPath().empty() ||
            !kdm::ReadWholeFile(reader->SavedPath(), deviceText, length, reason))
            return Failed("the backup read failed: " + FailureReason(context, observer) +
                          "; nothing was written");
        const int kept = KeepInHistory(
            shared, [&] { return RecordBackupInHistory(context, deviceText, true, spec.name); });
        if (kept != kExitOk)
            return JobResult{kept, false, "failed: the history did not take the backup; nothing was written"};
        reader.reset();
    }

    NewPhase(shared, index, "writing", "frames");
    kdm::WriteEngine engine(context.link, context.clock, observer);
    RunJob(shared, index, engine, [&] {
        const int started = engine.StartWriteFile(options.file);
        const int total = engine.FramesInFile();
        shared.board.Change(index, [total](PortRow& row) { row.total = total; });
        return started;
    });
    if (const std::optional<kdm::IncompleteWrite>& incomplete = engine.Incomplete()) {
        KeepInHistory(shared, [&] {
            return RecordInHistory(context, kdm::HistoryKind::kWrite, options.file,
                                   kdm::VerifyOutcome::kNotAsked, true, &*incomplete, spec.name);
        });
        if (incomplete->end == kdm::WriteEnd::kStopped) return Stopped(IncompleteSetText(*incomplete));
        return Failed(kdm::DeviceErrorText(incomplete->errorNumber) + ": " + IncompleteSetText(*incomplete));
    }
    if (StopArrived() && !engine.Completed())
        return Stopped("before any frame was sent; the device is unchanged");
    if (!engine.Completed()) {
        if (shared.allPorts && !options.backup && NoDeviceFound(context)) return Skipped(context);
        return Failed(FailureReason(context, observer));
    }
    std::string summary = "written, " + std::to_string(engine.FramesSent()) + " frames";
    int code = kExitOk;
    kdm::VerifyOutcome verify = kdm::VerifyOutcome::kNotAsked;
    if (options.verify && !StopArrived()) {
        std::string verified;
        code = VerifyJob(shared, index, context, observer, spec, fileText, verified);
        summary += "; " + verified;
        verify = code == kExitOk ? kdm::VerifyOutcome::kPassed : kdm::VerifyOutcome::kFailed;
    }
    const int kept = KeepInHistory(shared, [&] {
        return RecordInHistory(context, kdm::HistoryKind::kWrite, options.file, verify, true, nullptr,
                               spec.name);
    });
    if (code == kExitOk && kept == kExitHistoryDamaged) code = kExitHistoryDamaged;
    if (code == kExitFailure) summary = "failed: " + summary;
    return JobResult{code, false, summary};
}

JobResult ReadJob(Shared& shared, std::size_t index, Context& context, const PortJobSpec& spec,
                  const ManyReadOptions& options) {
    UseDirectPort(context, spec.port);
    PortObserver observer(shared.board, index);
    const std::string output = options.directory + "/" + ReadFileNameOf(spec);
    // Each read's telegrams go into a file of its own: a failure leaves what arrived for that device.
    const std::string tempPath = output.substr(0, output.size() - 4) + ".tmp";
    NewPhase(shared, index, "reading", "telegrams");
    std::string identification;
    ShowTotalOnIdentified(shared, index, context, observer, identification);
    observer.SetSavePath(output);
    kdm::ReadEngine engine(context.link, context.clock, observer, tempPath);
    RunJob(shared, index, engine, [&engine] { return engine.StartRead(); });
    observer.SetOnIdentified(nullptr);
    if (engine.Stopped() || StopArrived()) {
        return Stopped(engine.TempFileWritten() ? tempPath + " holds what arrived"
                                                : "during the device search; nothing was read");
    }
    if (engine.SavedPath().empty()) {
        if (shared.allPorts && NoDeviceFound(context)) return Skipped(context);
        std::string why = FailureReason(context, observer);
        if (engine.TempFileWritten() && why.find(tempPath) == std::string::npos)
            why += "; " + tempPath + " holds what arrived";
        return Failed(why);
    }
    RememberReadSize(context.settings, identification, engine.StoredTelegrams());
    ::unlink(tempPath.c_str());
    std::string summary = "read " + std::to_string(engine.StoredTelegrams()) + " telegrams (" +
                          std::to_string(engine.SystemTelegrams()) + " system, " +
                          std::to_string(engine.Programs()) + " programs) -> " + engine.SavedPath();
    int code = kExitOk;
    if (engine.ChecksumMismatches() > 0) {
        summary += "; " + std::to_string(engine.ChecksumMismatches()) +
                   " telegram(s) with a checksum mismatch or damage";
        code = kExitSuspect;
    }
    const int kept = KeepInHistory(shared, [&] {
        return RecordInHistory(context, kdm::HistoryKind::kRead, engine.SavedPath(),
                               kdm::VerifyOutcome::kNotAsked, true, nullptr, spec.name);
    });
    if (kept == kExitHistoryDamaged) code = kExitHistoryDamaged;
    return JobResult{code, false, summary};
}

BoardMode ModeFor(bool quiet) {
    if (quiet) return BoardMode::kQuiet;
    return ::isatty(STDERR_FILENO) ? BoardMode::kLive : BoardMode::kLines;
}

std::size_t TerminalWidth() {
    struct winsize size {};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 0;
}

long long NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Runs `job` for every port at once and sums up: the exit status of the whole command.
int RunAll(const std::vector<PortJobSpec>& jobs, bool quiet, bool allPorts, const char* done,
           const std::function<JobResult(Shared&, std::size_t, Context&)>& job) {
    std::vector<std::string> labels;
    for (const PortJobSpec& spec : jobs)
        labels.push_back(spec.label);
    PortBoard board(ModeFor(quiet), labels, stderr, NowMs, TerminalWidth());
    StopTargets stops(jobs.size());
    std::mutex history;
    Shared shared{board, stops, history, allPorts};
    // Every job has a link, a port and a settings store of its own; made here, before any thread runs.
    std::vector<std::unique_ptr<Context>> contexts;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        contexts.push_back(std::make_unique<Context>());
        contexts.back()->history.SetRunWatch(WatchChild);
    }
    std::vector<JobResult> results(jobs.size());
    {
        InterruptWatcher watcher;
        watcher.SetTarget([&stops] { stops.StopAll(); });
        std::vector<std::thread> threads;
        for (std::size_t i = 0; i < jobs.size(); ++i) {
            threads.emplace_back([&, i] {
                results[i] = job(shared, i, *contexts[i]);
                board.End(i, results[i].code != kExitOk && !results[i].skipped, results[i].summary);
            });
        }
        for (std::thread& thread : threads)
            thread.join();
        watcher.SetTarget(nullptr);
    }
    if (StopArrived()) return StopExitCode();
    int served = 0, failed = 0, status = kExitOk;
    for (const JobResult& result : results) {
        if (result.skipped) continue;
        ++served;
        if (result.code == kExitFailure) ++failed;
        // A verify's differences weigh more than a damaged history or untrusted telegrams.
        if (result.code != kExitOk && status != kExitDifferent) status = result.code;
    }
    if (served == 0) {
        PrintAlways("No device answered on any port");
        return kExitFailure;
    }
    if (failed > 0) {
        PrintAlways(std::to_string(failed) + " of " + std::to_string(served) + " devices failed");
        return kExitFailure;
    }
    if (!quiet) PrintAlways(std::to_string(served) + " of " + std::to_string(served) + " devices " + done);
    return status;
}

// The check the write engine makes of the file before it opens a port, made once for all ports: a
// file it would refuse is refused here, with its reasons, before any job starts.
bool FileFitForAll(Context& context, const PortJobSpec& first, const ManyWriteOptions& options,
                   std::string& fileText) {
    std::string reason;
    long length = 0;
    if (!kdm::ReadWholeFile(options.file, fileText, length, reason)) {
        std::fprintf(stderr, "Cannot read the data file: %s\n",
                     reason.empty() ? options.file.c_str() : reason.c_str());
        return false;
    }
    if (length > kdm::kMinimumWriteLength) {
        const kdm::FileVerdict verdict = kdm::JudgeDataFile(kdm::ParseParameterSet(fileText).set).verdict;
        if (verdict == kdm::FileVerdict::kWritable ||
            (verdict == kdm::FileVerdict::kAsk && options.allowSuspect))
            return true;
    }
    // The engine says why; it refuses such a file before it opens the port.
    UseDirectPort(context, first.port);
    ProgressObserver progress(ProgressMode::kQuiet, true);
    progress.SetAllowSuspect(options.allowSuspect);
    kdm::WriteEngine engine(context.link, context.clock, progress);
    if (engine.StartWriteFile(options.file) == 1) {
        // Too short to judge, and taken: the jobs go ahead and each says what becomes of it.
        engine.Stop(kdm::StopCommand::kCancel);
        return true;
    }
    if (!engine.Ended()) engine.Stop(kdm::StopCommand::kCancel);
    return false;
}

}  // namespace

int RunManyWrites(Context& context, const PortSelection& selection, const ManyWriteOptions& options) {
    std::vector<PortJobSpec> jobs;
    std::string reason;
    if (!PlanPortJobs(context, selection, jobs, reason)) {
        std::fprintf(stderr, "%s\n", reason.c_str());
        return kExitUsage;
    }
    std::string fileText;
    if (!FileFitForAll(context, jobs.front(), options, fileText)) return kExitFailure;
    return RunAll(jobs, options.quiet, selection.all, "written",
                  [&](Shared& shared, std::size_t index, Context& jobContext) {
                      return WriteJob(shared, index, jobContext, jobs[index], options, fileText);
                  });
}

int RunManyReads(Context& context, const PortSelection& selection, const ManyReadOptions& options) {
    std::vector<PortJobSpec> jobs;
    std::string reason;
    if (!PlanPortJobs(context, selection, jobs, reason)) {
        std::fprintf(stderr, "%s\n", reason.c_str());
        return kExitUsage;
    }
    // Refused before any device is read: a directory that is not there or cannot be written to, or two
    // ports whose files would have one name.
    std::map<std::string, std::string> files;
    for (const PortJobSpec& job : jobs) {
        const std::string file = ReadFileNameOf(job);
        if (!files.emplace(file, job.port).second) {
            std::fprintf(stderr, "%s and %s would both be saved as %s: give one of them a --name\n",
                         files[file].c_str(), job.port.c_str(), file.c_str());
            return kExitUsage;
        }
        std::string unusable;
        if (!kdm::CheckSaveDestination(options.directory + "/" + file, unusable)) {
            std::fprintf(stderr, "%s\n", unusable.c_str());
            return kExitFailure;
        }
    }
    return RunAll(jobs, options.quiet, selection.all, "read",
                  [&](Shared& shared, std::size_t index, Context& jobContext) {
                      return ReadJob(shared, index, jobContext, jobs[index], options);
                  });
}

}  // namespace kdmcli
