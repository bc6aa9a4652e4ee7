// What the core reports as typed results, in the interface's language: a failed device search and
// what became of each port, a transfer's own failures, the write check's findings, the kinds of the
// device history's entries. The command line words the same results in English in the core.
#pragma once

#include <QString>
#include <vector>

#include "data/write_check.h"
#include "link/link.h"
#include "link/search_report.h"
#include "link/waits.h"
#include "platform/history.h"
#include "transfer/observer.h"
#include "transfer/verify.h"

// The message of a search that found no device ("No Dorvik-device found"), with the line on the
// missing status reply when the device that identified itself last never answered it.
QString SearchFailureWords(int searchResult, const std::vector<kdm::SearchAttempt>& attempts);

// "Waiting for a device to identify itself on COM1 (4 s)"; empty for the end of a wait.
QString WaitWords(const kdm::WaitNotice& notice);

// "COM1 /dev/ttyS0: no answer in 10 s".
QString SearchAttemptWords(const kdm::SearchAttemptReport& report);

QString TransferFailureWords(const kdm::TransferFailure& failure);

// "the frame does not end in ETX", without the place.
QString WriteFindingReasonWords(const kdm::WriteFinding& finding);
// "record 7, program 000012, letter A: the frame does not end in ETX".
QString WriteFindingWords(const kdm::WriteFinding& finding);
// The first line of the write check's message: what is wrong, and whether the user may decide.
QString WriteCheckSummaryWords(const kdm::WriteCheck& check);
// One line per listed finding, then "... and N more" for those not listed.
QString WriteCheckListWords(const kdm::WriteCheck& check);

// "read", "backup", "write".
QString HistoryKindWords(kdm::HistoryKind kind);
// "not asked", "passed", "failed".
QString VerifyOutcomeWords(kdm::VerifyOutcome outcome);
// "record 7: file <STX>...<ETX> device (missing)", with "(device: damaged)" when a side's telegram cannot
// be trusted: one difference that the read-back after a write found.
QString VerifyDifferenceWords(const kdm::RecordDifference& difference);
