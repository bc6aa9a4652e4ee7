// Runs a read or a write conversation on a thread of its own, so that the windows never wait for the
// serial line (a device search alone can last about 100 s).
//
// The job calls its observer on the worker thread. Display calls (status, control texts, progress)
// are gathered into a pending state and applied on the user-interface thread by one queued call, so a
// burst of updates costs one repaint. Boxes and dialogs (errors, the save and open dialogs, the
// question) run on the user-interface thread while the worker waits for the answer, which keeps the
// order the user sees exactly that of the conversation.
//
// Lifetime: the windows close only once the worker has finished. Destroying a worker that still runs
// asks it to stop and waits (answering any pending box with "cancel") until it has.
#pragma once

#include <QDialog>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QString>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/history.h"
#include "transfer/transfer_job.h"
#include "ui/transfer_context.h"
#include "ui/transfer_controls.h"

namespace kdm {
class ReadEngine;
}
class MachineNameField;
class QLabel;
class UiState;
class QProgressBar;
class QThread;
class QWidget;

// The status line's text at the end of a read: "communication terminated", followed by the number of
// telegrams whose checksum did not match when there are any.
QString TerminatedText(int checksumMismatches);

// The question before a write sends anything: "Write FILE (type N, P programs) into the device on
// COMn?".
QString ConfirmWriteText(const QString& file, int deviceType, int programs, const QString& port);

// What the device holds after a write that ended part-way, in the user's language.
QString IncompleteWriteText(const kdm::IncompleteWrite& write);

// How far a read got, as its events tell the worker thread.
struct TransferCounts {
    int stored = 0;    // telegram records stored
    int system = 0;    // of those, the system block's
    int programs = 0;  // program telegrams ('P') stored
    // The device's identification record, once the first telegram is stored; empty before.
    QString identification;
};

// What a transfer window shows, applied on the user-interface thread.
class ITransferView {
  public:
    virtual ~ITransferView() = default;
    virtual void ShowStatus(const QString& text) = 0;
    virtual void ShowControl(int controlId, const QString& text) = 0;
    virtual void ShowProgressRange(int low, int high) = 0;
    virtual void ShowProgressPos(int position) = 0;
    // A read's counts changed.
    virtual void ShowCounts(const TransferCounts& counts) { (void)counts; }
    // A write sent its last frame; its box comes next.
    virtual void ShowWriteComplete() {}
    // A write's backup read begins (true) or is over (false).
    virtual void ShowBackingUp(bool backingUp) { (void)backingUp; }
    // The read after a write that compares the device with the file begins (true) or is over (false).
    virtual void ShowVerifying(bool verifying) { (void)verifying; }
    // The window that owns boxes and file dialogs.
    virtual QWidget* Window() = 0;
};

class TransferWorker final : public QObject, public kdm::TransferControlsObserver {
    Q_OBJECT
  public:
    enum class Job { kRead, kWrite };
    // A file dialog: true with a path, false when cancelled. Runs on the user-interface thread.
    using FileChooser = std::function<bool(QWidget* parent, QString& path)>;
    // A question box: true for Yes. Runs on the user-interface thread.
    using Question = std::function<bool(QWidget* parent, const QString& text)>;
    // What the read-back after a write found.
    enum class VerifyResult { kNotRun, kPassed, kDiffered, kFailed };

    TransferWorker(TransferContext context, Job job, ITransferView& view, QObject* parent = nullptr);
    ~TransferWorker() override;

    // Replace the file dialogs (tests); null restores the real ones.
    void SetSaveChooser(FileChooser chooser) { chooseSave_ = std::move(chooser); }
    void SetOpenChooser(FileChooser chooser) { chooseOpen_ = std::move(chooser); }
    // Replace the question before a write sends anything (tests); null restores the real box, whose
    // default is No.
    void SetWriteConfirmer(Question confirm) { confirmWrite_ = std::move(confirm); }
    // Before Start(): the file the open dialog offers first (the file a table window shows); the
    // chooser gets it as the path it starts from.
    void SetOfferedFile(const QString& path) { offeredFile_ = path; }
    // Until the last frame is acknowledged, from the user-interface thread: a complete write is read
    // back and compared with the file, as `kdmxp-cli write --verify` does; a box says what it found.
    void SetVerifyAfterWrite(bool verify) { verify_.store(verify); }
    // What the read-back found (user-interface thread, once finished).
    VerifyResult Verified() const { return verified_; }
    // Parameters that differed in the read-back, and all the file holds.
    int VerifyDifferences() const { return verifyDifferences_; }
    int VerifyParameters() const { return verifyParameters_; }
    // Before Start(). A read that saved its data file, and a write that completed, add an entry to the
    // application's device history; a history that cannot take it is said in a box, and that is all.
    void SetRecordInHistory(bool record) { recordHistory_ = record; }
    // Before Start(). A write first reads the device into a private temporary directory and keeps it
    // in the history as a backup; when that read fails, the device is of another type than the file or
    // the history cannot keep it, nothing is written.
    void SetBackupBeforeWrite(bool backup) { backup_ = backup; }
    bool RecordsInHistory() const { return recordHistory_; }
    kdm::IHistory& History() const { return context_.history; }
    // From any thread, until the entry is recorded: the machine the history entries (the backup's
    // too) are named for; empty for none.
    void SetMachineName(const std::string& name);
    std::string MachineName() const;
    // True while a write's backup read runs (user-interface thread: as last shown).
    bool BackingUp() const { return backingUpShown_; }

    // Starts the conversation on the worker thread (once).
    void Start();
    // Asks the conversation to stop (Esc, Enter, Cancel) from any thread; the worker performs the stop
    // (port closed, nothing saved) and then finishes.
    void RequestStop(kdm::StopCommand command);
    bool Started() const { return started_; }
    bool Running() const;

    // Valid once finished() was emitted (user-interface thread).
    bool Ended() const;
    // The window closes as after OK (IDOK), not Cancel (IDCANCEL).
    bool EndedWithOk() const;
    std::string SavedPath() const { return savedPath_; }
    // Telegrams stored with " !!!" by the read (a write's: by its backup).
    int ChecksumMismatches() const { return mismatches_; }
    // A write that stays open after a refused start (file too short, status not confirmed) still holds
    // the port: this stops it when the user closes the window. Only once the worker has finished.
    void StopIdle(kdm::StopCommand command);

    // The job's events, on the worker thread.
    void OnStatus(int stringId) override;
    void OnStatusText(const std::string& text) override;
    void OnControlText(int controlId, const std::string& text) override;
    void OnProgressRange(int low, int high) override;
    void OnProgressPos(int position) override;
    void OnSearchPort(int portNumber) override;
    void OnWait(const kdm::WaitNotice& notice) override;
    void OnIdentified(const std::string& identification) override;
    void OnRecordStored(const kdm::ReadCounts& counts) override;
    void OnSaved(const std::string& path) override;
    void OnWriteComplete() override;
    // One box: the device's error (or that the write was stopped) and what the device now holds.
    void OnWriteIncomplete(const kdm::IncompleteWrite& write) override;
    // Texts of the program's string table in the interface's language, any other line as it came.
    void ShowError(const std::string& text) override;
    // The search's message, with a line per port tried below it.
    void OnSearchFailed(int searchResult, const std::vector<kdm::SearchAttempt>& attempts) override;
    void OnFailure(const kdm::TransferFailure& failure) override;
    void OnWriteRefused(const kdm::WriteCheck& check) override;
    bool ChooseSavePath(std::string& path) override;
    bool AskDiscardUnsaved() override;
    bool ChooseFileToWrite(std::string& path) override;
    // Asked before the port is opened; No is the default button and the answer of a closing window.
    bool AskWriteMarkedRecords(const kdm::WriteCheck& check) override;
    // Asked once per window, before the backup read when there is one; the default is No.
    bool ConfirmWrite(const std::string& identification) override;

  signals:
    // The conversation is over (user-interface thread); the display shows its final state.
    void finished();
    // The device identified itself on `port` (user-interface thread).
    void deviceFound(const QString& port);

  private:
    struct Pending {
        bool statusDirty = false;
        QString status;
        std::map<int, QString> controls;
        bool rangeDirty = false;
        int low = 0;
        int high = 0;
        bool posDirty = false;
        int position = 0;
        bool countsDirty = false;
        TransferCounts counts;
        bool backupDirty = false;
        bool backingUp = false;
        bool verifyDirty = false;
        bool verifying = false;
        bool posted = false;
    };
    void Run();
    // Worker side: the backup before a write. False when the write must not go on (the window was
    // told why, and the write engine has ended).
    bool BackUpBeforeWrite();
    // Worker side: says the backup failed and nothing was written, and ends the write.
    void FailBackup(const QString& text);
    // The error box, `details` below the message; says too that nothing was written when a backup
    // before a write failed.
    void ShowErrorBox(const QString& text, const QString& details);
    void ShowBackupPhase(bool backingUp);
    // Worker side: the read-back after a complete write, its outcome said in a box.
    void VerifyAfterWrite();
    void ShowVerifyOutcome(VerifyResult result, const QString& text, const QString& details);
    // Runs `reader` as the read that the window's stop reaches.
    void RunReadBack(kdm::ReadEngine& reader);
    bool ReadingBack() const { return backingUp_.load() || verifying_.load(); }
    // Worker side: the entry for a saved read or a completed write; a box when it cannot be kept.
    void RecordEntry(kdm::HistoryKind kind, const std::string& path,
                     const kdm::IncompleteWrite* incomplete = nullptr,
                     kdm::VerifyOutcome verify = kdm::VerifyOutcome::kNotAsked);
    void OnThreadFinished();
    // Worker side: emits deviceFound with the port the last search found the device on.
    void TellDeviceFound();
    // Worker side: note a change and post one apply call if none is on its way.
    template <typename Change>
    void Update(Change change);
    void ApplyPending();
    // Runs `call` on the user-interface thread and waits for it; not at all once the worker closes.
    bool OnUiThread(const std::function<void()>& call);

    TransferContext context_;
    Job kind_;
    ITransferView& view_;
    FileChooser chooseSave_;
    FileChooser chooseOpen_;
    std::unique_ptr<kdm::TransferJob> job_;
    bool recordHistory_ = false;
    bool backup_ = false;
    mutable QMutex nameMutex_;
    std::string machineName_;
    // The backup read while it runs; guarded by backupMutex_ (a stop may come from any thread).
    QMutex backupMutex_;
    kdm::TransferJob* backupRead_ = nullptr;
    std::atomic<bool> backingUp_{false};
    std::atomic<bool> verifying_{false};
    std::atomic<bool> verify_{false};
    Question confirmWrite_;
    QString offeredFile_;
    // The question before sending was answered Yes (worker thread).
    bool writeConfirmed_ = false;
    VerifyResult verified_ = VerifyResult::kNotRun;
    int verifyDifferences_ = 0;
    int verifyParameters_ = 0;
    std::atomic<bool> stopAsked_{false};
    // Where a backup or a read-back saves what it read: a private temporary directory.
    std::string readBackPath_;
    // The file chosen before the backup, handed to the write engine when it asks (worker thread).
    bool fileAskedBefore_ = false;
    bool fileChosen_ = false;
    std::string fileToWrite_;
    bool backingUpShown_ = false;
    std::unique_ptr<QThread> thread_;
    bool started_ = false;
    std::atomic<bool> closing_{false};
    QMutex mutex_;
    Pending pending_;
    // Worker thread, valid on the user-interface thread once finished: what the read that runs (the
    // job's, or a write's backup) identified, stored with a mark, and saved.
    std::string identification_;
    int mismatches_ = 0;
    std::string savedPath_;
    // A write that ended part-way (worker thread).
    std::optional<kdm::IncompleteWrite> incomplete_;
    // The status line's text apart from wait notices, shown again when a wait is over (worker thread).
    QString status_;
};

// What the read and the write window have in common: the controls by id, the worker, and the keys.
// Enter and Esc (and the buttons, visible or not) stop a running conversation; the window closes once
// the worker has finished, with the result the conversation ended with.
class TransferDialogBase : public QDialog, public ITransferView {
    Q_OBJECT
  public:
    TransferDialogBase(TransferContext context, TransferWorker::Job job, QWidget* parent);
    ~TransferDialogBase() override;

    // The machine name field; null in a window without one.
    MachineNameField* MachineName() const { return machineName_; }

    // Texts as shown (tests, screenshots).
    QString StatusText() const;
    QString ControlText(int controlId) const;
    TransferWorker& Worker() { return *worker_; }
    const TransferWorker& Worker() const { return *worker_; }

    // The IDOK and IDCANCEL commands.
    void OnOK();
    void OnCancel();

    // ITransferView
    void ShowStatus(const QString& text) override;
    void ShowControl(int controlId, const QString& text) override;
    void ShowProgressRange(int low, int high) override;
    void ShowProgressPos(int position) override;
    QWidget* Window() override { return this; }

  public slots:
    void accept() override { OnOK(); }
    void reject() override { OnCancel(); }

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    // A label for control `controlId`, with the look of a sunken static field when `framed`.
    QLabel* AddControl(int controlId, bool framed);
    // The optional machine name of the history entries, shown while the job records in the history;
    // the name given is remembered for the port the device was found on.
    MachineNameField* AddMachineNameField(UiState& state);
    QLabel* statusLine_ = nullptr;
    QProgressBar* progress_ = nullptr;

  private:
    void Stop(kdm::StopCommand command);
    void OnWorkerFinished();
    MachineNameField* machineName_ = nullptr;
    UiState* state_ = nullptr;
    QString foundPort_;

    TransferWorker* worker_;
    std::map<int, QLabel*> controls_;
};
