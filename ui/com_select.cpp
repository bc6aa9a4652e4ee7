#include "ui/com_select.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cstring>

#include "data/strings.h"
#include "platform/port_map.h"
#include "platform/settings_store.h"
#include "ui/app.h"
#include "ui/pictures.h"

namespace {

std::string KeyOf(std::string_view name) {
    std::string key(kSettingKeyPrefix);
    key += name;
    return key;
}

QString ReasonOf(const kdm::PortProbe& probe) {
    switch (probe.problem) {
        case kdm::PortProblem::kNone:
            return QString();
        case kdm::PortProblem::kNotMapped:
            return QStringLiteral("no device is assigned to this port");
        case kdm::PortProblem::kMissing:
            return QStringLiteral("the device does not exist");
        case kdm::PortProblem::kNotCharacterDevice:
            return QStringLiteral("not a serial device");
        case kdm::PortProblem::kBusy:
            return QStringLiteral("in use by another program");
        case kdm::PortProblem::kPermission:
            return probe.groupName.empty()
                       ? QStringLiteral("no permission")
                       : QStringLiteral("no permission (members of group \"%1\" may use it)")
                             .arg(QString::fromLocal8Bit(probe.groupName.c_str()));
        case kdm::PortProblem::kOther:
            break;
    }
    return probe.systemError != 0 ? QString::fromLocal8Bit(std::strerror(probe.systemError))
                                  : QStringLiteral("cannot be opened");
}

}  // namespace

int ReadSettingNumber(kdm::ISettingsStore& settings, std::string_view name) {
    const std::string key = KeyOf(name);
    if (!settings.KeyExists(key)) return 0;
    kdm::StoredValue value;
    std::uint32_t number = 0;
    if (!settings.ReadValue(key, name, value) || !kdm::NumberOf(value, number)) return -1;
    return static_cast<int>(static_cast<std::int32_t>(number));
}

int WriteSettingNumber(kdm::ISettingsStore& settings, std::string_view name, std::uint32_t number) {
    const std::string key = KeyOf(name);
    if (!settings.CreateKey(key, true)) return 0;
    return settings.WriteValue(key, name, kdm::NumberValue(number)) ? 1 : 0;
}

bool CanOpenPort(const kdm::PortMap& map, const std::string& name, kdm::PortProbe* probe) {
    return kdm::PosixSerialPort::CanOpenPort(map, name, probe);
}

std::string PortNameOf(int index) {
    const int port = index + 1;
    return port < 10 ? "COM" + std::to_string(port) : "\\\\.\\COM" + std::to_string(port);
}

CComSelect::CComSelect(kdm::ISettingsStore& settings, const kdm::PortMap& portMap, QWidget* parent)
    : QDialog(parent), settings_(settings), portMap_(portMap), group_(new QButtonGroup(this)) {
    setObjectName(QStringLiteral("CComSelect"));
    setWindowTitle(QStringLiteral("Port Auswahl"));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(24);
    for (int i = 0; i < 30; ++i) {
        auto* button = new QRadioButton(QStringLiteral("COM %1").arg(i + 1), this);
        const int id = kPortButtonIds[static_cast<std::size_t>(i)];
        button->setObjectName(QStringLiteral("id%1").arg(id));
        group_->addButton(button, id);
        buttons_[static_cast<std::size_t>(i)] = button;
        grid->addWidget(button, i % 10, i / 10);
    }
    layout->addLayout(grid);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    box->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("id1"));
    box->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("id2"));
    connect(box, &QDialogButtonBox::accepted, this, &CComSelect::accept);
    connect(box, &QDialogButtonBox::rejected, this, &CComSelect::reject);
    layout->addWidget(box);
    OnInitDialog();
}

QRadioButton* CComSelect::ButtonOfPort(int port) const {
    if (port < 1 || port > 30) return nullptr;
    return buttons_[static_cast<std::size_t>(port - 1)];
}

void CComSelect::OnInitDialog() {
    int stored = ReadSettingNumber(settings_, kComNrName);

    // No button selected to begin with; an exclusive group cannot uncheck its last button.
    group_->setExclusive(false);
    for (QRadioButton* button : buttons_)
        button->setChecked(false);
    group_->setExclusive(true);

    int firstOpenable = -1;
    for (int i = 0; i < 30; ++i) {
        QRadioButton* button = buttons_[static_cast<std::size_t>(i)];
        kdm::PortProbe probe;
        const bool openable = CanOpenPort(portMap_, PortNameOf(i), &probe);
        button->setEnabled(openable);
        const QString device = probe.devicePath.empty() ? QStringLiteral("(no device)")
                                                        : QString::fromLocal8Bit(probe.devicePath.c_str());
        button->setToolTip(openable ? device : device + QStringLiteral(": ") + ReasonOf(probe));
        if (openable && firstOpenable < 0) firstOpenable = i;
    }

    if (stored < 1 || stored > 30) stored = firstOpenable + 1;
    // The stored port is probed again (it may have gone since the loop above); a button disabled above
    // stays unselectable even if its port came free in between.
    if (stored >= 1 && buttons_[static_cast<std::size_t>(stored - 1)]->isEnabled() &&
        CanOpenPort(portMap_, PortNameOf(stored - 1), nullptr)) {
        buttons_[static_cast<std::size_t>(stored - 1)]->setChecked(true);
    } else if (firstOpenable >= 0) {
        buttons_[static_cast<std::size_t>(firstOpenable)]->setChecked(true);
    }
    // With no openable port at all nothing is selected, and OK stores nothing.

    setWindowIcon(AppIcon());
    const std::string_view title = kdm::LoadString(kdm::sid::kSelectPort);
    setWindowTitle(QString::fromLatin1(title.data(), static_cast<qsizetype>(title.size())));
}

int CComSelect::SelectedPort() const {
    for (int i = 0; i < 30; ++i) {
        if (buttons_[static_cast<std::size_t>(i)]->isChecked()) return i + 1;
    }
    return 0;
}

void CComSelect::accept() {
    const int port = SelectedPort();
    if (port != 0) {
        // A failed write is not reported: the dialog closes as usual.
        (void)WriteSettingNumber(settings_, kComNrName, static_cast<std::uint32_t>(port));
    }
    QDialog::accept();
}

void RunPortSelect(CKDM_XPApp& app, QWidget* parent) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    CComSelect dialog(app.settings, app.portMap, parent);
    QApplication::restoreOverrideCursor();
    dialog.exec();
}
