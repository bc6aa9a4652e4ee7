// HistoryWindow (File > History...): the device history as a table, newest first, with the entries
// other laptops shared (their host and user in their columns). An entry opens in a table window, or
// in a table window compared with the entry before it of the same device. "Synchronise" takes in the
// shared remote's entries and sends this laptop's, on a thread of its own (git may need seconds, or a
// network), with the step it is at shown under the table.
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
class QProgressBar;
class QPushButton;
class QTableWidget;
class QThread;

class HistoryWindow final : public QDialog {
    Q_OBJECT
  public:
    // Columns of the table.
    enum Column { kTime, kKind, kDevice, kType, kHost, kUser, kPort, kEntry, kColumnCount };

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
    // Starts a synchronisation; returns at once. synchronised() follows when it is over.
    void OnSynchronise();
    bool Synchronising() const;

    // "2026-12-08T09:14:03.250Z" in local time, "2026-12-08 10:14:03"; the text itself when it is no
    // such time.
    static QString LocalTimeText(const std::string& utc);

    // Test hook: called with each table window before it is shown.
    std::function<void(CKDM_XPDlg& window)> onTableWindow;

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
    void ShowTable(const std::string& path, const kdm::HistoryEntry* previous,
                   const std::string& previousPath);
    void UpdateButtons();
    void ShowStage(kdm::SyncStage stage);
    void OnSyncFinished();

    AppServices& services_;
    kdm::IHistory& history_;
    std::vector<kdm::HistoryEntry> entries_;
    QTableWidget* table_;
    QLabel* remote_;
    QLabel* status_;
    QProgressBar* progress_;
    QPushButton* open_;
    QPushButton* compare_;
    QPushButton* sync_;
    QPushButton* close_;
    QTemporaryDir scratch_;
    std::unique_ptr<QThread> syncThread_;
    // Written by the sync thread, read once it has finished.
    kdm::SyncReport report_;
    kdm::HistoryResult syncResult_;
};
