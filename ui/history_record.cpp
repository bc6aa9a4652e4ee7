#include "ui/history_record.h"

#include <chrono>

#include "files/data_file.h"
#include "link/link.h"
#include "transfer/write_engine.h"

bool BackupBeforeWriteEnabled(kdm::ISettingsStore& settings) {
    kdm::StoredValue value;
    std::uint32_t number = 1;
    if (!settings.ReadValue(kHistorySettingsKey, kBackupBeforeWriteValue, value) ||
        !kdm::NumberOf(value, number))
        return true;
    return number != 0;
}

bool SetBackupBeforeWriteEnabled(kdm::ISettingsStore& settings, bool enabled) {
    return settings.CreateKey(kHistorySettingsKey, false) &&
           settings.WriteValue(kHistorySettingsKey, kBackupBeforeWriteValue,
                               kdm::NumberValue(enabled ? 1 : 0));
}

std::string FoundPortOf(const kdm::Link& link) {
    for (const kdm::SearchAttempt& attempt : link.LastSearchAttempts())
        if (attempt.outcome == kdm::PortOutcome::kFound) return attempt.portName;
    return {};
}

std::string IdentificationOfSet(const kdm::ParameterSet& set) {
    if (const kdm::Record* record = set.Identification()) return record->Bytes();
    return set.Heading();
}

kdm::HistoryResult RecordInHistory(kdm::IHistory& history, kdm::HistoryKind kind, const std::string& contents,
                                   const std::string& port, const std::string& source,
                                   kdm::HistoryEntry& entry, const kdm::IncompleteWrite* incomplete,
                                   kdm::VerifyOutcome verify, const std::string& machine) {
    const kdm::ParameterSet set = kdm::ParseParameterSet(contents).set;
    kdm::HistoryRecord record;
    record.kind = kind;
    record.contents = contents;
    record.identification = IdentificationOfSet(set);
    record.deviceType = set.DeviceType();
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    record.time = kdm::FormatHistoryTime(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
    record.port = port;
    record.source = source;
    record.verify = verify;
    record.name = machine;
    if (incomplete != nullptr) {
        record.ending = kdm::HistoryEnding(incomplete->end);
        record.framesSent = incomplete->framesSent;
        record.framesInFile = incomplete->framesInFile;
    }
    return history.Record(record, entry);
}

kdm::HistoryResult RecordFileInHistory(kdm::IHistory& history, kdm::HistoryKind kind, const std::string& path,
                                       const std::string& port, kdm::HistoryEntry& entry,
                                       const kdm::IncompleteWrite* incomplete, kdm::VerifyOutcome verify,
                                       const std::string& machine) {
    std::string text;
    std::string reason;
    long length = 0;
    if (!kdm::ReadWholeFile(path, text, length, reason))
        return kdm::HistoryResult::Fail(reason.empty() ? "The file " + path + " cannot be read" : reason);
    std::string source = path;
    if (!source.empty() && source.front() != '/') {
        const std::string directory = kdm::CurrentDirectory();
        if (!directory.empty()) source = directory + "/" + source;
    }
    return RecordInHistory(history, kind, text, port, source, entry, incomplete, verify, machine);
}
