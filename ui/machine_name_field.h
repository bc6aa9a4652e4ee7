// The optional "Machine" field of the read and write windows: the name the entry of the device history
// gets, so that devices that identify themselves alike stay apart. It completes from the names the
// history already holds. The name last used on a port is offered as a button once the device is found
// there, and used only when the user takes it: the next device on that port may be another machine.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

class QLineEdit;
class QPushButton;

class MachineNameField final : public QWidget {
    Q_OBJECT
  public:
    explicit MachineNameField(QWidget* parent);

    // The names in the history, for completion.
    void SetKnownNames(const QStringList& known);
    // The name as typed, without blanks around it; empty for none.
    QString Name() const;
    void SetName(const QString& name);
    // The device was found on `port`, where `name` was used last (empty: none). Offers it while the
    // field is empty.
    void Propose(const QString& port, const QString& name);
    // The offer shown, or empty.
    QString Proposal() const;
    // Takes the offer, as its button does.
    void TakeProposal();

  signals:
    void nameChanged(const QString& name);

  private:
    QLineEdit* edit_;
    QPushButton* proposal_;
    QString proposed_;
};
