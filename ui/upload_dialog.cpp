#include "ui/upload_dialog.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "transfer/observer.h"
#include "ui/pictures.h"

CUpload::CUpload(CKDM_XPApp& app, QWidget* parent)
    : TransferDialogBase(app, TransferWorker::Job::kRead, parent) {
    setObjectName(QStringLiteral("CUpload"));
    setWindowTitle(QStringLiteral("Read data from Dorvik-device"));
    setWindowIcon(AppIcon());

    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto* layout = new QGridLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setHorizontalSpacing(12);

    layout->addWidget(new QLabel(QStringLiteral("Reading parameter:"), this), 0, 0, 1, 3);
    QLabel* raw = AddControl(kdm::kCtlReadingParameter, true);
    raw->setFont(fixed);
    raw->setMinimumWidth(QFontMetrics(fixed).horizontalAdvance(QString(34, QChar('0'))));
    layout->addWidget(raw, 1, 0, 1, 3);

    layout->addWidget(new QLabel(QStringLiteral("Parameter no:"), this), 2, 0);
    layout->addWidget(new QLabel(QStringLiteral("Program no."), this), 2, 1, Qt::AlignRight);
    QLabel* program = AddControl(kdm::kCtlProgramNo, true);
    program->setFont(fixed);
    program->setMinimumWidth(QFontMetrics(fixed).horizontalAdvance(QStringLiteral("000000")));
    layout->addWidget(program, 2, 2);
    QLabel* counter = AddControl(kdm::kCtlParameterNo, true);
    counter->setMinimumWidth(QFontMetrics(font()).horizontalAdvance(QStringLiteral("000000")));
    layout->addWidget(counter, 3, 0, Qt::AlignLeft);

    statusLine_ = AddControl(kdm::kCtlStatusLine, true);
    statusLine_->setMinimumHeight(statusLine_->sizeHint().height() + 6);
    layout->addWidget(statusLine_, 4, 0, 1, 3);
    layout->setRowMinimumHeight(4, 32);

    // Present for the keyboard only (Enter, Esc).
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("id1"));
    ok->setDefault(true);
    ok->hide();
    connect(ok, &QPushButton::clicked, this, &CUpload::OnOK);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("id2"));
    cancel->hide();
    connect(cancel, &QPushButton::clicked, this, &CUpload::OnCancel);
}
