#include "ui/machine_name_field.h"

#include <QCompleter>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/history.h"

MachineNameField::MachineNameField(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("machineNameField"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(QCoreApplication::translate("Transfer", "&Machine:"), this);
    edit_ = new QLineEdit(this);
    edit_->setObjectName(QStringLiteral("machineName"));
    edit_->setPlaceholderText(QCoreApplication::translate("Transfer", "optional, e.g. Press 7"));
    edit_->setMaxLength(static_cast<int>(kdm::kMaxMachineNameBytes / 2));
    edit_->setToolTip(QCoreApplication::translate(
        "Transfer",
        "The machine's name in the device history: it tells apart devices that identify "
        "themselves alike"));
    label->setBuddy(edit_);
    proposal_ = new QPushButton(this);
    proposal_->setObjectName(QStringLiteral("machineNameProposal"));
    proposal_->setAutoDefault(false);
    proposal_->hide();
    layout->addWidget(label);
    layout->addWidget(edit_, 1);
    layout->addWidget(proposal_);
    connect(proposal_, &QPushButton::clicked, this, &MachineNameField::TakeProposal);
    connect(edit_, &QLineEdit::textChanged, this, [this] {
        if (!edit_->text().isEmpty()) proposal_->hide();
        emit nameChanged(Name());
    });
}

void MachineNameField::SetKnownNames(const QStringList& known) {
    auto* completer = new QCompleter(known, edit_);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setFilterMode(Qt::MatchContains);
    edit_->setCompleter(completer);
}

QString MachineNameField::Name() const {
    return edit_->text().trimmed();
}

void MachineNameField::SetName(const QString& name) {
    edit_->setText(name);
}

void MachineNameField::Propose(const QString& port, const QString& name) {
    proposed_ = name;
    if (name.isEmpty() || !edit_->text().isEmpty()) {
        proposal_->hide();
        return;
    }
    proposal_->setText(QCoreApplication::translate("Transfer", "Use \"%1\"").arg(name));
    proposal_->setToolTip(
        QCoreApplication::translate("Transfer", "The machine last read or written on %1").arg(port));
    proposal_->show();
}

QString MachineNameField::Proposal() const {
    return proposal_->isHidden() ? QString() : proposed_;
}

void MachineNameField::TakeProposal() {
    if (proposed_.isEmpty()) return;
    edit_->setText(proposed_);
    proposal_->hide();
}
