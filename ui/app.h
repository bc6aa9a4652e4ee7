// The application object: everything the windows share for the life of the process (the open-port state
// of the link, the stored settings, the start-up directory, the temporary file path, the current data
// file) and the handlers of the menu commands, which it connects to each window's menu. It opens every
// data file as a document, each in its own table window, and runs the reads and writes.
//
// It is a plain object, not the QApplication: main() creates the QApplication first and this object
// second. Windows and dialogs receive it as AppServices (ui/app_services.h) and know nothing else of
// it; only main.cpp and app.cpp include this header.
#pragma once

#include <QString>
#include <functional>
#include <initializer_list>
#include <string>

#include "link/link.h"
#include "platform/clock.h"
#include "platform/file_settings_store.h"
#include "platform/history_git.h"
#include "platform/port_discovery.h"
#include "platform/port_map.h"
#include "platform/posix_serial_port.h"
#include "ui/app_services.h"
#include "ui/ui_state.h"

class QMenuBar;
class QWidget;

class CKDM_XPApp final : public AppServices {
  public:
    CKDM_XPApp();
    CKDM_XPApp(const CKDM_XPApp&) = delete;
    CKDM_XPApp& operator=(const CKDM_XPApp&) = delete;

    // Reads the start-up directory and derives the temporary file path from it. Returns false when the
    // working directory cannot be read (the program then runs with an empty start-up directory).
    bool InitInstance();

    // AppServices. CreateMenu connects each command's action to its handler below.
    QMenuBar* CreateMenu(QWidget* window, std::initializer_list<int> ownCommands = {}) override;
    void SelectPort(QWidget* parent) override;
    UiState& State() override { return uiState; }
    void OpenDataFile(const QString& path, QWidget* parent) override;
    void ShowDataFileWindow(const std::string& path, QWidget* parent) override;
    std::string RunRead(QWidget* parent, const ReadRequest& request) override;
    void RunWrite(QWidget* parent, const WriteRequest& request) override;
    TransferContext Transfers() override;
    void SetTempFileDirectory(const std::string& directory) override;

    // Menu handlers. `parent` is the window whose menu was used.
    // A file picked from "Recent files": opened as with Open; one that is gone is taken off the list,
    // and a box says so, rather than an empty table window.
    void OnRecentFile(const QString& path, QWidget* parent);
    void OnFileOpen(QWidget* parent);
    void OnFilePrint(QWidget* parent);
    // The parameter report of the table window's own file; from the start window, of a file asked for
    // as Print asks.
    void OnExportReport(QWidget* parent);
    // Ends the process at once with exit code 1, from however many nested windows deep, once every
    // table window with unsaved changes has had them saved or discarded; a Cancel there goes back.
    void OnFileClose(QWidget* parent);
    void OnReadDevice(QWidget* parent);
    void OnWriteDevice(QWidget* parent);
    // File > History...: the device history's window.
    void OnHistory(QWidget* parent);
    // KDM_Data > Back up the device before writing: turns the stored switch over.
    void OnBackupBeforeWrite(QWidget* parent);
    void OnCableInfo(QWidget* parent);
    void OnInfo(QWidget* parent);
    void OnHelpEnglish(QWidget* parent);
    void OnHelpGerman(QWidget* parent);
    void OnFaqEnglish(QWidget* parent);
    void OnFaqGerman(QWidget* parent);

    // Asks for a data file with the open dialog (or the test hook). On success `path` holds the chosen
    // file's full path and currentDataFile is set to it; false when the user cancelled.
    bool PromptForDataFile(QWidget* parent, QString& path);

    kdm::SystemClock clock;
    kdm::FileSettingsStore settings;
    kdm::SysfsPortDiscovery discovery;
    kdm::PortMap portMap;
    kdm::PosixSerialPort port;
    kdm::Link link;
    std::string startupDirectory;
    std::string tempFilePath;
    std::string currentDataFile;
    // Window sizes, column widths, recent files: in the lasting root of `settings`.
    UiState uiState;
    // The device history ($XDG_DATA_HOME/kdmxp/history): every read, backup and write of this program.
    kdm::GitHistory history;

    // Test hook: when set, PromptForDataFile calls it instead of showing the file dialog. It returns
    // false for "cancelled", or true with the chosen path.
    std::function<bool(QString& path)> promptForDataFile;
    // Test hook: when set, OnExportReport calls it instead of showing the save dialog, with the
    // proposed destination; false for "cancelled".
    std::function<bool(QString& destination)> chooseReportDestination;
};
