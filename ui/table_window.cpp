#include "ui/table_window.h"

#include <QAction>
#include <QBoxLayout>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <algorithm>

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
    CreateLayout();
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
    bottom->addWidget(status_, 1);
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
    // Widths the user chose last time, where the table has the same columns.
    system_->ApplyColumnWidths(services_.State().ColumnWidths(QStringLiteral("system")));
    program_->ApplyColumnWidths(services_.State().ColumnWidths(QStringLiteral("program")));
}

void CKDM_XPDlg::ShowAs(const QString& name) {
    shownAs_ = name;
    shownPath_ = document_.Path();
    ShowTitle();
}

void CKDM_XPDlg::ShowTitle() {
    if (!shownAs_.isEmpty() && document_.Path() == shownPath_) {
        setWindowTitle(FromLatin1(kdm::kVersionTitle) + shownAs_);
        return;
    }
    setWindowTitle(FromLatin1(kdm::kVersionTitle) + QString::fromLocal8Bit(document_.Path().c_str()));
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
