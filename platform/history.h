// The device history: a copy of every parameter set read from a device (and of every file written into
// one), kept with when, where and by whom, so that a technician can see what a device held before and
// what went into it, on every laptop that shares the history.
//
// Entries. Each entry is one data file plus a few facts: its kind (a read, the backup read before a
// write, or a write), the device it belongs to, the time, the host, the user and the port. Its id is the
// same on every laptop that holds it, so it can be named in a ticket or a phone call; an unambiguous
// prefix of at least kMinEntryIdPrefix hex digits names it too. Identical contents are stored once,
// however many entries refer to them.
//
// Devices. A device is named by HistoryDeviceId: its type and the value field of its identification
// telegram, in characters that are safe in a file name and on a command line.
//
// Machines. Every device of one type at one address sends the same identification, so a service
// team's forty presses would be one device. An entry may therefore carry a machine name, given when it
// is recorded or later. A later naming is a record of its own (a HistoryNaming, kept beside the
// entries and shared with them), never a change of the entry: two laptops that name a machine each
// keep both namings after a merge, and the later one wins on both. An entry without a name belongs to
// the machine its device id names.
//
// This header holds the interface the programs use and the pure parts every implementation shares:
// the entry's text form, the device name, listing order. Nothing here throws; calls that can fail
// return a HistoryResult whose reason is a sentence for the user.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kdm {

enum class HistoryKind : std::uint8_t {
    kRead,    // kdmxp-cli read, or a read in the desktop application
    kBackup,  // the read before a write (write --backup)
    kWrite,   // a file written into a device
};

// "read", "backup", "write".
std::string_view HistoryKindName(HistoryKind kind);
std::optional<HistoryKind> HistoryKindOfName(std::string_view name);

// What --verify said about a write.
enum class VerifyOutcome : std::uint8_t {
    kNotAsked,  // no read-back (and every entry that is not a write)
    kPassed,    // the device held every parameter of the file
    kFailed,    // differences, or the read-back failed
};

// "not-asked", "passed", "failed".
std::string_view VerifyOutcomeName(VerifyOutcome outcome);
std::optional<VerifyOutcome> VerifyOutcomeOfName(std::string_view name);

// How a write ended that did not complete: the device then holds part of the file over what it held
// before. Every other entry, and every entry of a version that did not know this, is kComplete.
enum class WriteEnding : std::uint8_t {
    kComplete,
    kStopped,      // Esc, Cancel, Ctrl-C or SIGTERM
    kHangUp,       // the terminal or the session of the command line went away (SIGHUP)
    kDeviceError,  // the device answered a frame with an error number
    kNoResponse,   // no acknowledgement came (a silent device, a cut line, a port that went away)
    kOther,        // a way of ending a later version names
};

// "complete", "stopped", "hang-up", "device-error", "no-response", "other".
std::string_view WriteEndingName(WriteEnding ending);
// Any name a later version may add reads as kOther; empty is no name at all.
std::optional<WriteEnding> WriteEndingOfName(std::string_view name);

inline constexpr std::size_t kMinEntryIdPrefix = 4;

struct HistoryEntry {
    std::string id;  // 40 hex digits, the same on every laptop
    HistoryKind kind = HistoryKind::kRead;
    std::string device;          // HistoryDeviceId
    int deviceType = 0;          // 0 when the identification names no known type
    std::string identification;  // the 14 characters of the device's identification telegram, as sent
    std::string time;            // UTC, "2026-12-08T09:14:03.250Z" (FormatHistoryTime)
    std::string host;
    std::string user;
    std::string port;    // the port the device was found on ("COM3", or a device path); may be empty
    std::string file;    // the data file inside the history folder ("devices/<device>/<name>.KDM")
    std::string source;  // the file a read saved or a write sent, as given on that laptop; may be empty
    VerifyOutcome verify = VerifyOutcome::kNotAsked;
    // A write that ended part-way: how, and how many of the file's frames went out before.
    WriteEnding ending = WriteEnding::kComplete;
    int framesSent = 0;
    int framesInFile = 0;
    // The machine's name (UTF-8) as the latest naming left it; empty when it has none.
    std::string name;

    bool Incomplete() const { return ending != WriteEnding::kComplete; }
    // The id's first 12 hex digits: what listings show.
    std::string ShortId() const { return id.substr(0, 12); }
};

// What a caller hands over to be recorded; the history adds the host, the user, the file and the id.
struct HistoryRecord {
    HistoryKind kind = HistoryKind::kRead;
    std::string contents;        // the data file's bytes
    std::string identification;  // STX and 14 characters, or the 14 alone (a leading STX is dropped)
    int deviceType = 0;
    std::string time;  // FormatHistoryTime of the moment the read or write ended
    std::string port;
    std::string source;
    VerifyOutcome verify = VerifyOutcome::kNotAsked;
    // A write that ended part-way (kind kWrite): the device holds the file's first `framesSent` frames.
    WriteEnding ending = WriteEnding::kComplete;
    int framesSent = 0;
    int framesInFile = 0;
    // The machine's name (ValidMachineName), or empty.
    std::string name;
};

// A later naming of an entry's machine: recorded as a record of its own, so that it travels with the
// entries, and applied when they are listed (ApplyNamings).
struct HistoryNaming {
    std::string id;     // the record's own id (a commit id)
    std::string entry;  // the full id of the entry named
    std::string name;   // the new name
    // True: every entry that bore the entry's name at that point is renamed with it (the machine got a
    // new name); false, or for an entry without a name: that entry alone (it was given the wrong one).
    bool wholeMachine = true;
    std::string time;  // FormatHistoryTime of the naming: the later one wins
    std::string host;
    std::string user;
};

struct HistoryResult {
    bool ok = false;
    std::string reason;    // why not, when !ok: one sentence for the user
    bool damaged = false;  // the history exists but cannot be read as it is: never to be taken as empty

    static HistoryResult Ok() { return {true, {}, false}; }
    static HistoryResult Fail(std::string why) { return {false, std::move(why), false}; }
    static HistoryResult Damaged(std::string why) { return {false, std::move(why), true}; }
};

// The steps of a sync, for whoever shows progress.
enum class SyncStage : std::uint8_t {
    kFetching,  // asking the remote what it holds
    kMerging,   // taking in what other laptops recorded
    kPushing,   // sending this laptop's entries
};

struct SyncReport {
    std::string remote;  // the URL synced with
    int received = 0;    // entries that came from the remote
    int sent = 0;        // entries the remote did not have before
    int attempts = 0;    // pushes tried (another laptop may push in between; then it goes round again)
};

class IHistory {
  public:
    virtual ~IHistory() = default;

    // The folder the history lives in (may not exist yet).
    virtual const std::string& Location() const = 0;

    // Adds one entry. Creates the history on first use. `entry` is filled on success.
    virtual HistoryResult Record(const HistoryRecord& record, HistoryEntry& entry) = 0;
    // Every entry, of every laptop, newest first (SortNewestFirst). An absent history is empty; one that
    // exists and cannot be read fails with `damaged` set and the reason, never as an empty list.
    virtual HistoryResult List(std::vector<HistoryEntry>& entries) = 0;
    // The entry named by its id or an unambiguous prefix of it (kMinEntryIdPrefix hex digits at least).
    virtual HistoryResult Find(std::string_view idOrPrefix, HistoryEntry& entry) = 0;
    // The data file of an entry, byte for byte.
    virtual HistoryResult ReadContents(const HistoryEntry& entry, std::string& contents) = 0;
    // Names (or renames) the machine of the entry `idOrPrefix` names: records a naming made at `time`
    // (FormatHistoryTime) by this laptop's user. `entry` is the entry as listed afterwards. The name
    // must be ValidMachineName.
    virtual HistoryResult Name(std::string_view idOrPrefix, const std::string& name, bool wholeMachine,
                               const std::string& time, HistoryEntry& entry) = 0;

    // The shared remote: any URL the storage accepts (a path, file://, ssh). Setting it again replaces it.
    virtual HistoryResult SetRemote(const std::string& url) = 0;
    // Empty `url` (and ok) when none is set.
    virtual HistoryResult Remote(std::string& url) = 0;
    // Takes in the remote's entries and sends this laptop's. With no remote set, or the remote out of
    // reach, nothing changes and the reason says so. Entries are never lost: an interrupted sync leaves
    // both sides as they were or further along, and the next sync completes it. `stage` (may be empty)
    // is called as each step begins.
    virtual HistoryResult Sync(SyncReport& report, const std::function<void(SyncStage)>& stage) = 0;
};

// --- Pure parts -----------------------------------------------------------------------------------

// "t<type>-<value field>": the device type and telegram positions 2 to 10 of the identification (sign,
// value characters, suffix), e.g. "t2-+I1P000--". Characters other than letters, digits, '+' and '-'
// become "_" and two hex digits, so the name is safe as a file name and a shell word. An identification
// too short to have a value field gives "t<type>-none".
std::string HistoryDeviceId(std::string_view identification, int deviceType);

// "2026-12-08T09:14:03.250Z" for milliseconds since 1970-01-01 UTC.
std::string FormatHistoryTime(std::int64_t unixMs);

// How every front end shows an entry's time: as stored, in UTC, to the second ("2026-12-08 09:14:03"),
// with kHistoryTimeZone in the heading above it. UTC rather than local time, so that the laptops of a
// team in several time zones, and a ticket that quotes a time, name the same moment.
inline constexpr std::string_view kHistoryTimeZone = "UTC";
std::string ShownHistoryTime(std::string_view time);

// The text an entry is stored with: a summary line, a blank line, then one "name: value" line per fact
// in a fixed order, beginning with "kdmxp-history: 1". Values are single lines: a backslash and every
// byte outside printable ASCII are written as "\\" and "\xHH". The id is not part of the text.
// A write that ended part-way adds "ending", "frames-sent" and "frames-in-file" after the others, and
// its summary line begins "incomplete write": versions that do not know these lines pass over them
// and list the entry as a write, and git's own log says what it is.
std::string FormatHistoryMessage(const HistoryEntry& entry);
// Reads such a text back (the id left as it is). False when the text is not an entry of this version or
// lacks a kind, a device or a file: a commit someone made by hand, which listings pass over.
bool ParseHistoryMessage(std::string_view text, HistoryEntry& entry);

// The text a naming is stored with: a summary line, a blank line, then "kdmxp-history: 1" and its facts
// ("names", "name", "scope", "time", "host", "user"). It has no "kind", so that versions that know no
// namings pass over it as they pass over any commit that is no entry.
std::string FormatNamingMessage(const HistoryNaming& naming);
// Reads it back (the id left as it is); false for any other text.
bool ParseNamingMessage(std::string_view text, HistoryNaming& naming);

// Sets each entry's name as the namings leave it, taken oldest first (by time, then by id): a naming of
// a named entry with wholeMachine renames every entry that then bears that name; otherwise it names
// the one entry. Namings of entries not in the list are passed over.
void ApplyNamings(std::vector<HistoryEntry>& entries, std::vector<HistoryNaming> namings);

// True for a name a machine may have: 1 to kMaxMachineNameBytes bytes of UTF-8 without control
// characters, not beginning or ending with a blank. `why` says what is wrong otherwise.
inline constexpr std::size_t kMaxMachineNameBytes = 200;
bool ValidMachineName(std::string_view name, std::string& why);

// What names an entry's machine: its name, else its device id.
const std::string& MachineOf(const HistoryEntry& entry);
// The entries of one machine, in the order given: those named `machine`, or when `machine` is a device
// id, the unnamed entries of that device.
std::vector<HistoryEntry> EntriesOfMachine(const std::vector<HistoryEntry>& entries,
                                           std::string_view machine);
// What `history --device` lists: entries whose name or device id is `text`.
std::vector<HistoryEntry> EntriesNamedOrOfDevice(const std::vector<HistoryEntry>& entries,
                                                 std::string_view text);
// Every machine name in the entries, once each, sorted.
std::vector<std::string> MachineNames(const std::vector<HistoryEntry>& entries);

// Newest first by time; entries with the same time keep their order.
void SortNewestFirst(std::vector<HistoryEntry>& entries);
// The entries of one device, in the order given.
std::vector<HistoryEntry> EntriesOfDevice(const std::vector<HistoryEntry>& entries, std::string_view device);
// In a newest-first list, the entry of the same machine (MachineOf) that comes right before `id` in
// time; null when `id` is the machine's first entry or not in the list.
const HistoryEntry* PreviousEntryOfDevice(const std::vector<HistoryEntry>& entries, std::string_view id);

// True for a text that can name an entry: kMinEntryIdPrefix to 40 hex digits.
bool IsEntryIdPrefix(std::string_view text);

}  // namespace kdm
