// What the desktop program remembers of its own windows between runs: window sizes, the column widths
// a user set by hand, the data files opened last, and how much a read of each kind of device brought.
// None of it changes what the program reads or writes; a store that cannot be read or written only
// means the windows open as they always did.
//
// Kept in one INI file, "ui.conf", in the lasting root of the settings store (under
// KDMXP_SETTINGS_DIR when it is set, so tests never touch a user's file). Use from the user-interface
// thread only.
#pragma once

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <memory>

class QSettings;

class UiState {
  public:
    // The state file inside `directory` (created on first write).
    explicit UiState(const QString& directory);
    ~UiState();
    UiState(const UiState&) = delete;
    UiState& operator=(const UiState&) = delete;

    QString FilePath() const;

    // The size a window had when it was last closed; invalid when none is known.
    QSize WindowSize(const QString& window) const;
    void SetWindowSize(const QString& window, const QSize& size);

    // Column widths in pixels that the user set for `table`; empty when none.
    QList<int> ColumnWidths(const QString& table) const;
    void SetColumnWidths(const QString& table, const QList<int>& widths);

    // Data files opened, the latest first, each once, at most kMaxRecentFiles.
    static constexpr int kMaxRecentFiles = 8;
    QStringList RecentFiles() const;
    void AddRecentFile(const QString& path);
    // Takes `path` off the list (a file that is gone).
    void RemoveRecentFile(const QString& path);

    // "Verify after writing" in the write window: off until the user turned it on.
    bool VerifyAfterWrite() const;
    void SetVerifyAfterWrite(bool verify);

    // What the last complete read of a device that identified itself with `identification` brought:
    // its programs and all telegram records stored. False when no read of it is known.
    struct ReadSize {
        int programs = 0;
        int telegrams = 0;
    };
    bool LastReadSize(const QString& identification, ReadSize& size) const;
    void SetLastReadSize(const QString& identification, const ReadSize& size);

    // The machine name last given to a read or a write on `port`, offered for the next one there; empty
    // when none.
    QString MachineNameOnPort(const QString& port) const;
    void SetMachineNameOnPort(const QString& port, const QString& name);

  private:
    std::unique_ptr<QSettings> settings_;
};
