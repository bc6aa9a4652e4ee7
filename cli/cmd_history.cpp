// kdmxp-cli history: the copies of what was read from devices and written into them, kept in a git
// repository that several laptops can share through one remote; and the hooks read and write use to
// add to it.
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli.h"
#include "cli/diff_output.h"
#include "cli/history_cli.h"
#include "cli/parameter_output.h"
#include "cli/port_option.h"
#include "cli/scratch_directory.h"
#include "cli/stop_signals.h"
#include "cli/transfer_cli.h"
#include "data/dump.h"
#include "data/parameter_diff.h"
#include "data/parameter_model.h"
#include "data/parameter_story.h"
#include "data/strings.h"
#include "files/data_file.h"
#include "transfer/read_engine.h"
#include "transfer/write_engine.h"

namespace kdmcli {
namespace {

std::string NowText() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return kdm::FormatHistoryTime(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty() || path.front() == '/') return path;
    const std::string directory = kdm::CurrentDirectory();
    return directory.empty() ? path : directory + "/" + path;
}

// The port the last search found the device on; empty when none.
std::string FoundPort(Context& context) {
    for (const kdm::SearchAttempt& attempt : context.link.LastSearchAttempts())
        if (attempt.outcome == kdm::PortOutcome::kFound) return attempt.portName;
    return {};
}

// The identification text a data file carries: its identification record, or for a file whose first
// record is not one, the characters after its first STX.
std::string IdentificationOf(const kdm::ParameterSet& set) {
    if (const kdm::Record* record = set.Identification()) return record->Bytes();
    return set.Heading();
}

kdm::WriteEnding EndingOf(const kdm::IncompleteWrite& write) {
    if (write.end == kdm::WriteEnd::kStopped && StopSignal() == SIGHUP) return kdm::WriteEnding::kHangUp;
    return kdm::HistoryEnding(write.end);
}

// Adds the entry for text already in memory: kExitOk, or (the reason on stderr) kExitFailure or
// kExitHistoryDamaged.
int Record(Context& context, kdm::HistoryKind kind, const std::string& text, const std::string& source,
           kdm::VerifyOutcome verify, bool quiet, const kdm::IncompleteWrite* incomplete,
           const std::string& machine) {
    const kdm::ParameterSet set = kdm::ParseParameterSet(text).set;
    kdm::HistoryRecord record;
    record.kind = kind;
    record.contents = text;
    record.identification = IdentificationOf(set);
    record.deviceType = set.DeviceType();
    record.time = NowText();
    record.port = FoundPort(context);
    record.source = source;
    record.verify = verify;
    record.name = machine;
    if (incomplete != nullptr) {
        record.ending = EndingOf(*incomplete);
        record.framesSent = incomplete->framesSent;
        record.framesInFile = incomplete->framesInFile;
    }
    kdm::HistoryEntry entry;
    const kdm::HistoryResult result = context.history.Record(record, entry);
    if (!result.ok) {
        // A damaged history says so in full: the sentence names the repository and what to do.
        std::fprintf(stderr, "%s%s\n",
                     result.damaged ? "" : "Not kept in the history: ", result.reason.c_str());
        return result.damaged ? kExitHistoryDamaged : kExitFailure;
    }
    if (!quiet)
        std::fprintf(stderr, "History: %s%s entry %s for device %s%s\n",
                     entry.Incomplete() ? "incomplete " : "", std::string(kdm::HistoryKindName(kind)).c_str(),
                     entry.ShortId().c_str(), entry.device.c_str(),
                     entry.name.empty() ? "" : (" (machine \"" + entry.name + "\")").c_str());
    return kExitOk;
}

// --- history (listing) ---

struct ListOptions {
    bool json = false;
    std::string device;
};

std::string ShownTime(const std::string& time) {
    return kdm::ShownHistoryTime(time);
}

// Columns on screen of a UTF-8 text (names are typed text: one column a character).
std::size_t Columns(const std::string& utf8) {
    std::size_t count = 0;
    for (const char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    return count;
}

std::string PaddedText(const std::string& text, std::size_t width) {
    const std::size_t columns = Columns(text);
    return columns >= width ? text + " " : text + std::string(width - columns, ' ');
}

nlohmann::ordered_json NameJson(const std::string& name) {
    if (name.empty()) return nullptr;
    return name;
}

// JSON of texts that came from other laptops: a byte that is no UTF-8 never stops the output.
std::string Dumped(const nlohmann::ordered_json& json, int indent = -1) {
    return json.dump(indent, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string Padded(const std::string& text, std::size_t width) {
    return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

nlohmann::ordered_json EntryJson(const kdm::HistoryEntry& entry, const std::string& location) {
    nlohmann::ordered_json json = {
        {"id", entry.id},
        {"shortId", entry.ShortId()},
        {"time", entry.time},
        {"kind", kdm::HistoryKindName(entry.kind)},
        {"device", entry.device},
        {"name", NameJson(entry.name)},
        {"deviceType", entry.deviceType},
        {"identification", Latin1ToUtf8(entry.identification)},
        {"host", Latin1ToUtf8(entry.host)},
        {"user", Latin1ToUtf8(entry.user)},
        {"port", Latin1ToUtf8(entry.port)},
        {"file", entry.file},
        {"path", location + "/" + entry.file},
        {"source", Latin1ToUtf8(entry.source)},
    };
    if (entry.kind == kdm::HistoryKind::kWrite) {
        json["verify"] = kdm::VerifyOutcomeName(entry.verify);
        json["complete"] = !entry.Incomplete();
        if (entry.Incomplete()) {
            json["ending"] = kdm::WriteEndingName(entry.ending);
            json["framesSent"] = entry.framesSent;
            json["framesInFile"] = entry.framesInFile;
        }
    }
    return json;
}

int RunList(Context& context, const ListOptions& options) {
    std::vector<kdm::HistoryEntry> entries;
    const kdm::HistoryResult listed = context.history.List(entries);
    if (!listed.ok) {
        // Never an empty list: the entries are there, and cannot be shown.
        std::fprintf(stderr, "%s\n", listed.reason.c_str());
        return kExitHistoryDamaged;
    }
    if (!options.device.empty()) entries = kdm::EntriesNamedOrOfDevice(entries, options.device);
    const std::string& location = context.history.Location();
    if (options.json) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const kdm::HistoryEntry& entry : entries)
            list.push_back(EntryJson(entry, location));
        const nlohmann::ordered_json document = {{"format", "kdmxp-history"},
                                                 {"version", 1},
                                                 {"location", location},
                                                 {"entries", std::move(list)}};
        std::printf("%s\n", Dumped(document, 2).c_str());
        return kExitOk;
    }
    if (entries.empty()) {
        std::fprintf(stderr, "No entries%s in the history (%s)\n",
                     options.device.empty() ? "" : (" of machine or device " + options.device).c_str(),
                     location.c_str());
        return kExitOk;
    }
    // The machine column appears once a machine has a name: a history without any lists as it always did.
    std::size_t nameWidth = 0;
    for (const kdm::HistoryEntry& entry : entries)
        if (!entry.name.empty()) nameWidth = std::max<std::size_t>({nameWidth, 8, Columns(entry.name) + 2});
    const auto nameCell = [nameWidth](const std::string& text) {
        return nameWidth == 0 ? std::string() : PaddedText(text, nameWidth);
    };
    std::string out = Padded("ENTRY", 13) + Padded("TIME (" + std::string(kdm::kHistoryTimeZone) + ")", 20) +
                      Padded("KIND", 7) + Padded("DEVICE", 16) + nameCell("MACHINE") + Padded("HOST", 16) +
                      Padded("USER", 12) + "PORT\n";
    for (const kdm::HistoryEntry& entry : entries) {
        std::string kind(kdm::HistoryKindName(entry.kind));
        std::string line = Padded(entry.ShortId(), 13) + Padded(ShownTime(entry.time), 20) + Padded(kind, 7) +
                           Padded(entry.device, 16) + nameCell(entry.name.empty() ? "-" : entry.name) +
                           Padded(Latin1ToUtf8(entry.host), 16) + Padded(Latin1ToUtf8(entry.user), 12) +
                           Latin1ToUtf8(entry.port);
        if (entry.kind == kdm::HistoryKind::kWrite && entry.verify != kdm::VerifyOutcome::kNotAsked)
            line += std::string(entry.port.empty() ? "" : " ") + "(verify " +
                    std::string(kdm::VerifyOutcomeName(entry.verify)) + ")";
        if (entry.Incomplete())
            line += std::string(line.back() == ' ' ? "" : " ") +
                    "(incomplete: " + std::to_string(entry.framesSent) + " of " +
                    std::to_string(entry.framesInFile) + " frames, " +
                    std::string(kdm::WriteEndingName(entry.ending)) + ")";
        out += line + "\n";
    }
    std::fputs(out.c_str(), stdout);
    return kExitOk;
}

// --- history remote ---

int RunRemote(Context& context, const std::string& url) {
    if (url.empty()) {
        std::string current;
        const kdm::HistoryResult known = context.history.Remote(current);
        if (!known.ok) {
            std::fprintf(stderr, "%s\n", known.reason.c_str());
            return kExitFailure;
        }
        if (current.empty()) {
            std::fprintf(stderr, "No remote is set for the history\n");
            return kExitFailure;
        }
        std::printf("%s\n", current.c_str());
        return kExitOk;
    }
    const kdm::HistoryResult set = context.history.SetRemote(url);
    if (!set.ok) {
        std::fprintf(stderr, "%s\n", set.reason.c_str());
        return kExitFailure;
    }
    return kExitOk;
}

// --- history sync ---

int RunSync(Context& context, bool quiet) {
    // Fetching may wait on the network for long: a stop ends it at once, and the git program with it.
    SetStopLine("History sync stopped; nothing is lost, and the next sync completes it\n");
    std::string url;
    context.history.Remote(url);
    kdm::SyncReport report;
    const kdm::HistoryResult synced = context.history.Sync(report, [quiet, &url](kdm::SyncStage stage) {
        if (quiet) return;
        switch (stage) {
            case kdm::SyncStage::kFetching:
                std::fprintf(stderr, "Fetching from %s ...\n", url.c_str());
                break;
            case kdm::SyncStage::kMerging:
                std::fprintf(stderr, "Merging ...\n");
                break;
            case kdm::SyncStage::kPushing:
                std::fprintf(stderr, "Pushing to %s ...\n", url.c_str());
                break;
        }
        std::fflush(stderr);
    });
    if (!synced.ok) {
        if (synced.damaged) {
            std::fprintf(stderr, "%s\n", synced.reason.c_str());
            return kExitHistoryDamaged;
        }
        std::fprintf(stderr, "%s; the history is unchanged%s\n", synced.reason.c_str(),
                     url.empty() ? " (set a remote with: kdmxp-cli history remote URL)" : "");
        return kExitFailure;
    }
    if (!quiet)
        std::fprintf(stderr, "Synchronised with %s: %d entries received, %d sent\n", report.remote.c_str(),
                     report.received, report.sent);
    return kExitOk;
}

// --- history diff ---

// Its exit status follows kdmxp-cli diff (and diff(1)).
inline constexpr int kDiffSame = 0;
inline constexpr int kDiffDifferent = 1;
inline constexpr int kDiffTrouble = 2;

struct DiffOptions {
    std::string first;
    std::string second;
    std::string format = "text";
};

// "entry 1a2b3c4d5e6f (write 2026-12-08 09:14:03 by bert@laptop-b)": what a side of the comparison is.
std::string EntryLabel(const kdm::HistoryEntry& entry) {
    return "entry " + entry.ShortId() + " (" + std::string(kdm::HistoryKindName(entry.kind)) + " " +
           ShownTime(entry.time) + " by " + Latin1ToUtf8(entry.user) + "@" + Latin1ToUtf8(entry.host) + ")";
}

nlohmann::ordered_json EntrySummaryJson(const kdm::HistoryEntry& entry) {
    return {
        {"id", entry.id},     {"kind", kdm::HistoryKindName(entry.kind)}, {"device", entry.device},
        {"time", entry.time}, {"host", Latin1ToUtf8(entry.host)},         {"user", Latin1ToUtf8(entry.user)}};
}

int RunDiff(Context& context, const DiffOptions& options) {
    kdm::HistoryEntry newer;
    kdm::HistoryResult found = context.history.Find(options.first, newer);
    if (!found.ok) {
        std::fprintf(stderr, "%s\n", found.reason.c_str());
        return kDiffTrouble;
    }
    kdm::HistoryEntry older;
    if (options.second.empty()) {
        // One entry: what changed since the entry before it of the same machine, on any laptop.
        std::vector<kdm::HistoryEntry> entries;
        found = context.history.List(entries);
        const kdm::HistoryEntry* previous =
            found.ok ? kdm::PreviousEntryOfDevice(entries, newer.id) : nullptr;
        if (!found.ok) {
            std::fprintf(stderr, "%s\n", found.reason.c_str());
            return kDiffTrouble;
        }
        if (previous == nullptr) {
            const std::string of =
                newer.name.empty() ? "device " + newer.device : "machine \"" + newer.name + "\"";
            std::fprintf(stderr, "Entry %s is the first of %s: there is nothing before it to compare with\n",
                         newer.ShortId().c_str(), of.c_str());
            return kDiffTrouble;
        }
        older = *previous;
    } else {
        // Two entries: the first named is A, as with kdmxp-cli diff A B.
        older = newer;
        found = context.history.Find(options.second, newer);
        if (!found.ok) {
            std::fprintf(stderr, "%s\n", found.reason.c_str());
            return kDiffTrouble;
        }
    }
    std::string textA, textB;
    for (auto [entry, text] : {std::pair{&older, &textA}, std::pair{&newer, &textB}}) {
        const kdm::HistoryResult read = context.history.ReadContents(*entry, *text);
        if (!read.ok) {
            std::fprintf(stderr, "%s\n", read.reason.c_str());
            return kDiffTrouble;
        }
    }
    const kdm::ParameterDiff diff =
        kdm::CompareParameterSets(kdm::ParseParameterSet(textA).set, kdm::ParseParameterSet(textB).set);
    const std::string labelA = EntryLabel(older);
    const std::string labelB = EntryLabel(newer);
    if (options.format == "json") {
        nlohmann::ordered_json document = ParameterDiffJson(diff, labelA, labelB);
        document["entryA"] = EntrySummaryJson(older);
        document["entryB"] = EntrySummaryJson(newer);
        std::printf("%s\n", document.dump().c_str());
    } else {
        std::fputs(ParameterDiffText(diff, labelA, labelB).c_str(), stdout);
    }
    std::fflush(stdout);
    return diff.Same() ? kDiffSame : kDiffDifferent;
}

// --- history name ---

struct NameOptions {
    std::string entry;
    std::string name;
    bool only = false;
};

int RunName(Context& context, const NameOptions& options) {
    if (CheckMachineName(options.name) != kExitOk) return kExitUsage;
    kdm::HistoryEntry entry;
    const kdm::HistoryResult named =
        context.history.Name(options.entry, options.name, !options.only, NowText(), entry);
    if (!named.ok) {
        std::fprintf(stderr, "%s\n", named.reason.c_str());
        return named.damaged ? kExitHistoryDamaged : kExitFailure;
    }
    std::fprintf(stderr, "Entry %s (device %s) belongs to machine \"%s\"\n", entry.ShortId().c_str(),
                 entry.device.c_str(), entry.name.c_str());
    return kExitOk;
}

// --- history blame ---

inline constexpr int kBlameTrouble = 2;

struct BlameOptions {
    std::string machine;
    std::string format = "text";
};

nlohmann::ordered_json SinceJson(const kdm::HistoryEntry& entry) {
    return {{"entry", entry.id},
            {"time", entry.time},
            {"kind", kdm::HistoryKindName(entry.kind)},
            {"user", Latin1ToUtf8(entry.user)},
            {"host", Latin1ToUtf8(entry.host)}};
}

std::string BlameText(const std::string& machine, const std::vector<kdm::HistoryEntry>& entries,
                      const std::vector<kdm::StoryCell>& cells) {
    using Row = std::array<std::string, 9>;
    std::vector<Row> rows;
    rows.push_back({"BLOCK", "PROGRAM", "LETTER", "NAME", "VALUE", "SINCE",
                    "TIME (" + std::string(kdm::kHistoryTimeZone) + ")", "KIND", "BY"});
    for (const kdm::StoryCell& cell : cells) {
        const kdm::HistoryEntry& since = entries[cell.since];
        const bool system = cell.block == kdm::DiffBlock::kSystem;
        std::string program;
        if (!system) program = cell.program ? std::to_string(*cell.program) : Latin1ToUtf8(cell.programText);
        std::string value = cell.value.empty() ? std::string("(blank)") : Latin1ToUtf8(cell.value);
        if (cell.flagged) value += kdm::kMismatchMark;
        rows.push_back({system ? "system" : "program", program, Latin1ToUtf8(cell.letter),
                        Latin1ToUtf8(cell.name), value, since.ShortId(), ShownTime(since.time),
                        std::string(kdm::HistoryKindName(since.kind)),
                        Latin1ToUtf8(since.user) + "@" + Latin1ToUtf8(since.host)});
    }
    std::array<std::size_t, 9> widths{};
    for (const Row& row : rows)
        for (std::size_t i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], Columns(row[i]));
    std::string out = "Machine " + machine + ": " + std::to_string(entries.size()) +
                      (entries.size() == 1 ? " entry" : " entries") + ", the newest " +
                      entries.front().ShortId() + "\n\n";
    for (const Row& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i)
            line += i + 1 == row.size() ? row[i] : PaddedText(row[i], widths[i] + 1);
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out += line + "\n";
    }
    const auto flagged =
        std::count_if(cells.begin(), cells.end(), [](const kdm::StoryCell& c) { return c.flagged; });
    if (flagged > 0)
        out += "\n" + std::to_string(flagged) + " value(s) marked" + std::string(kdm::kMismatchMark) +
               ": a telegram that cannot be trusted ended the run there, or holds the value now\n";
    return out;
}

int RunBlame(Context& context, const BlameOptions& options) {
    std::vector<kdm::HistoryEntry> all;
    const kdm::HistoryResult listed = context.history.List(all);
    if (!listed.ok) {
        std::fprintf(stderr, "%s\n", listed.reason.c_str());
        return kBlameTrouble;
    }
    const std::vector<kdm::HistoryEntry> entries = kdm::EntriesOfMachine(all, options.machine);
    if (entries.empty()) {
        const bool named = !kdm::EntriesNamedOrOfDevice(all, options.machine).empty();
        std::fprintf(stderr, "No machine \"%s\" in the history (%s)%s\n", options.machine.c_str(),
                     context.history.Location().c_str(),
                     named ? ": every entry of that device belongs to a named machine (kdmxp-cli history "
                             "--device lists them)"
                           : "");
        return kBlameTrouble;
    }
    std::vector<kdm::ParameterSet> sets;
    sets.reserve(entries.size());
    for (const kdm::HistoryEntry& entry : entries) {
        std::string text;
        const kdm::HistoryResult read = context.history.ReadContents(entry, text);
        if (!read.ok) {
            std::fprintf(stderr, "%s\n", read.reason.c_str());
            return kBlameTrouble;
        }
        sets.push_back(kdm::ParseParameterSet(text).set);
    }
    const std::vector<kdm::StoryCell> cells = kdm::ParameterStory(sets);
    if (options.format == "json") {
        nlohmann::ordered_json parameters = nlohmann::ordered_json::array();
        for (const kdm::StoryCell& cell : cells) {
            const bool system = cell.block == kdm::DiffBlock::kSystem;
            parameters.push_back({{"block", system ? "system" : "program"},
                                  {"program", cell.program ? nlohmann::ordered_json(*cell.program) : nullptr},
                                  {"letter", Latin1ToUtf8(cell.letter)},
                                  {"name", Latin1ToUtf8(cell.name)},
                                  {"value", Latin1ToUtf8(cell.value)},
                                  {"since", SinceJson(entries[cell.since])},
                                  {"suspect", cell.flagged}});
        }
        const nlohmann::ordered_json document = {{"format", "kdmxp-blame"},
                                                 {"version", 1},
                                                 {"device", options.machine},
                                                 {"entries", entries.size()},
                                                 {"parameters", std::move(parameters)}};
        std::printf("%s\n", Dumped(document).c_str());
    } else {
        std::fputs(BlameText(options.machine, entries, cells).c_str(), stdout);
    }
    std::fflush(stdout);
    return kExitOk;
}

}  // namespace

int CheckMachineName(const std::string& machine) {
    std::string why;
    if (machine.empty() || kdm::ValidMachineName(machine, why)) return kExitOk;
    std::fprintf(stderr, "--name: %s\n", why.c_str());
    return kExitUsage;
}

int RecordInHistory(Context& context, kdm::HistoryKind kind, const std::string& path,
                    kdm::VerifyOutcome verify, bool quiet, const kdm::IncompleteWrite* incomplete,
                    const std::string& machine) {
    std::string text, reason;
    long length = 0;
    if (!kdm::ReadWholeFile(path, text, length, reason)) {
        std::fprintf(stderr, "Not kept in the history: %s\n", reason.c_str());
        return kExitFailure;
    }
    return Record(context, kind, text, AbsolutePath(path), verify, quiet, incomplete, machine);
}

int BackupBeforeWrite(Context& context, const std::string& file, const std::string& port, bool quiet,
                      const std::string& machine) {
    std::string fileText, reason;
    long length = 0;
    if (!kdm::ReadWholeFile(file, fileText, length, reason)) {
        std::fprintf(stderr, "Cannot read the data file: %s\n",
                     reason.empty() ? file.c_str() : reason.c_str());
        return kExitFailure;
    }
    // From here the scratch directory is removed on the way out, and the backup kept whole or not at all.
    DeferStops keepWhole;
    ScratchDirectory scratch("backup");
    if (scratch.Path().empty()) {
        std::fprintf(stderr, "Backup: cannot create a temporary directory; nothing was written\n");
        return kExitFailure;
    }
    ProgressObserver progress(ChooseProgressMode(quiet), false);
    progress.Note("Reading the device into the history before writing ...");
    progress.SetDirectPort(port);
    progress.SetSavePath(scratch.Path() + "/device.KDM");
    progress.SetTempPath(scratch.Path() + "/KDM.tmp");
    kdm::ReadEngine reader(context.link, context.clock, progress, scratch.Path() + "/KDM.tmp");
    // The type is checked as soon as the device named it: a file meant for another type of device
    // costs no read, and there is no backup to speak of.
    reader.SetDeviceGate([&progress, &fileText](const std::string& identification) {
        if (kdm::FileMatchesDevice(identification, fileText)) return true;
        progress.Finish();
        const auto typeOf = [](std::string_view text) {
            std::string heading;
            const int type = kdm::DetectDeviceType(text, heading);
            return type > 0 ? "type " + std::to_string(type) : std::string("an unknown type");
        };
        std::fprintf(stderr, "%s\n", Text(kdm::sid::kWrongDeviceType).c_str());
        std::fprintf(stderr,
                     "The file is for devices of %s, the device is of %s: nothing was read or written\n",
                     typeOf(fileText).c_str(), typeOf(identification).c_str());
        return false;
    });
    const bool interrupted = RunInterruptibleRead(reader);
    progress.Finish();
    if (reader.Outcome() == kdm::JobOutcome::kDeclined) return kExitFailure;
    if (reader.Stopped() || interrupted) {
        if (!reader.Ended()) reader.Stop(kdm::StopCommand::kCancel);
        std::fprintf(stderr, "Backup stopped; nothing was written\n");
        return StopExitCode();
    }
    if (reader.SavedPath().empty()) {
        PrintSearchAttempts(context);
        std::fprintf(stderr, "Backup: the device could not be read; nothing was written\n");
        return kExitFailure;
    }
    std::string deviceText;
    if (!kdm::ReadWholeFile(reader.SavedPath(), deviceText, length, reason)) {
        std::fprintf(stderr, "Backup: %s; nothing was written\n", reason.c_str());
        return kExitFailure;
    }
    const int kept = Record(context, kdm::HistoryKind::kBackup, deviceText, std::string(),
                            kdm::VerifyOutcome::kNotAsked, quiet, nullptr, machine);
    if (kept != kExitOk) {
        std::fprintf(stderr, "Backup: the history did not take it; nothing was written\n");
        return kept;
    }
    if (StopArrived()) {
        std::fprintf(stderr, "Backup kept; stopped before writing, nothing was written\n");
        return StopExitCode();
    }
    return kExitOk;
}

int RecordBackupInHistory(Context& context, const std::string& deviceText, bool quiet,
                          const std::string& machine) {
    return Record(context, kdm::HistoryKind::kBackup, deviceText, std::string(),
                  kdm::VerifyOutcome::kNotAsked, quiet, nullptr, machine);
}

void RegisterHistory(CLI::App& app, Context& context, int& exitCode) {
    auto list = std::make_shared<ListOptions>();
    CLI::App* history = app.add_subcommand(
        "history",
        "List the device history, newest first: every read, every backup before a write and every\n"
        "write, with its time, device, host, user and port. Entries are kept in a git repository in\n"
        "$XDG_DATA_HOME/kdmxp/history (~/.local/share/kdmxp/history); identical contents are stored\n"
        "once. Its subcommands share the history with other laptops and compare entries. A history that\n"
        "cannot be read (a damaged repository) is never listed as empty: it says why, exit status 2.");
    history->add_flag("--json", list->json, "Print the entries as one JSON document");
    history
        ->add_option("--device", list->device,
                     "Only the entries of this machine or device: a machine's name (the MACHINE column),\n"
                     "or a device id (the DEVICE column), which lists the named machines of that device too")
        ->type_name("NAME|ID");
    history->require_subcommand(0, 1);

    auto url = std::make_shared<std::string>();
    CLI::App* remote = history->add_subcommand(
        "remote",
        "Set the shared remote the history syncs with (any URL git accepts: a path, file://, ssh);\n"
        "without URL, print the one set");
    remote->add_option("URL", *url, "The remote, usually a bare git repository");
    remote->callback([url, &context, &exitCode] { exitCode = RunRemote(context, *url); });

    auto quiet = std::make_shared<bool>(false);
    CLI::App* sync = history->add_subcommand(
        "sync",
        "Fetch the entries other laptops recorded, merge them in and push this laptop's entries.\n"
        "With no remote set or the remote out of reach nothing changes (exit status 1)");
    sync->add_flag("-q,--quiet", *quiet, "Print nothing but errors");
    sync->callback([quiet, &context, &exitCode] { exitCode = RunSync(context, *quiet); });

    auto compare = std::make_shared<DiffOptions>();
    CLI::App* diff = history->add_subcommand(
        "diff",
        "Compare two entries parameter by parameter, as kdmxp-cli diff does (ENTRY2 is B); with one\n"
        "ENTRY, compare the entry before it of the same machine (A) with it (B). Exit status 0 the same,\n"
        "1 different, 2 trouble (no such entry, nothing before it)");
    diff->add_option("ENTRY", compare->first, "An entry id, or 4 or more of its first hex digits")
        ->required();
    diff->add_option("ENTRY2", compare->second, "A second entry");
    diff->add_option("--format", compare->format,
                     "text (default): a table of the differences;\n"
                     "json: the object of kdmxp-cli diff, with \"entryA\" and \"entryB\" added")
        ->check(CLI::IsMember({"text", "json"}));
    diff->callback([compare, &context, &exitCode] { exitCode = RunDiff(context, *compare); });

    auto naming = std::make_shared<NameOptions>();
    CLI::App* name = history->add_subcommand(
        "name",
        "Name the machine of an entry, or rename it: every entry of the machine takes the new name\n"
        "(with --only, that entry alone). The naming is an entry of its own, shared by sync; the latest\n"
        "naming wins on every laptop");
    name->add_option("ENTRY", naming->entry, "An entry id, or 4 or more of its first hex digits")->required();
    name->add_option("NAME", naming->name, "The machine's name (\"Press 7\")")->required();
    name->add_flag("--only", naming->only, "Name this entry alone (it was given another machine's name)");
    name->callback([naming, &context, &exitCode] { exitCode = RunName(context, *naming); });

    auto story = std::make_shared<BlameOptions>();
    CLI::App* blame = history->add_subcommand(
        "blame",
        "For every parameter of a machine's newest entry, its value and the entry since which it holds\n"
        "it (the oldest of an unbroken run of that value): entry, time, kind, user and host. A value\n"
        "that cannot be trusted on either side of a step counts as a change and is marked. Exit status\n"
        "0, 2 for no such machine or an unreadable history");
    blame->add_option("NAME", story->machine, "A machine's name, or the device id of unnamed entries")
        ->required();
    blame
        ->add_option(
            "--format", story->format,
            "text (default): a table;\n"
            "json: {\"format\":\"kdmxp-blame\",\"version\":1,\"device\",\"entries\",\"parameters\":[...]}")
        ->check(CLI::IsMember({"text", "json"}));
    blame->callback([story, &context, &exitCode] { exitCode = RunBlame(context, *story); });

    history->callback([history, list, &context, &exitCode] {
        if (history->get_subcommands().empty()) exitCode = RunList(context, *list);
    });
}

}  // namespace kdmcli
