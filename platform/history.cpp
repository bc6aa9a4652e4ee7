#include "platform/history.h"

#include <algorithm>
#include <ctime>

namespace kdm {
namespace {

constexpr std::string_view kVersionLine = "kdmxp-history: 1";
constexpr char kHex[] = "0123456789abcdef";

// Values stay on one line whatever bytes a damaged identification or an odd file name holds.
std::string EscapeValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (byte < 0x20 || byte > 0x7e) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0f];
        } else {
            out += c;
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool UnescapeValue(std::string_view text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '\\') {
            out += '\\';
            ++i;
            continue;
        }
        if (i + 3 < text.size() && text[i + 1] == 'x') {
            const int high = HexDigit(text[i + 2]);
            const int low = HexDigit(text[i + 3]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 3;
                continue;
            }
        }
        return false;
    }
    return true;
}

// A decimal number of at most `digits` digits.
bool ParseCount(std::string_view text, int& number, std::size_t digits) {
    if (text.empty() || text.size() > digits) return false;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    number = value;
    return true;
}

bool ParseType(std::string_view text, int& type) {
    return ParseCount(text, type, 4);
}

// Frame counts: a data file under the size limit holds fewer than 10^8 frames.
bool ParseFrames(std::string_view text, int& frames) {
    return ParseCount(text, frames, 8);
}

}  // namespace

std::string_view HistoryKindName(HistoryKind kind) {
    switch (kind) {
        case HistoryKind::kRead:
            return "read";
        case HistoryKind::kBackup:
            return "backup";
        case HistoryKind::kWrite:
            return "write";
    }
    return "read";
}

std::optional<HistoryKind> HistoryKindOfName(std::string_view name) {
    for (const HistoryKind kind : {HistoryKind::kRead, HistoryKind::kBackup, HistoryKind::kWrite})
        if (HistoryKindName(kind) == name) return kind;
    return std::nullopt;
}

std::string_view VerifyOutcomeName(VerifyOutcome outcome) {
    switch (outcome) {
        case VerifyOutcome::kNotAsked:
            return "not-asked";
        case VerifyOutcome::kPassed:
            return "passed";
        case VerifyOutcome::kFailed:
            return "failed";
    }
    return "not-asked";
}

std::optional<VerifyOutcome> VerifyOutcomeOfName(std::string_view name) {
    for (const VerifyOutcome outcome :
         {VerifyOutcome::kNotAsked, VerifyOutcome::kPassed, VerifyOutcome::kFailed})
        if (VerifyOutcomeName(outcome) == name) return outcome;
    return std::nullopt;
}

std::string_view WriteEndingName(WriteEnding ending) {
    switch (ending) {
        case WriteEnding::kComplete:
            return "complete";
        case WriteEnding::kStopped:
            return "stopped";
        case WriteEnding::kHangUp:
            return "hang-up";
        case WriteEnding::kDeviceError:
            return "device-error";
        case WriteEnding::kNoResponse:
            return "no-response";
        case WriteEnding::kOther:
            return "other";
    }
    return "other";
}

std::optional<WriteEnding> WriteEndingOfName(std::string_view name) {
    if (name.empty()) return std::nullopt;
    for (const WriteEnding ending : {WriteEnding::kComplete, WriteEnding::kStopped, WriteEnding::kHangUp,
                                     WriteEnding::kDeviceError, WriteEnding::kNoResponse})
        if (WriteEndingName(ending) == name) return ending;
    return WriteEnding::kOther;
}

std::string HistoryDeviceId(std::string_view identification, int deviceType) {
    if (!identification.empty() && identification.front() == '\x02') identification.remove_prefix(1);
    std::string id = "t" + std::to_string(deviceType) + "-";
    if (identification.size() <= 2) return id + "none";
    const std::string_view field = identification.substr(2, 9);
    for (const char c : field) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                           c == '+' || c == '-';
        if (plain) {
            id += c;
        } else {
            id += '_';
            id += kHex[byte >> 4];
            id += kHex[byte & 0x0f];
        }
    }
    return id;
}

std::string FormatHistoryTime(std::int64_t unixMs) {
    std::int64_t seconds = unixMs / 1000;
    std::int64_t millis = unixMs % 1000;
    if (millis < 0) {
        millis += 1000;
        --seconds;
    }
    const auto when = static_cast<std::time_t>(seconds);
    std::tm parts{};
    if (::gmtime_r(&when, &parts) == nullptr) return "1970-01-01T00:00:00.000Z";
    char text[40];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &parts);
    std::string out(text, length);
    const int ms = static_cast<int>(millis);
    out += '.';
    out += static_cast<char>('0' + ms / 100);
    out += static_cast<char>('0' + ms / 10 % 10);
    out += static_cast<char>('0' + ms % 10);
    out += 'Z';
    return out;
}

std::string ShownHistoryTime(std::string_view time) {
    std::string shown(time.substr(0, 19));
    if (shown.size() > 10 && shown[10] == 'T') shown[10] = ' ';
    return shown;
}

std::string FormatHistoryMessage(const HistoryEntry& entry) {
    std::string text;
    if (entry.Incomplete()) text += "incomplete ";
    text += std::string(HistoryKindName(entry.kind)) + " " + entry.device;
    if (!entry.host.empty() || !entry.user.empty())
        text += " by " + EscapeValue(entry.user) + "@" + EscapeValue(entry.host);
    text += "\n\n";
    text += kVersionLine;
    text += '\n';
    const auto line = [&text](std::string_view name, std::string_view value) {
        text += name;
        text += ": ";
        text += EscapeValue(value);
        text += '\n';
    };
    line("kind", HistoryKindName(entry.kind));
    line("device", entry.device);
    line("device-type", std::to_string(entry.deviceType));
    line("identification", entry.identification);
    line("time", entry.time);
    line("host", entry.host);
    line("user", entry.user);
    line("port", entry.port);
    line("file", entry.file);
    line("source", entry.source);
    line("verify", VerifyOutcomeName(entry.verify));
    // Only when given, so that an entry without one reads as older versions wrote it.
    if (!entry.name.empty()) line("name", entry.name);
    if (entry.Incomplete()) {
        line("ending", WriteEndingName(entry.ending));
        line("frames-sent", std::to_string(entry.framesSent));
        line("frames-in-file", std::to_string(entry.framesInFile));
    }
    return text;
}

bool ParseHistoryMessage(std::string_view text, HistoryEntry& entry) {
    // The facts follow the first empty line (a line end may have been written as CR LF on its way).
    std::size_t blank = text.find("\n\n");
    std::size_t skip = 2;
    if (const std::size_t crlf = text.find("\r\n\r\n"); crlf < blank) {
        blank = crlf;
        skip = 4;
    }
    if (blank == std::string_view::npos) return false;
    std::string_view body = text.substr(blank + skip);
    HistoryEntry parsed;
    parsed.id = entry.id;
    bool versioned = false, hasKind = false;
    while (!body.empty()) {
        const std::size_t end = body.find('\n');
        std::string_view line = body.substr(0, end);
        body = end == std::string_view::npos ? std::string_view() : body.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        if (line == kVersionLine) {
            versioned = true;
            continue;
        }
        const std::size_t colon = line.find(": ");
        if (colon == std::string_view::npos) continue;
        const std::string_view name = line.substr(0, colon);
        std::string value;
        if (!UnescapeValue(line.substr(colon + 2), value)) return false;
        if (name == "kind") {
            const auto kind = HistoryKindOfName(value);
            if (!kind) return false;
            parsed.kind = *kind;
            hasKind = true;
        } else if (name == "device") {
            parsed.device = value;
        } else if (name == "device-type") {
            if (!ParseType(value, parsed.deviceType)) return false;
        } else if (name == "identification") {
            parsed.identification = value;
        } else if (name == "time") {
            parsed.time = value;
        } else if (name == "host") {
            parsed.host = value;
        } else if (name == "user") {
            parsed.user = value;
        } else if (name == "port") {
            parsed.port = value;
        } else if (name == "file") {
            parsed.file = value;
        } else if (name == "source") {
            parsed.source = value;
        } else if (name == "verify") {
            const auto outcome = VerifyOutcomeOfName(value);
            if (!outcome) return false;
            parsed.verify = *outcome;
        } else if (name == "ending") {
            const auto ending = WriteEndingOfName(value);
            if (!ending) return false;
            parsed.ending = *ending;
        } else if (name == "frames-sent") {
            if (!ParseFrames(value, parsed.framesSent)) return false;
        } else if (name == "frames-in-file") {
            if (!ParseFrames(value, parsed.framesInFile)) return false;
        } else if (name == "name") {
            parsed.name = value;
        }
        // Names a later version adds are passed over, so that older programs still list its entries.
    }
    if (!versioned || !hasKind || parsed.device.empty() || parsed.file.empty()) return false;
    entry = std::move(parsed);
    return true;
}

std::string FormatNamingMessage(const HistoryNaming& naming) {
    std::string text = "name " + naming.entry.substr(0, 12) + " \"" + EscapeValue(naming.name) + "\"";
    if (!naming.host.empty() || !naming.user.empty())
        text += " by " + EscapeValue(naming.user) + "@" + EscapeValue(naming.host);
    text += "\n\n";
    text += kVersionLine;
    text += '\n';
    const auto line = [&text](std::string_view name, std::string_view value) {
        text += name;
        text += ": ";
        text += EscapeValue(value);
        text += '\n';
    };
    line("names", naming.entry);
    line("name", naming.name);
    line("scope", naming.wholeMachine ? "machine" : "entry");
    line("time", naming.time);
    line("host", naming.host);
    line("user", naming.user);
    return text;
}

bool ParseNamingMessage(std::string_view text, HistoryNaming& naming) {
    std::size_t blank = text.find("\n\n");
    if (blank == std::string_view::npos) return false;
    std::string_view body = text.substr(blank + 2);
    HistoryNaming parsed;
    parsed.id = naming.id;
    bool versioned = false, hasName = false;
    while (!body.empty()) {
        const std::size_t end = body.find('\n');
        std::string_view line = body.substr(0, end);
        body = end == std::string_view::npos ? std::string_view() : body.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line == kVersionLine) {
            versioned = true;
            continue;
        }
        const std::size_t colon = line.find(": ");
        if (colon == std::string_view::npos) continue;
        const std::string_view key = line.substr(0, colon);
        std::string value;
        if (!UnescapeValue(line.substr(colon + 2), value)) return false;
        if (key == "kind") return false;  // an entry, not a naming
        if (key == "names") {
            parsed.entry = value;
        } else if (key == "name") {
            parsed.name = value;
            hasName = true;
        } else if (key == "scope") {
            parsed.wholeMachine = value != "entry";
        } else if (key == "time") {
            parsed.time = value;
        } else if (key == "host") {
            parsed.host = value;
        } else if (key == "user") {
            parsed.user = value;
        }
    }
    if (!versioned || !hasName || parsed.name.empty() || parsed.entry.size() != 40) return false;
    naming = std::move(parsed);
    return true;
}

void ApplyNamings(std::vector<HistoryEntry>& entries, std::vector<HistoryNaming> namings) {
    std::stable_sort(namings.begin(), namings.end(), [](const HistoryNaming& a, const HistoryNaming& b) {
        return a.time != b.time ? a.time < b.time : a.id < b.id;
    });
    for (const HistoryNaming& naming : namings) {
        const auto target = std::find_if(entries.begin(), entries.end(),
                                         [&naming](const HistoryEntry& e) { return e.id == naming.entry; });
        if (target == entries.end()) continue;
        const std::string before = target->name;
        if (before.empty() || !naming.wholeMachine) {
            target->name = naming.name;
            continue;
        }
        for (HistoryEntry& entry : entries)
            if (entry.name == before) entry.name = naming.name;
    }
}

bool ValidMachineName(std::string_view name, std::string& why) {
    if (name.empty()) {
        why = "A machine name cannot be empty";
        return false;
    }
    if (name.size() > kMaxMachineNameBytes) {
        why = "A machine name has at most " + std::to_string(kMaxMachineNameBytes) + " bytes";
        return false;
    }
    if (name.front() == ' ' || name.back() == ' ') {
        why = "A machine name does not begin or end with a blank";
        return false;
    }
    for (std::size_t i = 0; i < name.size();) {
        const auto byte = static_cast<unsigned char>(name[i]);
        std::size_t length = 1;
        if (byte < 0x20 || byte == 0x7f) {
            why = "A machine name holds no control characters (line ends, tabs)";
            return false;
        }
        if (byte >= 0x80) {
            length = byte >= 0xf0 && byte < 0xf5 ? 4 : byte >= 0xe0 ? 3 : byte >= 0xc2 && byte < 0xe0 ? 2 : 0;
            bool sound = length > 0 && i + length <= name.size();
            for (std::size_t k = 1; sound && k < length; ++k)
                sound = (static_cast<unsigned char>(name[i + k]) & 0xc0) == 0x80;
            // C1 control characters are control characters too.
            if (sound && byte == 0xc2 && static_cast<unsigned char>(name[i + 1]) < 0xa0) sound = false;
            if (!sound) {
                why = "A machine name must be UTF-8 text without control characters";
                return false;
            }
        }
        i += length;
    }
    return true;
}

const std::string& MachineOf(const HistoryEntry& entry) {
    return entry.name.empty() ? entry.device : entry.name;
}

std::vector<HistoryEntry> EntriesOfMachine(const std::vector<HistoryEntry>& entries,
                                           std::string_view machine) {
    std::vector<HistoryEntry> out;
    for (const HistoryEntry& entry : entries)
        if (MachineOf(entry) == machine) out.push_back(entry);
    return out;
}

std::vector<HistoryEntry> EntriesNamedOrOfDevice(const std::vector<HistoryEntry>& entries,
                                                 std::string_view text) {
    std::vector<HistoryEntry> out;
    for (const HistoryEntry& entry : entries)
        if (entry.name == text || entry.device == text) out.push_back(entry);
    return out;
}

std::vector<std::string> MachineNames(const std::vector<HistoryEntry>& entries) {
    std::vector<std::string> names;
    for (const HistoryEntry& entry : entries)
        if (!entry.name.empty()) names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

void SortNewestFirst(std::vector<HistoryEntry>& entries) {
    // The times are fixed-width UTC texts, so comparing them as texts compares the moments.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const HistoryEntry& a, const HistoryEntry& b) { return a.time > b.time; });
}

std::vector<HistoryEntry> EntriesOfDevice(const std::vector<HistoryEntry>& entries, std::string_view device) {
    std::vector<HistoryEntry> out;
    for (const HistoryEntry& entry : entries)
        if (entry.device == device) out.push_back(entry);
    return out;
}

const HistoryEntry* PreviousEntryOfDevice(const std::vector<HistoryEntry>& entries, std::string_view id) {
    const auto it = std::find_if(entries.begin(), entries.end(),
                                 [id](const HistoryEntry& entry) { return entry.id == id; });
    if (it == entries.end()) return nullptr;
    for (auto older = it + 1; older != entries.end(); ++older)
        if (MachineOf(*older) == MachineOf(*it)) return &*older;
    return nullptr;
}

bool IsEntryIdPrefix(std::string_view text) {
    if (text.size() < kMinEntryIdPrefix || text.size() > 40) return false;
    return std::all_of(text.begin(), text.end(), [](char c) { return HexDigit(c) >= 0; });
}

}  // namespace kdm
