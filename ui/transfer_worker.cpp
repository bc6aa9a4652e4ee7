#include "ui/transfer_worker.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMutexLocker>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <utility>

#include "data/file_verdict.h"
#include "data/strings.h"
#include "files/data_file.h"
#include "files/data_file_name.h"
#include "link/search_report.h"
#include "transfer/pacing.h"
#include "transfer/read_engine.h"
#include "transfer/verify.h"
#include "transfer/write_engine.h"
#include "ui/core_text.h"
#include "ui/display_text.h"
#include "ui/history_record.h"
#include "ui/language.h"
#include "ui/machine_name_field.h"
#include "ui/ui_state.h"

namespace {

// Texts of the program and messages naming paths (UTF-8).
QString FromBytes(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The file dialogs of the transfers: one filter, the extension added to a bare name.
bool RunFileDialog(QWidget* parent, QFileDialog::AcceptMode mode, QString& path) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    // A name that does not exist may be typed; the write then reports that it cannot read it.
    dialog.setFileMode(QFileDialog::AnyFile);
    // Opening, a bare name finds its file in whatever letter case the extension has (ChooseFileToWrite);
    // a suffix appended here as spelled would hide "r1.kdm" behind a missing "r1.KDM".
    if (mode == QFileDialog::AcceptSave) dialog.setDefaultSuffix(QStringLiteral("KDM"));
    dialog.setNameFilter(QStringLiteral("KDM DataFiles (*.KDM)"));
    // The data file is a copy of the temporary file; saving over an older one is the usual case.
    if (mode == QFileDialog::AcceptSave) dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    // The file the window shows is offered first; any other may be chosen.
    if (!path.isEmpty()) dialog.selectFile(path);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    path = dialog.selectedFiles().constFirst();
    return true;
}

}  // namespace

QString TerminatedText(int checksumMismatches) {
    QString text = ui_language::Text(kdm::sid::kTerminated);
    if (checksumMismatches == 1) {
        text += QCoreApplication::translate("Transfer", " (1 telegram with checksum mismatch)");
    } else if (checksumMismatches > 1) {
        text += QCoreApplication::translate("Transfer", " (%1 telegrams with checksum mismatch)")
                    .arg(checksumMismatches);
    }
    return text;
}

QString ConfirmWriteText(const QString& file, int deviceType, int programs, const QString& port) {
    return QCoreApplication::translate("Transfer", "Write %1 (type %2, %n programs) into the device on %3?",
                                       nullptr, programs)
        .arg(QDir::toNativeSeparators(file))
        .arg(deviceType)
        .arg(port);
}

QString IncompleteWriteText(const kdm::IncompleteWrite& write) {
    return QCoreApplication::translate("Transfer",
                                       "The device now holds an incomplete parameter set (%1 of %2 frames): "
                                       "write the file again or restore a backup.")
        .arg(write.framesSent)
        .arg(write.framesInFile);
}

TransferWorker::TransferWorker(TransferContext context, Job job, ITransferView& view, QObject* parent)
    : QObject(parent), context_(std::move(context)), kind_(job), view_(view) {
    if (kind_ == Job::kRead) {
        job_ = std::make_unique<kdm::ReadEngine>(context_.link, context_.clock, *this, context_.tempFilePath);
    } else {
        job_ = std::make_unique<kdm::WriteEngine>(context_.link, context_.clock, *this);
    }
}

TransferWorker::~TransferWorker() {
    if (!thread_) return;
    closing_.store(true);
    RequestStop(kdm::StopCommand::kCancel);
    // The worker may be waiting for a box on this thread: keep serving events until it is done.
    while (!thread_->wait(5))
        QCoreApplication::processEvents();
}

void TransferWorker::Start() {
    if (started_) return;
    started_ = true;
    thread_.reset(QThread::create([this] { Run(); }));
    thread_->setObjectName(kind_ == Job::kRead ? QStringLiteral("kdm-read") : QStringLiteral("kdm-write"));
    connect(thread_.get(), &QThread::finished, this, &TransferWorker::OnThreadFinished);
    thread_->start();
}

void TransferWorker::Run() {
    if (kind_ == Job::kWrite && backup_ && !BackUpBeforeWrite()) return;
    job_->Run();
    const bool written = kind_ == Job::kWrite && job_->Outcome() == kdm::JobOutcome::kCompleted;
    if (written && verify_.load() && !stopAsked_.load()) VerifyAfterWrite();
    if (!recordHistory_) return;
    if (kind_ == Job::kRead && !savedPath_.empty()) RecordEntry(kdm::HistoryKind::kRead, savedPath_);
    if (written) {
        // A read-back that could not finish did not confirm anything either.
        const kdm::VerifyOutcome verify = verified_ == VerifyResult::kNotRun   ? kdm::VerifyOutcome::kNotAsked
                                          : verified_ == VerifyResult::kPassed ? kdm::VerifyOutcome::kPassed
                                                                               : kdm::VerifyOutcome::kFailed;
        RecordEntry(kdm::HistoryKind::kWrite, fileToWrite_, nullptr, verify);
    }
    // The next technician must find what the device holds in the history too.
    if (kind_ == Job::kWrite && incomplete_)
        RecordEntry(kdm::HistoryKind::kWrite, fileToWrite_, &*incomplete_);
}

bool TransferWorker::BackUpBeforeWrite() {
    // The file comes first: the device is checked against the type the file is meant for before
    // anything of it is kept, and a cancelled choice touches no port.
    fileChosen_ = ChooseFileToWrite(fileToWrite_);
    fileAskedBefore_ = true;
    std::string fileText;
    std::string reason;
    long length = 0;
    // Without a file, or with one that cannot be read, the write engine ends as it always did; so it
    // does, before any port is opened, with a file it refuses: no backup read goes ahead of that.
    if (!fileChosen_ || !kdm::ReadWholeFile(fileToWrite_, fileText, length, reason)) return true;
    if (length > kdm::kMinimumWriteLength &&
        kdm::JudgeDataFile(kdm::ParseParameterSet(fileText).set).verdict == kdm::FileVerdict::kRefused)
        return true;

    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        FailBackup(QCoreApplication::translate("Transfer", "No temporary directory for the backup: ") +
                   scratch.errorString());
        return false;
    }
    readBackPath_ = scratch.filePath(QStringLiteral("device.KDM")).toStdString();
    ShowBackupPhase(true);
    backingUp_.store(true);
    {
        kdm::ReadEngine reader(context_.link, context_.clock, *this,
                               scratch.filePath(QStringLiteral("KDM.tmp")).toStdString());
        // The device's type is known once it identified itself: a file meant for another type, or a
        // No to the question, ends the write there, before anything of the device is read.
        reader.SetDeviceGate([this, &fileText](const std::string& identification) {
            OnStatus(kdm::sid::kCheckingFile);
            if (!kdm::FileMatchesDevice(identification, fileText)) {
                // Nothing was read: the box says what a write without a backup says.
                backingUp_.store(false);
                ShowErrorBox(ui_language::Text(kdm::sid::kWrongDeviceType), QString());
                return false;
            }
            return ConfirmWrite(identification);
        });
        RunReadBack(reader);
        if (reader.Outcome() == kdm::JobOutcome::kDeclined) {
            backingUp_.store(false);
            ShowBackupPhase(false);
            job_->Stop(kdm::StopCommand::kCancel);
            return false;
        }
        if (stopAsked_.load() || reader.Stopped() || reader.SavedPath().empty()) {
            // A failed read said why in its own box, which named the consequence too.
            backingUp_.store(false);
            job_->Stop(kdm::StopCommand::kCancel);
            return false;
        }
    }
    std::string deviceText;
    if (!kdm::ReadWholeFile(readBackPath_, deviceText, length, reason)) {
        FailBackup(QCoreApplication::translate("Transfer", "The backup cannot be read back: ") +
                   FromBytes(reason));
        return false;
    }
    kdm::HistoryEntry entry;
    const kdm::HistoryResult kept =
        RecordInHistory(context_.history, kdm::HistoryKind::kBackup, deviceText, FoundPortOf(context_.link),
                        std::string(), entry, nullptr, kdm::VerifyOutcome::kNotAsked, MachineName());
    if (!kept.ok) {
        FailBackup(QCoreApplication::translate("Transfer", "The device history could not keep the backup: ") +
                   FromBytes(kept.reason));
        return false;
    }
    backingUp_.store(false);
    ShowBackupPhase(false);
    if (stopAsked_.load()) {
        job_->Stop(kdm::StopCommand::kCancel);
        return false;
    }
    return true;
}

void TransferWorker::RunReadBack(kdm::ReadEngine& reader) {
    {
        QMutexLocker lock(&backupMutex_);
        backupRead_ = &reader;
    }
    if (!stopAsked_.load()) reader.Run();
    {
        QMutexLocker lock(&backupMutex_);
        backupRead_ = nullptr;
    }
}

void TransferWorker::VerifyAfterWrite() {
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        ShowVerifyOutcome(VerifyResult::kFailed,
                          QCoreApplication::translate("Transfer",
                                                      "The write was not verified: no temporary "
                                                      "directory for the read-back."),
                          scratch.errorString());
        return;
    }
    readBackPath_ = scratch.filePath(QStringLiteral("device.KDM")).toStdString();
    verifying_.store(true);
    Update([](Pending& p) {
        p.verifyDirty = true;
        p.verifying = true;
    });
    std::string savedPath;
    bool stopped = false;
    {
        kdm::ReadEngine reader(context_.link, context_.clock, *this,
                               scratch.filePath(QStringLiteral("KDM.tmp")).toStdString());
        RunReadBack(reader);
        savedPath = reader.SavedPath();
        stopped = stopAsked_.load() || reader.Stopped();
    }
    verifying_.store(false);
    Update([](Pending& p) {
        p.verifyDirty = true;
        p.verifying = false;
    });
    std::string fileText;
    std::string deviceText;
    std::string reason;
    long length = 0;
    if (stopped || savedPath.empty() || !kdm::ReadWholeFile(fileToWrite_, fileText, length, reason) ||
        !kdm::ReadWholeFile(savedPath, deviceText, length, reason)) {
        // A failed read-back said why in its own box; this says what it means for the write.
        ShowVerifyOutcome(
            VerifyResult::kFailed,
            QCoreApplication::translate("Transfer",
                                        "The file was written, but the device could not be read "
                                        "back: the write is not verified."),
            FromBytes(reason));
        return;
    }
    const std::vector<kdm::RecordDifference> differences = kdm::CompareParameterRecords(fileText, deviceText);
    const std::size_t records = kdm::SplitRecords(fileText).size();
    verifyParameters_ = records > 0 ? static_cast<int>(records - 1) : 0;
    verifyDifferences_ = static_cast<int>(differences.size());
    if (differences.empty()) {
        ShowVerifyOutcome(VerifyResult::kPassed,
                          QCoreApplication::translate("Transfer",
                                                      "Verified: all %n parameters in the device "
                                                      "match the file.",
                                                      nullptr, verifyParameters_),
                          QString());
        return;
    }
    QString details;
    for (const kdm::RecordDifference& difference : differences) {
        if (!details.isEmpty()) details += QLatin1Char('\n');
        details += VerifyDifferenceWords(difference);
    }
    ShowVerifyOutcome(VerifyResult::kDiffered,
                      QCoreApplication::translate("Transfer",
                                                  "Verify: %1 of %n parameters in the device differ "
                                                  "from the file.",
                                                  nullptr, verifyParameters_)
                          .arg(verifyDifferences_),
                      details);
}

void TransferWorker::ShowVerifyOutcome(VerifyResult result, const QString& text, const QString& details) {
    verified_ = result;
    QString shown = text;
    status_ = shown;
    Update([&shown](Pending& p) {
        p.statusDirty = true;
        p.status = shown;
    });
    OnUiThread([this, result, &text, &details] {
        const bool passed = result == VerifyResult::kPassed;
        QMessageBox box(passed ? QMessageBox::Information : QMessageBox::Warning,
                        FromBytes(passed ? kdm::kInformationTitle : kdm::kErrorTitle), text, QMessageBox::Ok,
                        view_.Window());
        box.setObjectName(QStringLiteral("KdmVerifyBox"));
        if (!details.isEmpty()) box.setDetailedText(details);
        box.exec();
    });
}

void TransferWorker::FailBackup(const QString& text) {
    ShowErrorBox(text, QString());
    backingUp_.store(false);
    job_->Stop(kdm::StopCommand::kCancel);
}

void TransferWorker::ShowBackupPhase(bool backingUp) {
    Update([backingUp](Pending& p) {
        p.backupDirty = true;
        p.backingUp = backingUp;
    });
}

void TransferWorker::RecordEntry(kdm::HistoryKind kind, const std::string& path,
                                 const kdm::IncompleteWrite* incomplete, kdm::VerifyOutcome verify) {
    kdm::HistoryEntry entry;
    const kdm::HistoryResult kept = RecordFileInHistory(
        context_.history, kind, path, FoundPortOf(context_.link), entry, incomplete, verify, MachineName());
    if (kept.ok) return;
    const QString what =
        kind == kdm::HistoryKind::kRead ? QCoreApplication::translate("Transfer", "The data file was saved")
        : incomplete != nullptr ? QCoreApplication::translate("Transfer", "Part of the file was written")
                                : QCoreApplication::translate("Transfer", "The file was written");
    const QString shown =
        what + QCoreApplication::translate("Transfer", ", but the device history could not keep a copy.");
    const QString why = FromBytes(kept.reason);
    OnUiThread([this, &shown, &why] {
        QMessageBox box(QMessageBox::Warning, FromBytes(kdm::kVersionTitle), shown, QMessageBox::Ok,
                        view_.Window());
        box.setObjectName(QStringLiteral("KdmHistoryFailureBox"));
        box.setInformativeText(why);
        box.exec();
    });
}

void TransferWorker::RequestStop(kdm::StopCommand command) {
    stopAsked_.store(true);
    {
        QMutexLocker lock(&backupMutex_);
        if (backupRead_ != nullptr) backupRead_->RequestStop(command);
    }
    job_->RequestStop(command);
}

bool TransferWorker::Running() const {
    return thread_ && thread_->isRunning();
}

bool TransferWorker::Ended() const {
    return job_->Ended();
}

bool TransferWorker::EndedWithOk() const {
    switch (job_->Outcome()) {
        case kdm::JobOutcome::kStopped:
            return job_->StoppedBy() == kdm::StopCommand::kOk;
        // A read that lost its line has kept what arrived, and the user was told where: as the end
        // of a read. A write without a file has done nothing that could fail.
        case kdm::JobOutcome::kCompleted:
        case kdm::JobOutcome::kLineSilent:
        case kdm::JobOutcome::kNothingChosen:
            return true;
        case kdm::JobOutcome::kNone:
        case kdm::JobOutcome::kFailed:
        case kdm::JobOutcome::kDeclined:
            return false;
    }
    return false;
}

void TransferWorker::StopIdle(kdm::StopCommand command) {
    if (Running()) return;
    job_->Stop(command);
}

void TransferWorker::OnThreadFinished() {
    ApplyPending();
    emit finished();
}

template <typename Change>
void TransferWorker::Update(Change change) {
    bool post = false;
    {
        QMutexLocker lock(&mutex_);
        change(pending_);
        if (!pending_.posted) pending_.posted = post = true;
    }
    if (post)
        QMetaObject::invokeMethod(
            this, [this] { ApplyPending(); }, Qt::QueuedConnection);
}

void TransferWorker::ApplyPending() {
    if (closing_.load()) return;
    Pending now;
    {
        QMutexLocker lock(&mutex_);
        now = std::move(pending_);
        pending_ = Pending();
    }
    if (now.rangeDirty) view_.ShowProgressRange(now.low, now.high);
    if (now.posDirty) view_.ShowProgressPos(now.position);
    if (now.backupDirty) {
        backingUpShown_ = now.backingUp;
        view_.ShowBackingUp(now.backingUp);
    }
    if (now.verifyDirty) view_.ShowVerifying(now.verifying);
    if (now.countsDirty) view_.ShowCounts(now.counts);
    for (const auto& [id, text] : now.controls)
        view_.ShowControl(id, text);
    if (now.statusDirty) view_.ShowStatus(now.status);
}

bool TransferWorker::OnUiThread(const std::function<void()>& call) {
    if (closing_.load()) return false;
    if (QThread::currentThread() == thread()) {
        call();
        return true;
    }
    // What is pending was posted before this call and is therefore applied before the box shows.
    QMetaObject::invokeMethod(
        this,
        [this, &call] {
            if (!closing_.load()) call();
        },
        Qt::BlockingQueuedConnection);
    return !closing_.load();
}

void TransferWorker::OnStatus(int stringId) {
    // A write's search says it found the device by going on to check the file against it.
    if (kind_ == Job::kWrite && stringId == kdm::sid::kCheckingFile) TellDeviceFound();
    QString text = ui_language::Text(stringId);
    if (stringId == kdm::sid::kTerminated) text = TerminatedText(mismatches_);
    status_ = text;
    Update([&text](Pending& p) {
        p.statusDirty = true;
        p.status = std::move(text);
    });
}

void TransferWorker::OnStatusText(const std::string& text) {
    QString shown = DisplayText(text);
    status_ = shown;
    Update([&shown](Pending& p) {
        p.statusDirty = true;
        p.status = std::move(shown);
    });
}

void TransferWorker::OnWait(const kdm::WaitNotice& notice) {
    // A window that does not change for seconds looks hung: the status line says what the conversation
    // waits for, and shows its status again once the wait is over.
    QString shown = notice.seconds > 0 ? WaitWords(notice) : status_;
    Update([&shown](Pending& p) {
        p.statusDirty = true;
        p.status = std::move(shown);
    });
}

void TransferWorker::OnControlText(int controlId, const std::string& text) {
    QString shown = DisplayText(text);
    Update([controlId, &shown](Pending& p) { p.controls[controlId] = std::move(shown); });
}

void TransferWorker::OnProgressRange(int low, int high) {
    Update([low, high](Pending& p) {
        p.rangeDirty = true;
        p.low = low;
        p.high = high;
    });
}

void TransferWorker::OnProgressPos(int position) {
    Update([position](Pending& p) {
        p.posDirty = true;
        p.position = position;
    });
}

void TransferWorker::OnIdentified(const std::string& identification) {
    // As the temporary file's first record, up to its terminator.
    identification_ = identification.substr(0, identification.find('\r'));
    TellDeviceFound();
}

void TransferWorker::TellDeviceFound() {
    const QString port = QString::fromLocal8Bit(FoundPortOf(context_.link));
    QMetaObject::invokeMethod(
        this, [this, port] { emit deviceFound(port); }, Qt::QueuedConnection);
}

void TransferWorker::SetMachineName(const std::string& name) {
    QMutexLocker lock(&nameMutex_);
    machineName_ = name;
}

std::string TransferWorker::MachineName() const {
    QMutexLocker lock(&nameMutex_);
    return machineName_;
}

void TransferWorker::OnRecordStored(const kdm::ReadCounts& counts) {
    mismatches_ = counts.mismatches;
    TransferCounts now;
    now.stored = counts.stored;
    now.system = counts.system;
    now.programs = counts.programs;
    now.identification =
        QString::fromLatin1(identification_.data(), static_cast<qsizetype>(identification_.size()));
    Update([&now](Pending& p) {
        p.countsDirty = true;
        p.counts = std::move(now);
    });
}

void TransferWorker::OnSaved(const std::string& path) {
    // The backup keeps its own copy in the history; the window's data file is the read job's.
    if (!ReadingBack()) savedPath_ = path;
}

void TransferWorker::OnSearchPort(int portNumber) {
    // While the search runs, the telegram field is still empty: it names the port being tried, since
    // each silent port costs seconds.
    if (kind_ != Job::kRead) return;
    QString text = QStringLiteral("COM%1").arg(portNumber);
    Update([&text](Pending& p) { p.controls[kdm::kCtlReadingParameter] = std::move(text); });
}

// The core's texts that come as words: those of the program's string table show in the interface's
// language line by line; any other line (a path, a system's reason) as it came.
namespace {
QString TranslatedLines(const std::string& text) {
    QStringList lines = FromBytes(text).split(QLatin1Char('\n'));
    for (QString& line : lines)
        line = QCoreApplication::translate("Strings", line.toUtf8().constData());
    return lines.join(QLatin1Char('\n'));
}
}  // namespace

void TransferWorker::ShowError(const std::string& text) {
    ShowErrorBox(TranslatedLines(text), QString());
}

void TransferWorker::OnSearchFailed(int searchResult, const std::vector<kdm::SearchAttempt>& attempts) {
    // Worked out here, on the thread that owns the link (a port not opened is looked at again); the
    // box only shows it. Nothing is said of the ports when one of them found a device.
    QStringList lines;
    const bool found = std::any_of(attempts.begin(), attempts.end(), [](const kdm::SearchAttempt& attempt) {
        return attempt.outcome == kdm::PortOutcome::kFound;
    });
    if (!found) {
        for (const kdm::SearchAttemptReport& report : kdm::ExplainSearchAttempts(attempts, context_.portMap))
            lines << SearchAttemptWords(report);
    }
    ShowErrorBox(SearchFailureWords(searchResult, attempts), lines.join(QLatin1Char('\n')));
}

void TransferWorker::OnFailure(const kdm::TransferFailure& failure) {
    ShowErrorBox(TransferFailureWords(failure), QString());
}

void TransferWorker::OnWriteRefused(const kdm::WriteCheck& check) {
    ShowErrorBox(WriteCheckSummaryWords(check) + QLatin1Char('\n') + WriteCheckListWords(check), QString());
}

void TransferWorker::ShowErrorBox(const QString& text, const QString& details) {
    const bool backingUp = backingUp_.load();
    OnUiThread([this, &text, &details, backingUp] {
        QMessageBox box(QMessageBox::Warning, FromBytes(kdm::kErrorTitle), text, QMessageBox::Ok,
                        view_.Window());
        box.setObjectName(QStringLiteral("KdmErrorBox"));
        QString informative = details;
        if (backingUp) {
            if (!informative.isEmpty()) informative += QStringLiteral("\n\n");
            informative += QCoreApplication::translate(
                "Transfer", "The backup before writing failed: nothing was written into the device.");
        }
        if (!informative.isEmpty()) box.setInformativeText(informative);
        box.exec();
    });
}

void TransferWorker::OnWriteComplete() {
    OnUiThread([this] {
        view_.ShowWriteComplete();
        QMessageBox box(QMessageBox::Information, FromBytes(kdm::kInformationTitle),
                        FromBytes(kdm::LoadString(kdm::sid::kTerminated)), QMessageBox::Ok, view_.Window());
        box.setObjectName(QStringLiteral("KdmInformationBox"));
        box.exec();
    });
}

void TransferWorker::OnWriteIncomplete(const kdm::IncompleteWrite& write) {
    incomplete_ = write;
    QString held = IncompleteWriteText(write);
    status_ = held;
    Update([&held](Pending& p) {
        p.statusDirty = true;
        p.status = held;
    });
    const bool stopped = write.end == kdm::WriteEnd::kStopped;
    QString text;
    if (stopped) {
        text = QCoreApplication::translate("Transfer", "The write was stopped.");
    } else {
        text = ui_language::Text(kdm::sid::kDeviceErrorNo) +
               (write.end == kdm::WriteEnd::kNoResponse ? ui_language::Text(kdm::sid::kNoDeviceResponse)
                                                        : QStringLiteral("  %1").arg(write.errorNumber));
    }
    // The window closes once the worker ends: the box is where this can still be read.
    OnUiThread([this, &text, &held, stopped] {
        QMessageBox box(QMessageBox::Warning, FromBytes(kdm::kErrorTitle), text, QMessageBox::Ok,
                        view_.Window());
        box.setObjectName(stopped ? QStringLiteral("KdmIncompleteWriteBox") : QStringLiteral("KdmErrorBox"));
        box.setInformativeText(held);
        box.exec();
    });
}

bool TransferWorker::ChooseSavePath(std::string& path) {
    if (ReadingBack()) {
        // A backup or a read-back goes to its private directory, without a question.
        path = readBackPath_;
        return true;
    }
    bool chosen = false;
    QString chosenPath;
    OnUiThread([this, &chosen, &chosenPath] {
        chosen = chooseSave_ ? chooseSave_(view_.Window(), chosenPath)
                             : RunFileDialog(view_.Window(), QFileDialog::AcceptSave, chosenPath);
    });
    if (chosen) path = chosenPath.toStdString();
    return chosen;
}

bool TransferWorker::AskDiscardUnsaved() {
    // When the window is going away there is nobody to ask: the data stays in the temporary file.
    bool discard = true;
    // A backup that could not be saved was said in its box; there is nothing the user could keep.
    if (ReadingBack()) return true;
    OnUiThread([this, &discard] {
        QMessageBox box(QMessageBox::NoIcon, FromBytes(kdm::kVersionTitle),
                        ui_language::Text(kdm::sid::kDiscardQuestion), QMessageBox::Yes | QMessageBox::No,
                        view_.Window());
        box.setObjectName(QStringLiteral("KdmQuestionBox"));
        discard = box.exec() == QMessageBox::Yes;
    });
    return discard;
}

bool TransferWorker::ChooseFileToWrite(std::string& path) {
    // Asked once: a write that backed up first takes the file chosen then.
    if (fileAskedBefore_) {
        path = fileToWrite_;
        return fileChosen_;
    }
    bool chosen = false;
    QString chosenPath = offeredFile_;
    OnUiThread([this, &chosen, &chosenPath] {
        chosen = chooseOpen_ ? chooseOpen_(view_.Window(), chosenPath)
                             : RunFileDialog(view_.Window(), QFileDialog::AcceptOpen, chosenPath);
    });
    if (chosen) path = fileToWrite_ = kdm::ResolveDataFileName(chosenPath.toStdString(), "KDM");
    return chosen;
}

bool TransferWorker::AskWriteMarkedRecords(const kdm::WriteCheck& check) {
    // The first line says what is wrong; the records follow, as many as there are.
    const QString summary = WriteCheckSummaryWords(check);
    const QString records = WriteCheckListWords(check);
    bool write = false;
    OnUiThread([this, &summary, &records, &write] {
        QMessageBox box(QMessageBox::Warning, FromBytes(kdm::kErrorTitle), summary,
                        QMessageBox::Yes | QMessageBox::No, view_.Window());
        box.setObjectName(QStringLiteral("KdmMarkedRecordsQuestion"));
        box.setInformativeText(
            QCoreApplication::translate("Transfer", "Write these values into the device all the same?"));
        box.setDetailedText(records);
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        write = box.exec() == QMessageBox::Yes;
    });
    return write;
}

bool TransferWorker::ConfirmWrite(const std::string& identification) {
    (void)identification;
    // Asked once: a write that backed up first was asked before the backup read.
    if (writeConfirmed_) return true;
    std::string text;
    std::string reason;
    long length = 0;
    kdm::ReadWholeFile(fileToWrite_, text, length, reason);
    const kdm::ParameterSet set = kdm::ParseParameterSet(text).set;
    const QString question =
        ConfirmWriteText(FromBytes(fileToWrite_), set.DeviceType(), static_cast<int>(set.Programs().size()),
                         FromBytes(FoundPortOf(context_.link)));
    bool yes = false;
    OnUiThread([this, &question, &yes] {
        if (confirmWrite_) {
            yes = confirmWrite_(view_.Window(), question);
            return;
        }
        QMessageBox box(QMessageBox::Question, FromBytes(kdm::kVersionTitle), question,
                        QMessageBox::Yes | QMessageBox::No, view_.Window());
        box.setObjectName(QStringLiteral("KdmConfirmWriteQuestion"));
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        yes = box.exec() == QMessageBox::Yes;
    });
    writeConfirmed_ = yes;
    return yes;
}

TransferDialogBase::TransferDialogBase(TransferContext context, TransferWorker::Job job, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      worker_(new TransferWorker(std::move(context), job, *this, this)) {
    connect(worker_, &TransferWorker::finished, this, &TransferDialogBase::OnWorkerFinished);
}

TransferDialogBase::~TransferDialogBase() {
    // Before the controls go: the worker may still apply a last update while it winds down.
    delete worker_;
}

QLabel* TransferDialogBase::AddControl(int controlId, bool framed) {
    auto* label = new QLabel(this);
    label->setObjectName(QStringLiteral("id%1").arg(controlId));
    if (framed) {
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setMargin(2);
    }
    label->setTextFormat(Qt::PlainText);
    controls_[controlId] = label;
    return label;
}

QString TransferDialogBase::StatusText() const {
    return statusLine_ ? statusLine_->text() : QString();
}

QString TransferDialogBase::ControlText(int controlId) const {
    const auto it = controls_.find(controlId);
    return it == controls_.end() ? QString() : it->second->text();
}

void TransferDialogBase::ShowStatus(const QString& text) {
    if (statusLine_) statusLine_->setText(text);
}

void TransferDialogBase::ShowControl(int controlId, const QString& text) {
    const auto it = controls_.find(controlId);
    if (it != controls_.end()) it->second->setText(text);
}

void TransferDialogBase::ShowProgressRange(int low, int high) {
    if (progress_) progress_->setRange(low, high);
}

void TransferDialogBase::ShowProgressPos(int position) {
    if (progress_) progress_->setValue(position);
}

void TransferDialogBase::OnOK() {
    Stop(kdm::StopCommand::kOk);
}

void TransferDialogBase::OnCancel() {
    Stop(kdm::StopCommand::kCancel);
}

void TransferDialogBase::Stop(kdm::StopCommand command) {
    const DialogCode code = command == kdm::StopCommand::kOk ? Accepted : Rejected;
    if (!worker_->Started()) {
        QDialog::done(code);
    } else if (worker_->Running()) {
        // The worker closes the port and ends; the window follows in OnWorkerFinished.
        worker_->RequestStop(command);
    } else {
        // A write that stayed open after a refused start still holds the port.
        worker_->StopIdle(command);
        QDialog::done(code);
    }
}

MachineNameField* TransferDialogBase::AddMachineNameField(UiState& state) {
    state_ = &state;
    machineName_ = new MachineNameField(this);
    connect(machineName_, &MachineNameField::nameChanged, this,
            [this](const QString& name) { worker_->SetMachineName(name.toUtf8().toStdString()); });
    connect(worker_, &TransferWorker::deviceFound, this, [this](const QString& port) {
        foundPort_ = port;
        if (!port.isEmpty()) machineName_->Propose(port, state_->MachineNameOnPort(port));
    });
    return machineName_;
}

void TransferDialogBase::OnWorkerFinished() {
    // Offered for the next job on the port, never taken without the user.
    if (machineName_ != nullptr && state_ != nullptr && !foundPort_.isEmpty() &&
        !machineName_->Name().isEmpty())
        state_->SetMachineNameOnPort(foundPort_, machineName_->Name());
    // A write refused before its transfer leaves the window open with its status until closed.
    if (!worker_->Ended()) return;
    QDialog::done(worker_->EndedWithOk() ? Accepted : Rejected);
}

void TransferDialogBase::showEvent(QShowEvent* event) {
    if (machineName_ != nullptr && !worker_->Started()) {
        machineName_->setVisible(worker_->RecordsInHistory());
        if (worker_->RecordsInHistory()) {
            std::vector<kdm::HistoryEntry> entries;
            worker_->History().List(entries);
            QStringList names;
            for (const std::string& name : kdm::MachineNames(entries))
                names.push_back(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
            machineName_->SetKnownNames(names);
        }
    }
    QDialog::showEvent(event);
    worker_->Start();
}

void TransferDialogBase::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            OnCancel();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // The OK button is hidden, yet Enter still reaches it.
            OnOK();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void TransferDialogBase::closeEvent(QCloseEvent* event) {
    // There is no close box; a window manager's close counts as Esc.
    event->ignore();
    OnCancel();
}
