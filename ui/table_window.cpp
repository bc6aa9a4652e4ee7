#include "ui/table_window.h"

#include <QAction>
#include <QBoxLayout>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "data/parameter_model.h"
#include "data/strings.h"
#include "data/tables.h"
#include "data/write_check.h"
#include "files/data_file.h"
#include "ui/app.h"
#include "ui/com_select.h"
#include "ui/compare_view.h"
#include "ui/ctable.h"
#include "ui/file_drop.h"
#include "ui/help.h"
#include "ui/menu.h"
#include "ui/pictures.h"

namespace {

QString FromLatin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Dialog units of the window's font: a quarter of the average character width across, an eighth of
// the line height down.
QSize DialogUnits(const QWidget& widget, int x, int y) {
    const QFontMetrics metrics(widget.font());
    return QSize(x * metrics.averageCharWidth() / 4, y * metrics.height() / 8);
}

}  // namespace

CKDM_XPDlg::CKDM_XPDlg(CKDM_XPApp& app, QWidget* parent) : QDialog(parent), app_(app) {
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
    compare_ = new CompareView(app_, *this);
}

void CKDM_XPDlg::CreateLayout() {
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(app_.CreateMenu(this, {menu_id::kHelpEnglish, menu_id::kHelpGerman}));
    connect(FindMenuAction(this, menu_id::kHelpEnglish), &QAction::triggered, this,
            &CKDM_XPDlg::OnHelpEnglish);
    connect(FindMenuAction(this, menu_id::kHelpGerman), &QAction::triggered, this, &CKDM_XPDlg::OnHelpGerman);
    connect(FindMenuAction(this, menu_id::kPortSelect), &QAction::triggered, this, &CKDM_XPDlg::OnPortSelect);

    // The system table asks for the height of all its rows and gets it whenever the window has room;
    // with less it scrolls, down to the height it always had. The program table takes what is left.
    system_->setMinimumSize(DialogUnits(*this, 215, 143));
    system_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    system_->SetWantsWholeTable(true);
    program_->setMinimumSize(DialogUnits(*this, 300, 100));
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
    const QSize remembered = app_.uiState.WindowSize(objectName());
    if (remembered.isValid()) resize(remembered);
    setSizeGripEnabled(true);
}

void CKDM_XPDlg::done(int result) {
    // Kept for the next window: its size, and the column widths the user set.
    app_.uiState.SetWindowSize(objectName(),
                               isMaximized() || isFullScreen() ? normalGeometry().size() : size());
    if (columnsChanged_) {
        app_.uiState.SetColumnWidths(QStringLiteral("system"), system_->ColumnWidths());
        app_.uiState.SetColumnWidths(QStringLiteral("program"), program_->ColumnWidths());
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
    OpenDroppedDataFile(app_, this, event);
}

void CKDM_XPDlg::SetFileName(const std::string& path) {
    fileName_ = path;
}

void CKDM_XPDlg::showEvent(QShowEvent* event) {
    if (!initialised_) OnInitDialog();
    QDialog::showEvent(event);
    if (!readFailure_.empty() && !failureReported_) {
        // After the window is up, so the message stands over the (empty) tables it speaks of.
        QTimer::singleShot(0, this, &CKDM_XPDlg::ReportReadFailure);
    }
}

void CKDM_XPDlg::OnInitDialog() {
    if (initialised_) return;
    initialised_ = true;
    setWindowIcon(AppIcon());
    setWindowTitle(FromLatin1(kdm::kVersionTitle) + QString::fromLocal8Bit(fileName_.c_str()));
    ShowDataFile(fileName_);
}

int CKDM_XPDlg::ShowDataFile(const std::string& path) {
    std::string text;
    long length = 0;
    std::string reason;
    readFailure_.clear();
    suspect_ = 0;
    programsLeftOut_ = 0;
    if (kdm::ReadWholeFile(path, text, length, reason) == 0) {
        // Nothing loaded: the tables stay empty.
        readFailure_ = reason.empty() ? "The file " + path + " cannot be read." : reason;
        status_->hide();
        return 0;
    }
    const kdm::ParsedParameterSet parsed = kdm::ParseParameterSetInPlace(std::move(text));
    if (!parsed.ok) {
        readFailure_ = path + ": " + parsed.reason;
        status_->hide();
        return 0;
    }
    if (!kdm::HasIdentificationTelegram(parsed.set)) {
        // Tables of device type 0 would pass for an empty device.
        readFailure_ = path + ": not a data file (it does not begin with an identification telegram)";
        status_->hide();
        return 0;
    }
    system_->BeginUpdate();
    program_->BeginUpdate();
    kdm::ParameterTables tables(*system_, *program_);
    tables.ShowParameterSet(parsed.set);
    // Widths the user chose last time, where the table has the same columns.
    system_->ApplyColumnWidths(app_.uiState.ColumnWidths(QStringLiteral("system")));
    program_->ApplyColumnWidths(app_.uiState.ColumnWidths(QStringLiteral("program")));
    program_->EndUpdate();
    system_->EndUpdate();
    app_.uiState.AddRecentFile(QString::fromLocal8Bit(path.c_str()));

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
    status_->setText(notes.join(QLatin1Char('\n')));
    status_->setVisible(!notes.isEmpty());
    return 0;
}

void CKDM_XPDlg::ReportReadFailure() {
    if (readFailure_.empty() || failureReported_) return;
    failureReported_ = true;
    QMessageBox box(QMessageBox::Warning, FromLatin1(kdm::kErrorTitle),
                    QString::fromLocal8Bit(readFailure_.c_str()), QMessageBox::Ok, this);
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
    RunPortSelect(app_, this);
}
