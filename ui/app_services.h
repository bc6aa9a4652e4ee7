// AppServices: everything a window or dialog may ask of the application, and nothing more.
//
// Windows are handed this interface, never the application object: a window can be built (and tested,
// with a fake) without the rest of the program, and a new window learns only these few calls. The
// application (ui/app.h) implements it; this header names no window, so that every window may include
// it while the application includes the windows.
//
// Windows and dialogs nest modally: the calls that show a window return when it has been closed.
#pragma once

#include <QString>
#include <functional>
#include <initializer_list>
#include <string>

#include "ui/transfer_context.h"

class QMenuBar;
class QWidget;
class UiState;

// A file dialog replaced (tests, screenshots, a read into a scratch directory): true with a path,
// false for "cancelled". Runs on the user-interface thread.
using FileChooser = std::function<bool(QWidget* parent, QString& path)>;

struct ReadRequest {
    // Null: the save dialog asks for the data file.
    FileChooser chooseSavePath;
    // Empty: the application's temporary file (KDM.tmp in the start window's directory).
    std::string tempFilePath;
    // A saved read goes into the device history.
    bool recordInHistory = false;
    // Called with the read window before it runs (tests).
    std::function<void(QWidget* readWindow)> onReadWindow;
};

struct WriteRequest {
    // Null: the open dialog asks for the data file to write.
    FileChooser chooseFileToWrite;
    // The file the open dialog offers first (a table window's); empty: none.
    QString offeredFile;
    // Null: the question before anything is sent is a box whose default is No.
    std::function<bool(QWidget* parent, const QString& question)> confirmWrite;
    // A completed write goes into the device history.
    bool recordInHistory = false;
};

class AppServices {
  public:
    virtual ~AppServices() = default;

    // The menu bar of a start or table window: each command's action is connected to the application's
    // handler, and "Recent files" lists and opens the application's files. Port selection and the
    // commands in `ownCommands` are left for the window to connect.
    virtual QMenuBar* CreateMenu(QWidget* window, std::initializer_list<int> ownCommands = {}) = 0;
    // The port dialog above `parent`.
    virtual void SelectPort(QWidget* parent) = 0;
    // What the desktop remembers of its windows between runs.
    virtual UiState& State() = 0;

    // A data file chosen by the user (dropped on a window, picked from "Recent files"): it becomes the
    // current data file, as with Open, and opens as a document in a table window above `parent`.
    virtual void OpenDataFile(const QString& path, QWidget* parent) = 0;
    // A data file this program has just made (a read's): it opens as a document in a table window above
    // `parent`; the current data file stays as it was.
    virtual void ShowDataFileWindow(const std::string& path, QWidget* parent) = 0;

    // The read window above `parent`. Returns the path of the data file the read saved, empty when it
    // saved none.
    virtual std::string RunRead(QWidget* parent, const ReadRequest& request) = 0;
    // The write window above `parent`, first backing up the device when the user chose so.
    virtual void RunWrite(QWidget* parent, const WriteRequest& request) = 0;

    // What a transfer runs on, with the temporary file as it stands.
    virtual TransferContext Transfers() = 0;
    // KDM.tmp goes into `directory` from now on (the start window's directory when it opens).
    virtual void SetTempFileDirectory(const std::string& directory) = 0;
};
