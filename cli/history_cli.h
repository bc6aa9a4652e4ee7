// What read and write add to the device history (kdmxp-cli history shows it). A history that cannot be
// written never changes the outcome of a read or a write: it is said on stderr, and that is all. A
// history that is damaged (it exists and cannot be read) is said as well, and turns a read's or a
// write's success into kExitHistoryDamaged, since every later listing would lack the entry.
#pragma once

#include <string>

#include "cli/cli.h"
#include "platform/history.h"
#include "transfer/observer.h"

namespace kdmcli {

// Adds an entry of `kind` for the data file at `path` (just saved by a read, or just written into the
// device), found on the port the last search found; `incomplete` marks a write that ended part-way
// (its ending a hang-up when SIGHUP stopped it). kExitOk when it was recorded; otherwise the reason is
// on stderr and the result is kExitFailure, or kExitHistoryDamaged for a damaged history. `quiet`
// leaves out the line naming the new entry. `machine` is the machine's name (--name), or empty.
int RecordInHistory(Context& context, kdm::HistoryKind kind, const std::string& path,
                    kdm::VerifyOutcome verify, bool quiet, const kdm::IncompleteWrite* incomplete = nullptr,
                    const std::string& machine = {});

// write --backup: reads the device (through the same search, `port` as with --port) and records what it
// holds as a backup entry, after checking that `file` is meant for that type of device. kExitOk when the
// backup is in the history and the write may go ahead; any other exit code (the reason on stderr) means
// nothing may be written. `machine` names the machine of the backup entry, or is empty.
int BackupBeforeWrite(Context& context, const std::string& file, const std::string& port, bool quiet,
                      const std::string& machine = {});

// --name: kExitOk for an empty or valid machine name; otherwise the reason on stderr and kExitUsage.
int CheckMachineName(const std::string& machine);

// Records `deviceText`, a device read just now on the port of the last search, as a backup entry; the
// caller has checked that the file to be written is meant for it, `machine` names its machine or is
// empty. Results as RecordInHistory.
int RecordBackupInHistory(Context& context, const std::string& deviceText, bool quiet,
                          const std::string& machine = {});

}  // namespace kdmcli
