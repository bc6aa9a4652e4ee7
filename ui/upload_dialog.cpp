#include "ui/upload_dialog.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "ui/app_services.h"
#include "ui/machine_name_field.h"
#include "ui/pictures.h"
#include "ui/transfer_controls.h"
#include "ui/transfer_progress.h"
#include "ui/ui_state.h"

namespace {

TransferContext WithTempFile(TransferContext context, const std::string& tempFilePath) {
    if (!tempFilePath.empty()) context.tempFilePath = tempFilePath;
    return context;
}

}  // namespace

CUpload::CUpload(AppServices& services, QWidget* parent, const std::string& tempFilePath)
    : TransferDialogBase(WithTempFile(services.Transfers(), tempFilePath), TransferWorker::Job::kRead,
                         parent),
      state_(services.State()) {
    setObjectName(QStringLiteral("CUpload"));
    setWindowTitle(QCoreApplication::translate("Transfer", "Read data from Dorvik-device"));
    setWindowIcon(AppIcon());

    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto* layout = new QGridLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setHorizontalSpacing(12);

    layout->addWidget(new QLabel(QCoreApplication::translate("Transfer", "Reading parameter:"), this), 0, 0,
                      1, 3);
    QLabel* raw = AddControl(kdm::kCtlReadingParameter, true);
    raw->setFont(fixed);
    raw->setMinimumWidth(QFontMetrics(fixed).horizontalAdvance(QString(34, QChar('0'))));
    layout->addWidget(raw, 1, 0, 1, 3);

    layout->addWidget(new QLabel(QCoreApplication::translate("Transfer", "Parameter no:"), this), 2, 0);
    layout->addWidget(new QLabel(QCoreApplication::translate("Transfer", "Program no."), this), 2, 1,
                      Qt::AlignRight);
    QLabel* program = AddControl(kdm::kCtlProgramNo, true);
    program->setFont(fixed);
    program->setMinimumWidth(QFontMetrics(fixed).horizontalAdvance(QStringLiteral("000000")));
    layout->addWidget(program, 2, 2);
    QLabel* counter = AddControl(kdm::kCtlParameterNo, true);
    counter->setMinimumWidth(QFontMetrics(font()).horizontalAdvance(QStringLiteral("000000")));
    layout->addWidget(counter, 3, 0, Qt::AlignLeft);

    // Busy until the size of the read is known, then how much of it has arrived.
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("readProgress"));
    progress_->setRange(0, 0);
    progress_->setTextVisible(false);
    layout->addWidget(progress_, 4, 0, 1, 3);

    time_ = new TransferTimeLabel(this);
    layout->addWidget(time_, 5, 0, 1, 2);
    // Does what Esc does; Enter still reaches the hidden OK.
    auto* cancel = new QPushButton(QCoreApplication::translate("Transfer", "Cancel"), this);
    cancel->setObjectName(QStringLiteral("id2"));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &CUpload::OnCancel);
    layout->addWidget(cancel, 5, 2, Qt::AlignRight);

    statusLine_ = AddControl(kdm::kCtlStatusLine, true);
    statusLine_->setMinimumHeight(statusLine_->sizeHint().height() + 6);
    layout->addWidget(statusLine_, 6, 0, 1, 3);
    layout->setRowMinimumHeight(6, 32);
    layout->addWidget(AddMachineNameField(state_), 7, 0, 1, 3);

    // Present for the keyboard only (Enter).
    auto* ok = new QPushButton(QCoreApplication::translate("Transfer", "OK"), this);
    ok->setObjectName(QStringLiteral("id1"));
    ok->setDefault(true);
    ok->hide();
    connect(ok, &QPushButton::clicked, this, &CUpload::OnOK);
}

int CUpload::ProgressMaximum() const {
    return progress_->maximum();
}

int CUpload::ProgressValue() const {
    return progress_->value();
}

QString CUpload::TimeText() const {
    return time_->text();
}

void CUpload::showEvent(QShowEvent* event) {
    time_->Begin();
    TransferDialogBase::showEvent(event);
}

void CUpload::ShowCounts(const TransferCounts& counts) {
    counts_ = counts;
    ShowBar();
}

void CUpload::ShowStatus(const QString& text) {
    TransferDialogBase::ShowStatus(text);
    // The program block has ended: everything there is has arrived, whether or not it gets saved.
    const QString terminated = TerminatedText(0);
    if (!complete_ && text.startsWith(terminated)) {
        complete_ = true;
        if (!counts_.identification.isEmpty()) {
            state_.SetLastReadSize(counts_.identification,
                                   UiState::ReadSize{counts_.programs, counts_.stored});
        }
        time_->Finish();
    }
    ShowBar();
}

void CUpload::ShowBar() {
    UiState::ReadSize last;
    const bool known = !counts_.identification.isEmpty() && state_.LastReadSize(counts_.identification, last);
    const ReadBar bar = ReadBarFor(counts_, complete_, known, last);
    progress_->setRange(0, bar.maximum);
    progress_->setValue(bar.value);
    time_->Progress(counts_.stored, bar.maximum > 0 && !complete_ ? bar.maximum : 0);
}
