#include "ui/table_window.h"

#include <QAction>
#include <QBoxLayout>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <algorithm>
#include <map>
#include <optional>

#include "data/strings.h"
#include "data/tables.h"
#include "data/write_check.h"
#include "files/data_file.h"
#include "ui/app_services.h"
#include "ui/compare_view.h"
#include "ui/ctable.h"
#include "ui/file_drop.h"
#include "ui/help.h"
#include "ui/menu.h"
#include "ui/pictures.h"
#include "ui/ui_state.h"

namespace {

QString FromLatin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The least height of the program table, in dialog units.
constexpr int kProgramTableLeastHeight = 80;

// Dialog units of the window's font: a quarter of the average character width across, an eighth of
// the line height down.
QSize DialogUnits(const QWidget& widget, int x, int y) {
    const QFontMetrics metrics(widget.font());
    return QSize(x * metrics.averageCharWidth() / 4, y * metrics.height() / 8);
}

}  // namespace

CKDM_XPDlg::CKDM_XPDlg(AppServices& services, DataDocument& document, QWidget* parent)
    : QDialog(parent), services_(services), document_(document) {
    setObjectName(QStringLiteral("CKDM_XPDlg"));
    system_ = new CTable(1, this);
    system_->setObjectName(QStringLiteral("id1000"));
    program_ = new CTable(2, this);
    program_->setObjectName(QStringLiteral("id1001"));
    ok_ = new QPushButton(QCoreApplication::translate("Table", "OK"), this);
    ok_->setObjectName(QStringLiteral("id1"));
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    status_->setStyleSheet(QStringLiteral("color: #c00000;"));
    status_->setWordWrap(true);
    status_->hide();
    editNote_ = new QLabel(this);
    editNote_->setObjectName(QStringLiteral("editNote"));
    editNote_->setWordWrap(true);
    editNote_->hide();
    CreateLayout();
    CreateEditCommands();
    setAcceptDrops(true);
    compare_ = new CompareView(services_, *this, document_, *system_, *program_);
    // Edits, their undo and redo: the tables show the text as it now is, and a comparison made before
    // no longer speaks of it.
    connect(&document_, &DataDocument::changed, this, [this] {
        if (!initialised_) return;
        compare_->Clear();
        const QList<int> systemWidths = system_->ColumnWidths();
        const QList<int> programWidths = program_->ColumnWidths();
        ShowDocument();
        system_->ApplyColumnWidths(systemWidths);
        program_->ApplyColumnWidths(programWidths);
    });
    connect(&document_, &DataDocument::renamed, this, &CKDM_XPDlg::ShowTitle);
    connect(&document_, &DataDocument::cleanChanged, this, &CKDM_XPDlg::ShowTitle);
    // After saving, the file holds the values: no cell differs from it any more.
    connect(&document_, &DataDocument::saved, this, [this] {
        if (!initialised_) return;
        const QList<int> systemWidths = system_->ColumnWidths();
        const QList<int> programWidths = program_->ColumnWidths();
        ShowDocument();
        system_->ApplyColumnWidths(systemWidths);
        program_->ApplyColumnWidths(programWidths);
    });
    for (CTable* table : {system_, program_}) {
        table->SetEditable(true);
        connect(table->Cells(), &GridModel::valueEntered, this, &CKDM_XPDlg::OnValueEntered);
        connect(table, &CTable::entryRefused, this, &CKDM_XPDlg::OnEntryRefused);
    }
    program_->SetFrozenHeadings(true);
}

CKDM_XPDlg::~CKDM_XPDlg() {
    // The tables go after this window's own part: an editor still open commits as it goes, and must not
    // reach a window that is half destroyed.
    for (CTable* table : {system_, program_}) {
        disconnect(table, nullptr, this, nullptr);
        disconnect(table->Cells(), nullptr, this, nullptr);
    }
    disconnect(&document_, nullptr, this, nullptr);
}

void CKDM_XPDlg::CreateEditCommands() {
    QMenuBar* bar = findChild<QMenuBar*>(QStringLiteral("mainMenu"));
    QAction* open = FindMenuAction(this, menu_id::kFileOpen);
    if (bar == nullptr || open == nullptr || bar->actions().isEmpty()) return;
    auto* file = qobject_cast<QMenu*>(open->parent());
    // File: Save and Save As after Open (the popup's Recent files stays right after Open).
    QAction* save = new QAction(QCoreApplication::translate("Edit", "&Save"), this);
    save->setObjectName(QStringLiteral("fileSave"));
    save->setShortcut(QKeySequence::Save);
    save->setShortcutContext(Qt::WindowShortcut);
    connect(save, &QAction::triggered, this, &CKDM_XPDlg::OnSave);
    QAction* saveAs = new QAction(QCoreApplication::translate("Edit", "Save &As..."), this);
    saveAs->setObjectName(QStringLiteral("fileSaveAs"));
    saveAs->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    saveAs->setShortcutContext(Qt::WindowShortcut);
    connect(saveAs, &QAction::triggered, this, &CKDM_XPDlg::OnSaveAs);
    if (file != nullptr) {
        const QList<QAction*> items = file->actions();
        const qsizetype at = items.indexOf(open);
        // Past Open and its Recent files submenu.
        QAction* before = at >= 0 && at + 2 < items.size() ? items[at + 2] : nullptr;
        file->insertAction(before, save);
        file->insertAction(before, saveAs);
    }

    // Edit, right after File: the document's undo stack.
    auto* edit = new QMenu(QCoreApplication::translate("Edit", "&Edit"), bar);
    edit->setObjectName(QStringLiteral("editMenu"));
    undo_ = edit->addAction(QCoreApplication::translate("Edit", "&Undo"));
    undo_->setObjectName(QStringLiteral("editUndo"));
    undo_->setShortcut(QKeySequence(QStringLiteral("Ctrl+Z")));
    undo_->setShortcutContext(Qt::WindowShortcut);
    redo_ = edit->addAction(QCoreApplication::translate("Edit", "&Redo"));
    redo_->setObjectName(QStringLiteral("editRedo"));
    redo_->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+Z")));
    redo_->setShortcutContext(Qt::WindowShortcut);
    QUndoStack& stack = document_.UndoStack();
    connect(undo_, &QAction::triggered, &stack, &QUndoStack::undo);
    connect(redo_, &QAction::triggered, &stack, &QUndoStack::redo);
    connect(&stack, &QUndoStack::canUndoChanged, undo_, &QAction::setEnabled);
    connect(&stack, &QUndoStack::canRedoChanged, redo_, &QAction::setEnabled);
    undo_->setEnabled(stack.canUndo());
    redo_->setEnabled(stack.canRedo());
    const QList<QAction*> popups = bar->actions();
    bar->insertMenu(popups.size() > 1 ? popups[1] : nullptr, edit);
}

void CKDM_XPDlg::CreateLayout() {
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(services_.CreateMenu(this, {menu_id::kHelpEnglish, menu_id::kHelpGerman}));
    connect(FindMenuAction(this, menu_id::kHelpEnglish), &QAction::triggered, this,
            &CKDM_XPDlg::OnHelpEnglish);
    connect(FindMenuAction(this, menu_id::kHelpGerman), &QAction::triggered, this, &CKDM_XPDlg::OnHelpGerman);
    connect(FindMenuAction(this, menu_id::kPortSelect), &QAction::triggered, this, &CKDM_XPDlg::OnPortSelect);
    // Ctrl+W closes a window on Linux, and closes this one as its close box would.
    auto* closeKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_W), this);
    closeKey->setObjectName(QStringLiteral("closeShortcut"));
    connect(closeKey, &QShortcut::activated, this, &QWidget::close);

    // The system table asks for the height of all its rows and gets it whenever the window has room;
    // with less it scrolls, down to the height it always had. The program table takes what is left,
    // and makes do with a few rows so that the whole window still fits a 640x480 screen.
    system_->setMinimumSize(DialogUnits(*this, 215, 143));
    system_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    system_->SetWantsWholeTable(true);
    program_->setMinimumSize(DialogUnits(*this, 300, kProgramTableLeastHeight));
    program_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    layout->addWidget(system_, 0, Qt::AlignLeft);
    layout->addWidget(program_, 1);

    auto* bottom = new QHBoxLayout;
    auto* notes = new QVBoxLayout;
    notes->addWidget(status_);
    notes->addWidget(editNote_);
    bottom->addLayout(notes, 1);
    bottom->addStretch(0);
    bottom->addWidget(ok_, 0, Qt::AlignRight | Qt::AlignVCenter);
    layout->addLayout(bottom);

    for (CTable* table : {system_, program_})
        connect(table, &CTable::columnWidthChangedByUser, this, [this] { columnsChanged_ = true; });

    resize(DialogUnits(*this, 608, 398));
    const QSize remembered = services_.State().WindowSize(objectName());
    if (remembered.isValid()) resize(remembered);
    setSizeGripEnabled(true);
}

// The recent files are kept in a file that is flushed to disk on every change, which on a busy disk can
// take longer than a frame: the window is painted first, and the file remembered right after (or as the
// window closes, should it close before it ever painted).
void CKDM_XPDlg::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    if (rememberPosted_ || fileRemembered_) return;
    rememberPosted_ = true;
    QTimer::singleShot(0, this, &CKDM_XPDlg::RememberFile);
}

void CKDM_XPDlg::RememberFile() {
    if (fileRemembered_ || !initialised_ || !document_.Loaded()) return;
    if (!shownAs_.isEmpty() && document_.Path() == shownPath_) return;
    fileRemembered_ = true;
    services_.State().AddRecentFile(QString::fromLocal8Bit(document_.Path().c_str()));
}

void CKDM_XPDlg::done(int result) {
    if (!MaybeSaveChanges()) return;
    RememberFile();
    // Kept for the next window: its size, and the column widths the user set.
    services_.State().SetWindowSize(objectName(),
                                    isMaximized() || isFullScreen() ? normalGeometry().size() : size());
    if (columnsChanged_) {
        services_.State().SetColumnWidths(QStringLiteral("system"), system_->ColumnWidths());
        services_.State().SetColumnWidths(QStringLiteral("program"), program_->ColumnWidths());
    }
    QDialog::done(result);
}

void CKDM_XPDlg::dragEnterEvent(QDragEnterEvent* event) {
    AcceptDataFileDrag(event);
}

void CKDM_XPDlg::dragMoveEvent(QDragMoveEvent* event) {
    AcceptDataFileDrag(event);
}

void CKDM_XPDlg::dropEvent(QDropEvent* event) {
    OpenDroppedDataFile(services_, this, event);
}

void CKDM_XPDlg::showEvent(QShowEvent* event) {
    if (!initialised_) OnInitDialog();
    QDialog::showEvent(event);
    if (!document_.Loaded() && !failureReported_) {
        // After the window is up, so the message stands over the (empty) tables it speaks of.
        QTimer::singleShot(0, this, &CKDM_XPDlg::ReportReadFailure);
    }
}

void CKDM_XPDlg::OnInitDialog() {
    if (initialised_) return;
    initialised_ = true;
    setWindowIcon(AppIcon());
    ShowTitle();
    ShowDocument();
    // Widths the user chose last time, where the table has the same columns; else the headings are
    // shown whole where the window has room for them.
    system_->ApplyColumnWidths(services_.State().ColumnWidths(QStringLiteral("system")));
    if (!program_->ApplyColumnWidths(services_.State().ColumnWidths(QStringLiteral("program"))))
        program_->SetFitsHeadingsToRoom(true);
}

void CKDM_XPDlg::ShowAs(const QString& name) {
    shownAs_ = name;
    shownPath_ = document_.Path();
    ShowTitle();
}

void CKDM_XPDlg::ShowTitle() {
    // The asterisk while there are unsaved changes.
    const QString modified = document_.Modified() ? QStringLiteral("*") : QString();
    if (!shownAs_.isEmpty() && document_.Path() == shownPath_) {
        setWindowTitle(FromLatin1(kdm::kVersionTitle) + shownAs_ + modified);
        return;
    }
    setWindowTitle(FromLatin1(kdm::kVersionTitle) + QString::fromLocal8Bit(document_.Path().c_str()) +
                   modified);
}

void CKDM_XPDlg::OnValueEntered(std::size_t record, const QString& text) {
    const kdm::EditRefusal refusal = document_.SetRecordValue(record, text.toStdString());
    switch (refusal) {
        case kdm::EditRefusal::kNone:
            editNote_->clear();
            editNote_->hide();
            return;
        case kdm::EditRefusal::kBadValue:
            OnEntryRefused(CTable::Refusal::kCharacter);
            return;
        case kdm::EditRefusal::kDamagedRecord:
            editNote_->setText(QCoreApplication::translate(
                "Edit", "This value comes from a damaged record and cannot be changed."));
            break;
        case kdm::EditRefusal::kNoSuchProgram:
        case kdm::EditRefusal::kNoSuchLetter:
            editNote_->setText(QCoreApplication::translate("Edit", "This cell cannot be changed."));
            break;
    }
    editNote_->show();
}

void CKDM_XPDlg::OnEntryRefused(CTable::Refusal refusal) {
    editNote_->setText(
        refusal == CTable::Refusal::kCharacter
            ? QCoreApplication::translate("Edit", "A value is a sign and up to six digits.")
            : QCoreApplication::translate("Edit", "Not changed: a value needs at least one digit."));
    editNote_->show();
}

QString CKDM_XPDlg::EditNote() const {
    return editNote_->isHidden() ? QString() : editNote_->text();
}

void CKDM_XPDlg::MarkEditedCells() {
    const auto edited = document_.EditedRecords();
    if (edited.empty()) return;
    std::map<std::size_t, QString> before;
    for (const auto& [record, shown] : edited)
        before[record] = QCoreApplication::translate("Edit", "Changed, not saved; it was %1")
                             .arg(QString::fromLatin1(shown.c_str()).trimmed());
    for (CTable* table : {system_, program_}) {
        GridModel* cells = table->Cells();
        for (int row = 0; row < table->Rows(); ++row) {
            for (int col = 0; col < table->Cols(); ++col) {
                const std::optional<std::size_t> record = cells->RecordAt(row, col);
                if (!record) continue;
                const auto found = before.find(*record);
                if (found != before.end()) cells->SetEditedNote(row, col, found->second);
            }
        }
    }
}

void CKDM_XPDlg::ShowSaveFailed(const std::string& reason) {
    QMessageBox box(QMessageBox::Warning, FromLatin1(kdm::kErrorTitle),
                    QCoreApplication::translate("Edit", "The file could not be saved.\n%1")
                        .arg(QString::fromLocal8Bit(reason.c_str())),
                    QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("saveFailedBox"));
    box.exec();
}

bool CKDM_XPDlg::OnSave() {
    std::string reason;
    if (document_.Save(reason)) return true;
    ShowSaveFailed(reason);
    return false;
}

bool CKDM_XPDlg::OnSaveAs() {
    QString path;
    if (chooseSaveAs_) {
        if (!chooseSaveAs_(this, path)) return false;
    } else {
        QFileDialog dialog(this, QCoreApplication::translate("Edit", "Save As"),
                           QString::fromLocal8Bit(document_.Path().c_str()));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilter(QStringLiteral("KDM DataFiles (*.kdm)"));
        dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
        path = dialog.selectedFiles().front();
    }
    if (path.isEmpty()) return false;
    // A name without an extension gets the one every data file has.
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".KDM");
    std::string reason;
    if (document_.SaveAs(QFileInfo(path).absoluteFilePath().toLocal8Bit().toStdString(), reason)) return true;
    ShowSaveFailed(reason);
    return false;
}

bool CKDM_XPDlg::MaybeSaveChanges() {
    if (!document_.Modified()) return true;
    QMessageBox box(QMessageBox::Question, FromLatin1(kdm::kVersionTitle).trimmed(),
                    QCoreApplication::translate("Edit", "%1 has changes that are not saved. Save them?")
                        .arg(QString::fromLocal8Bit(document_.Path().c_str())),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    box.setObjectName(QStringLiteral("unsavedChangesBox"));
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
        case QMessageBox::Save:
            return OnSave();
        case QMessageBox::Discard:
            document_.Revert();
            return true;
        default:
            return false;
    }
}

bool CKDM_XPDlg::SaveBeforeWriting() {
    if (!document_.Modified()) return true;
    // A write sends the file as it is on disk: what the window shows must be there first.
    QMessageBox box(QMessageBox::Question, FromLatin1(kdm::kVersionTitle).trimmed(),
                    QCoreApplication::translate(
                        "Edit", "%1 has changes that are not saved. Save them before writing into a device?")
                        .arg(QString::fromLocal8Bit(document_.Path().c_str())),
                    QMessageBox::Save | QMessageBox::Cancel, this);
    box.setObjectName(QStringLiteral("saveBeforeWriteBox"));
    box.setDefaultButton(QMessageBox::Save);
    return box.exec() == QMessageBox::Save && OnSave();
}

void CKDM_XPDlg::ShowDocument() {
    suspect_ = 0;
    programsLeftOut_ = 0;
    verdict_ = kdm::FileVerdict::kRefused;
    if (!document_.Loaded()) {
        // Nothing loaded: the tables stay empty.
        status_->hide();
        return;
    }
    system_->BeginUpdate();
    program_->BeginUpdate();
    kdm::ParameterTables tables(*system_, *program_);
    tables.ShowParameterSet(document_.Parameters());
    program_->EndUpdate();
    system_->EndUpdate();

    suspect_ = tables.SuspectValues();
    programsLeftOut_ = tables.ProgramsLeftOut();
    QStringList notes;
    if (suspect_ > 0) {
        notes << QCoreApplication::translate(
                     "Table",
                     "%1 value(s) come from telegrams with a checksum mismatch or damage "
                     "(shown in red).")
                     .arg(suspect_);
    }
    if (programsLeftOut_ > 0) {
        notes << QCoreApplication::translate(
                     "Table", "%1 program(s) past the %2th are not shown: the table has no rows for them.")
                     .arg(programsLeftOut_)
                     .arg(kdm::kMaxPrograms);
    }
    // The write's own judgement: a file this window shows as damaged is never written without a word.
    const kdm::FileJudgement judgement = kdm::JudgeDataFile(document_.Parameters());
    verdict_ = judgement.verdict;
    if (judgement.check.cutShort) {
        notes << QCoreApplication::translate("Table", "The file ends inside a record: it was cut short.");
    }
    if (judgement.check.trailingBytes > 0) {
        notes << QCoreApplication::translate("Table", "%1 bytes after the last record are no record.")
                     .arg(static_cast<qulonglong>(judgement.check.trailingBytes));
    }
    if (verdict_ == kdm::FileVerdict::kRefused) {
        notes << QCoreApplication::translate("Table",
                                             "It cannot be written into a device as it stands (%1 fault(s)).")
                     .arg(judgement.check.Blocking());
    } else if (verdict_ == kdm::FileVerdict::kAsk) {
        notes << QCoreApplication::translate("Table", "It is written into a device only after you confirm.");
    }
    status_->setText(notes.join(QLatin1Char('\n')));
    status_->setVisible(!notes.isEmpty());
    MarkEditedCells();
    // The system table is as high as its rows in use, down to the height it always had at the least
    // where it has more rows than that.
    system_->setMinimumHeight(
        std::min(DialogUnits(*this, 215, 143).height(), system_->UsedContentSize().height()));
    system_->updateGeometry();
}

void CKDM_XPDlg::ReportReadFailure() {
    if (document_.Loaded() || failureReported_) return;
    failureReported_ = true;
    QMessageBox box(QMessageBox::Warning, FromLatin1(kdm::kErrorTitle),
                    QString::fromLocal8Bit(document_.LoadFailure().c_str()), QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("readFailureBox"));
    box.exec();
}

// The table window's help commands look in the directory current at the moment, not the start-up one.
void CKDM_XPDlg::OnHelpEnglish() {
    ShowHelp(this, kdm::CurrentDirectory(), kHelpDocumentEnglish);
}

void CKDM_XPDlg::OnHelpGerman() {
    ShowHelp(this, kdm::CurrentDirectory(), kHelpDocumentGerman);
}

void CKDM_XPDlg::OnPortSelect() {
    services_.SelectPort(this);
}
