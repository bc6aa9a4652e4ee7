// What the desktop application adds to the device history, and the switch "Back up the device before
// writing". A history that cannot be written never changes a read's outcome: the caller says so in a
// message and goes on. Only the backup before a write depends on it, since its whole point is the copy.
//
// Recording runs git and may take a moment: the transfer worker calls these on its own thread.
#pragma once

#include <string>

#include "data/parameter_model.h"
#include "platform/history.h"
#include "platform/settings_store.h"
#include "transfer/observer.h"

namespace kdm {
class Link;
}

// The stored switch: on unless the user turned it off. Kept in a lasting key, so that it survives a
// restart of the machine.
inline constexpr const char* kHistorySettingsKey = "Software\\Dorvik\\KDM_XP\\History";
inline constexpr const char* kBackupBeforeWriteValue = "BackupBeforeWrite";
bool BackupBeforeWriteEnabled(kdm::ISettingsStore& settings);
// False when the store did not take it (the menu then shows what is stored).
bool SetBackupBeforeWriteEnabled(kdm::ISettingsStore& settings, bool enabled);

// The port the last device search of `link` found the device on ("COM3"); empty when none.
std::string FoundPortOf(const kdm::Link& link);

// The identification a data file carries: its identification record, or for a file whose first
// record is not one, the characters after its first STX.
std::string IdentificationOfSet(const kdm::ParameterSet& set);

// Adds an entry of `kind` for the data file text `contents`, found on `port`; `source` is the file it
// was saved to or written from (empty for a backup); `incomplete` marks a write that ended part-way,
// `verify` what the read-back after a write found. `machine` names the entry's machine (UTF-8), or is
// empty. `entry` is filled on success.
kdm::HistoryResult RecordInHistory(kdm::IHistory& history, kdm::HistoryKind kind, const std::string& contents,
                                   const std::string& port, const std::string& source,
                                   kdm::HistoryEntry& entry, const kdm::IncompleteWrite* incomplete = nullptr,
                                   kdm::VerifyOutcome verify = kdm::VerifyOutcome::kNotAsked,
                                   const std::string& machine = {});
// The same for the data file at `path`, which becomes the source.
kdm::HistoryResult RecordFileInHistory(kdm::IHistory& history, kdm::HistoryKind kind, const std::string& path,
                                       const std::string& port, kdm::HistoryEntry& entry,
                                       const kdm::IncompleteWrite* incomplete = nullptr,
                                       kdm::VerifyOutcome verify = kdm::VerifyOutcome::kNotAsked,
                                       const std::string& machine = {});
