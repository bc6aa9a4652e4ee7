#include "ui/download_dialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "transfer/write_engine.h"
#include "ui/app_services.h"
#include "ui/machine_name_field.h"
#include "ui/pictures.h"
#include "ui/transfer_controls.h"
#include "ui/transfer_progress.h"
#include "ui/ui_state.h"

CDownload::CDownload(AppServices& services, QWidget* parent)
    : TransferDialogBase(services.Transfers(), TransferWorker::Job::kWrite, parent),
      state_(services.State()) {
    setObjectName(QStringLiteral("CDownload"));
    setWindowTitle(QCoreApplication::translate("Transfer", "Write data to Dorvik-device"));
    setWindowIcon(AppIcon());

    auto* layout = new QGridLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setHorizontalSpacing(12);

    heading_ = new QLabel(QCoreApplication::translate("Transfer", "Data transfer active"), this);
    heading_->setObjectName(QStringLiteral("writeHeading"));
    QFont bold = heading_->font();
    bold.setBold(true);
    heading_->setFont(bold);
    layout->addWidget(heading_, 0, 0, 1, 3);

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("id1012"));
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    progress_->setMinimumWidth(QFontMetrics(font()).horizontalAdvance(QString(48, QChar('0'))));
    layout->addWidget(progress_, 1, 0, 1, 3);

    layout->addWidget(new QLabel(QCoreApplication::translate("Transfer", "Data to transfer:"), this), 2, 0);
    QLabel* remaining = AddControl(kdm::kCtlProgramNo, true);
    remaining->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    remaining->setMinimumWidth(QFontMetrics(font()).horizontalAdvance(QStringLiteral("00000000")));
    layout->addWidget(remaining, 2, 1);

    layout->addWidget(new QLabel(QCoreApplication::translate("Transfer", "Actual program no.:"), this), 3, 0);
    QLabel* program = AddControl(kdm::kCtlWriteProgramNo, true);
    program->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    layout->addWidget(program, 3, 1);

    auto* cancel = new QPushButton(QCoreApplication::translate("Transfer", "Cancel"), this);
    cancel->setObjectName(QStringLiteral("id2"));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &CDownload::OnCancel);
    layout->addWidget(cancel, 3, 2, Qt::AlignRight);
    layout->setColumnStretch(2, 1);

    time_ = new TransferTimeLabel(this);
    layout->addWidget(time_, 4, 0, 1, 3);

    statusLine_ = AddControl(kdm::kCtlStatusLine, true);
    statusLine_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(statusLine_, 5, 0, 1, 3);
    layout->addWidget(AddMachineNameField(state_), 6, 0, 1, 3);

    // May still be ticked while the frames go out: it is looked at once the last one was acknowledged.
    verify_ = new QCheckBox(QCoreApplication::translate("Transfer", "&Verify after writing"), this);
    verify_->setObjectName(QStringLiteral("verifyAfterWrite"));
    verify_->setChecked(state_.VerifyAfterWrite());
    Worker().SetVerifyAfterWrite(verify_->isChecked());
    connect(verify_, &QCheckBox::toggled, this, [this](bool on) {
        state_.SetVerifyAfterWrite(on);
        Worker().SetVerifyAfterWrite(on);
    });
    layout->addWidget(verify_, 7, 0, 1, 3);

    // Present for the keyboard only: Enter ends the write like Cancel, but with OK.
    auto* ok = new QPushButton(QCoreApplication::translate("Transfer", "OK"), this);
    ok->setObjectName(QStringLiteral("id1"));
    ok->setDefault(true);
    ok->hide();
    connect(ok, &QPushButton::clicked, this, &CDownload::OnOK);
}

int CDownload::ProgressMinimum() const {
    return progress_->minimum();
}
int CDownload::ProgressMaximum() const {
    return progress_->maximum();
}
int CDownload::ProgressValue() const {
    return progress_->value();
}

QString CDownload::TimeText() const {
    return time_->text();
}

void CDownload::showEvent(QShowEvent* event) {
    time_->Begin();
    TransferDialogBase::showEvent(event);
}

// The bar runs to the file's length and a little beyond; the pace is taken in characters of the file.
void CDownload::ShowProgressRange(int low, int high) {
    TransferDialogBase::ShowProgressRange(low, high);
    time_->Progress(progress_->value(), high - kdm::kProgressOverhang);
}

void CDownload::ShowProgressPos(int position) {
    TransferDialogBase::ShowProgressPos(position);
    time_->Progress(position, progress_->maximum() - kdm::kProgressOverhang);
}

void CDownload::ShowWriteComplete() {
    progress_->setValue(progress_->maximum());
    time_->Finish();
}

QString CDownload::HeadingText() const {
    return heading_->text();
}

void CDownload::ShowBackingUp(bool backingUp) {
    ShowReading(backingUp, QCoreApplication::translate("Transfer", "Backing up the device..."));
}

void CDownload::ShowVerifying(bool verifying) {
    // What it asks for is under way, or over: changing it now would change nothing.
    verify_->setEnabled(false);
    if (verifying) {
        ShowReading(true, QCoreApplication::translate("Transfer", "Reading the device back to verify..."));
        return;
    }
    // The heading stays while the box says what the read-back found.
    reading_ = false;
    if (progress_->maximum() == 0) progress_->setRange(0, 1);
    progress_->setValue(progress_->maximum());
}

void CDownload::ShowReading(bool reading, const QString& heading) {
    reading_ = reading;
    heading_->setText(reading ? heading : QCoreApplication::translate("Transfer", "Data transfer active"));
    progress_->setRange(0, reading ? 0 : 100);
    progress_->setValue(0);
    // The write's time to go is judged by its own pace, not the read's.
    time_->Begin();
}

void CDownload::ShowCounts(const TransferCounts& counts) {
    if (!reading_) return;
    UiState::ReadSize last;
    const bool known = !counts.identification.isEmpty() && state_.LastReadSize(counts.identification, last);
    const ReadBar bar = ReadBarFor(counts, false, known, last);
    progress_->setRange(0, bar.maximum);
    progress_->setValue(bar.value);
    time_->Progress(counts.stored, bar.maximum);
}
