// HistoryWindow (File > History...): the device history as a table, newest first, with the entries
// other laptops shared (their host and user in their columns) and the machine each belongs to; a
// filter keeps the rows of one machine or device. An entry opens in a table window, or in a table
// window compared with the entry before it of the same machine; "Parameter story" shows its machine's
// newest entry with each cell's since-when and by-whom. An entry's machine can be named or renamed.
// "Synchronise" takes in the shared remote's entries and sends this laptop's, on a thread of its own
// (git may need seconds, or a network), with the step it is at shown under the table; it waits for a
// remote, which the window can set. Times are shown by the same rule as kdmxp-cli history (UTC).
#pragma once

#include <QDialog>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/history.h"

class AppServices;
class CKDM_XPDlg;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QThread;

class HistoryWindow final : public QDialog {
    Q_OBJECT
  public:
    // Columns of the table.
    enum Column { kTime, kKind, kMachine, kDevice, kType, kHost, kUser, kPort, kEntry, kColumnCount };

    HistoryWindow(AppServices& services, kdm::IHistory& history, QWidget* parent);
    // Waits for a running synchronisation.
    ~HistoryWindow() override;

    // Lists the history again (after a sync, or a read made meanwhile).
    void Reload();
    // The entries as listed, one per row.
    const std::vector<kdm::HistoryEntry>& Entries() const { return entries_; }
    QTableWidget* Table() const { return table_; }
    // The line naming the shared remote, and the line under the table (what the last action gave).
    QString RemoteText() const;
    QString StatusText() const;

    // Opens the selected entry in a table window above this one; returns when it is closed. False when
    // none is selected or its data cannot be read (the status line says why).
    bool OnOpen();
    // Opens the selected entry in a table window compared with the previous entry of its device. False
    // when there is none before it (a box says so) or either cannot be read.
    bool OnCompareWithPrevious();
    // Starts a synchronisation; returns at once. synchronised() follows when it is over. Nothing
    // while no remote is set (the button is disabled then).
    void OnSynchronise();
    bool Synchronising() const;

    // Shows only the rows whose machine name or device id holds `text` (any case); all when empty.
    void SetFilter(const QString& text);
    bool RowShown(int row) const;
    // Asks for a name (askName, or a dialog) and names the selected entry's machine with it.
    bool OnNameMachine();
    // Names the selected entry's machine `name` (every entry of it, or with `wholeMachine` false the
    // entry alone) and lists again. False (the status line says why) when it cannot.
    bool NameSelected(const QString& name, bool wholeMachine);
    // Asks for the remote (askRemote, or a dialog) and sets it.
    bool OnSetRemote();
    bool SetRemote(const QString& url);
    // Opens the selected entry's machine in the parameter story: its newest entry in a table window,
    // each cell's tooltip saying since when and by whom it holds its value, the cells the newest entry
    // changed marked. False when nothing is selected or an entry cannot be read.
    bool OnParameterStory();

    // An entry's time as every listing shows it (kdm::ShownHistoryTime); the text itself when it is
    // no such time. The Time column's heading names the zone.
    static QString TimeText(const std::string& time);
    // The read, backup or write an entry was, with its verify outcome and ending.
    static QString KindText(const kdm::HistoryEntry& entry);

    // Test hooks: called with each table window before it is shown; the name and remote dialogs.
    std::function<void(CKDM_XPDlg& window)> onTableWindow;
    std::function<bool(QString& name, bool& wholeMachine)> askName;
    std::function<bool(QString& url)> askRemote;

  signals:
    void synchronised();

  public slots:
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    const kdm::HistoryEntry* Selected() const;
    // The entry's data in a file of the window's temporary directory; empty (status says why) when not.
    std::string WriteOut(const kdm::HistoryEntry& entry);
    // `story`, when given, decorates the tables before the window is shown.
    void ShowTable(const std::string& path, const kdm::HistoryEntry& shown, const kdm::HistoryEntry* previous,
                   const std::string& previousPath, const std::function<void(CKDM_XPDlg&)>& story = {});
    void ApplyFilter();
    void UpdateButtons();
    void ShowStage(kdm::SyncStage stage);
    void OnSyncFinished();

    AppServices& services_;
    kdm::IHistory& history_;
    std::vector<kdm::HistoryEntry> entries_;
    QTableWidget* table_;
    QLabel* remote_;
    QLineEdit* filter_;
    QLabel* status_;
    QProgressBar* progress_;
    QPushButton* open_;
    QPushButton* compare_;
    QPushButton* story_;
    QPushButton* name_;
    QPushButton* setRemote_;
    QPushButton* sync_;
    QPushButton* close_;
    QTemporaryDir scratch_;
    bool hasRemote_ = false;
    bool filtered_ = false;  // the status line counts the rows the filter left
    std::unique_ptr<QThread> syncThread_;
    // Written by the sync thread, read once it has finished.
    kdm::SyncReport report_;
    kdm::HistoryResult syncResult_;
};
