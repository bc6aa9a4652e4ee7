// CKDM_XPDlg: the table window, a view of one data file's document. Shows it in two tables (system
// parameters above, program parameters below), carries the menu, and nests: commands chosen here open
// their windows on top of it.
//
// It is also where the document is edited: a value typed into a cell becomes an edit on the
// document's undo stack (Edit > Undo, Redo), cells changed since the last save are marked with the
// value they had, the title ends in '*' while there are unsaved changes, and File > Save and Save As
// save them. Closing the window with unsaved changes asks first.
#pragma once

#include <QDialog>
#include <string>
#include <utility>

#include "data/file_verdict.h"
#include "ui/app_services.h"
#include "ui/ctable.h"
#include "ui/document.h"

class CompareView;
class QAction;
class QLabel;
class QPushButton;

class CKDM_XPDlg final : public QDialog {
    Q_OBJECT
  public:
    // Shows `document`, which must outlive the window.
    CKDM_XPDlg(AppServices& services, DataDocument& document, QWidget* parent);
    ~CKDM_XPDlg() override;

    DataDocument& Document() const { return document_; }
    const std::string& FileName() const { return document_.Path(); }

    // Title, icon and tables. Runs once, when the window is first shown (tests may call it earlier).
    void OnInitDialog();
    // For a file the user never chose (a history entry's temporary copy): the title shows `name` instead
    // of its path, and the file stays out of "Recent files". Saving it under a name of the user's ends
    // that.
    void ShowAs(const QString& name);

    // Fills both tables from the document. A document whose file could not be opened leaves the tables
    // empty; why is reported once the window is up.
    void ShowDocument();

    // Saves the document, or asks where first. False, after saying why, when nothing was saved (or
    // the user cancelled the file dialog).
    bool OnSave();
    bool OnSaveAs();
    // Before the document's unsaved changes would be left behind (closing, opening another file):
    // asks to save them, discard them (the document goes back to the file) or cancel. True to go on.
    bool MaybeSaveChanges();
    // Before a write into a device: unsaved changes are saved first, or the write does not happen.
    // True to go on.
    bool SaveBeforeWriting();
    // Test hook: the Save As file dialog replaced. Null: the dialog.
    void SetSaveAsChooser(FileChooser chooser) { chooseSaveAs_ = std::move(chooser); }
    // What the window last said about an edit (a refused entry); empty when nothing.
    QString EditNote() const;

    void OnHelpEnglish();
    void OnHelpGerman();
    void OnPortSelect();

    CTable* SystemTable() const { return system_; }
    CTable* ProgramTable() const { return program_; }
    // The comparison with another data file or the device: its menu and its panel under the tables.
    CompareView* Compare() const { return compare_; }
    // Values from telegrams whose checksum did not match or that were damaged, in the file shown.
    int SuspectValues() const { return suspect_; }
    // Programs of the file shown that the program table has no row for (past the 255th).
    int ProgramsLeftOut() const { return programsLeftOut_; }
    // What a write would do with the file shown, as `kdmxp-cli show` and the write itself judge it.
    kdm::FileVerdict FileVerdict() const { return verdict_; }
    // Why the file could not be read; empty when it could.
    const std::string& ReadFailure() const { return document_.LoadFailure(); }

  public slots:
    // Remembers the window's size and the column widths the user set, then closes.
    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // The error box of a save that failed, with its reason.
    void ShowSaveFailed(const std::string& reason);
    void ReportReadFailure();
    void CreateLayout();

    void ShowTitle();
    void CreateEditCommands();
    void OnValueEntered(std::size_t record, const QString& text);
    void OnEntryRefused(CTable::Refusal refusal);
    // Marks the cells whose values were changed since the last save.
    void MarkEditedCells();
    // Puts the file at the top of "Recent files" (once).
    void RememberFile();

    AppServices& services_;
    DataDocument& document_;
    CTable* system_;
    CTable* program_;
    CompareView* compare_ = nullptr;
    QLabel* status_;
    QLabel* editNote_;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
    FileChooser chooseSaveAs_;
    QPushButton* ok_;
    bool initialised_ = false;
    bool failureReported_ = false;
    bool fileRemembered_ = false;
    bool rememberPosted_ = false;
    bool columnsChanged_ = false;
    QString shownAs_;
    std::string shownPath_;
    int suspect_ = 0;
    int programsLeftOut_ = 0;
    kdm::FileVerdict verdict_ = kdm::FileVerdict::kWritable;
};
