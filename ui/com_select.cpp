#include "ui/com_select.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cstring>
#include <vector>

#include "data/strings.h"
#include "platform/port_map.h"
#include "platform/port_mapping.h"
#include "platform/settings_store.h"
#include "ui/language.h"
#include "ui/pictures.h"
#include "ui/port_watch.h"

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
            return QCoreApplication::translate("Ports", "no device is assigned to this port");
        case kdm::PortProblem::kMissing:
            return QCoreApplication::translate("Ports", "the device does not exist");
        case kdm::PortProblem::kNotCharacterDevice:
            return QCoreApplication::translate("Ports", "not a serial device");
        case kdm::PortProblem::kBusy:
            return QCoreApplication::translate("Ports", "in use by another program");
        case kdm::PortProblem::kPermission:
            return probe.groupName.empty()
                       ? QCoreApplication::translate("Ports", "no permission")
                       : QCoreApplication::translate("Ports",
                                                     "no permission (members of group \"%1\" may use it)")
                             .arg(QString::fromLocal8Bit(probe.groupName.c_str()));
        case kdm::PortProblem::kOther:
            break;
    }
    return probe.systemError != 0 ? QString::fromLocal8Bit(std::strerror(probe.systemError))
                                  : QCoreApplication::translate("Ports", "cannot be opened");
}

QString Local(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

// The second line of a port's button: what the port stands for, in words when the device is known.
QString DeviceLine(const kdm::PortAssignment& entry, const kdm::PortProbe& probe) {
    if (entry.detected) return Local(kdm::DescribePort(entry.port));
    if (entry.devicePath.empty() ||
        (entry.source != kdm::PortSource::kUserMapping && probe.problem == kdm::PortProblem::kMissing)) {
        return QCoreApplication::translate("Ports", "no device");
    }
    // A port directory's entries are links; where they lead says more than their own names.
    const QFileInfo info(Local(entry.devicePath));
    return info.isSymLink() && info.exists() ? info.canonicalFilePath() : info.filePath();
}

// Where a detected device is best named: its by-id link follows it into any socket.
std::string StablePath(const kdm::DetectedPort& port) {
    return port.byIdPath.empty() ? port.devicePath : port.byIdPath;
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

CComSelect::CComSelect(kdm::ISettingsStore& settings, kdm::PortMap& portMap, QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      portMap_(portMap),
      group_(new QButtonGroup(this)),
      mapButton_(nullptr),
      watch_(new PortWatch(this)) {
    setObjectName(QStringLiteral("CComSelect"));
    setWindowTitle(QCoreApplication::translate("Ports", "Port Auswahl"));
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
    // Apart from OK and Cancel, at the left: it opens a dialog of its own and closes nothing.
    mapButton_ = new QPushButton(QCoreApplication::translate("Ports", "&Map a device..."), this);
    mapButton_->setAutoDefault(false);
    mapButton_->setObjectName(QStringLiteral("mapDevice"));
    // With KDMXP_PORT_DIR set the directory decides; the reason is the one the command line gives.
    const kdm::MappingResult allowed = kdm::CheckMapping(portMap_, "COM1", std::string());
    if (allowed.problem != kdm::MappingProblem::kNone) {
        mapButton_->setEnabled(false);
        mapButton_->setToolTip(Local(kdm::MappingProblemText(allowed, "COM1", std::string())));
    }
    connect(mapButton_, &QPushButton::clicked, this, &CComSelect::OnMapDevice);
    connect(box, &QDialogButtonBox::accepted, this, &CComSelect::accept);
    connect(box, &QDialogButtonBox::rejected, this, &CComSelect::reject);
    connect(watch_, &PortWatch::Changed, this, &CComSelect::Refresh);
    auto* row = new QHBoxLayout;
    row->addWidget(mapButton_);
    row->addStretch(1);
    row->addWidget(box);
    layout->addLayout(row);
    OnInitDialog();
}

QRadioButton* CComSelect::ButtonOfPort(int port) const {
    if (port < 1 || port > 30) return nullptr;
    return buttons_[static_cast<std::size_t>(port - 1)];
}

bool CComSelect::FollowsDevices() const {
    return watch_->IsWatching();
}

void CComSelect::ClearSelection() {
    // An exclusive group cannot uncheck its last button.
    group_->setExclusive(false);
    for (QRadioButton* button : buttons_)
        button->setChecked(false);
    group_->setExclusive(true);
}

int CComSelect::ProbePorts() {
    // One table for all thirty: each name's path and what is behind it come from the same look at the
    // machine, even while an adapter is being plugged in.
    const kdm::PortTable table = portMap_.Table();
    const QFontMetrics metrics(font());
    const int lineWidth = metrics.averageCharWidth() * 56;
    int firstOpenable = -1;
    for (int i = 0; i < 30; ++i) {
        QRadioButton* button = buttons_[static_cast<std::size_t>(i)];
        const kdm::PortAssignment& entry = table.names[static_cast<std::size_t>(i)];
        kdm::PortProbe probe;
        const bool openable = kdm::PosixSerialPort::CanOpenPath(entry.devicePath, &probe);
        button->setEnabled(openable);
        const QString device = probe.devicePath.empty() ? QCoreApplication::translate("Ports", "(no device)")
                                                        : Local(probe.devicePath);
        QString tip = openable ? device : device + QStringLiteral(": ") + ReasonOf(probe);
        const QString line = DeviceLine(entry, probe);
        if (entry.detected) {
            tip += QLatin1Char('\n') + line;
            if (!entry.port.byIdPath.empty() && entry.port.byIdPath != entry.devicePath) {
                tip += QLatin1Char('\n') + Local(entry.port.byIdPath);
            }
        }
        button->setToolTip(tip);
        // The name stays the first line; a long description is cut, the tooltip has it whole.
        QString shown = metrics.elidedText(line, Qt::ElideRight, lineWidth);
        if (entry.source == kdm::PortSource::kUserMapping)
            shown += QCoreApplication::translate("Ports", " (mapped)");
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        button->setText(QStringLiteral("COM %1\n").arg(i + 1) + shown);
        if (openable && firstOpenable < 0) firstOpenable = i;
    }
    return firstOpenable;
}

void CComSelect::OnInitDialog() {
    int stored = ReadSettingNumber(settings_, kComNrName);

    // No button selected to begin with.
    ClearSelection();
    const int firstOpenable = ProbePorts();

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
    setWindowTitle(ui_language::Text(kdm::sid::kSelectPort));
}

void CComSelect::Refresh() {
    const int selected = SelectedPort();
    ClearSelection();
    const int firstOpenable = ProbePorts();
    if (selected != 0 && buttons_[static_cast<std::size_t>(selected - 1)]->isEnabled()) {
        buttons_[static_cast<std::size_t>(selected - 1)]->setChecked(true);
    } else if (firstOpenable >= 0) {
        buttons_[static_cast<std::size_t>(firstOpenable)]->setChecked(true);
    }
    emit refreshed();
}

void CComSelect::OnMapDevice() {
    const int selected = SelectedPort();
    CMapDevice dialog(portMap_, selected != 0 ? selected : 1, this);
    if (dialog.exec() != QDialog::Accepted || dialog.MappedPort() == 0) return;
    Refresh();
    QRadioButton* mapped = buttons_[static_cast<std::size_t>(dialog.MappedPort() - 1)];
    if (mapped->isEnabled()) mapped->setChecked(true);
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

CMapDevice::CMapDevice(kdm::PortMap& portMap, int port, QWidget* parent)
    : QDialog(parent),
      portMap_(portMap),
      portBox_(new QComboBox(this)),
      deviceBox_(new QComboBox(this)),
      message_(new QLabel(this)),
      okButton_(nullptr) {
    setObjectName(QStringLiteral("CMapDevice"));
    setWindowTitle(QCoreApplication::translate("Ports", "Map a Device"));
    setWindowIcon(AppIcon());
    for (int n = 1; n <= kdm::kMaxPortNumber; ++n)
        portBox_->addItem(QStringLiteral("COM %1").arg(n), n);
    portBox_->setCurrentIndex(port >= 1 && port <= kdm::kMaxPortNumber ? port - 1 : 0);

    // The devices the machine has, named and unnamed, each by the path that keeps finding it.
    deviceBox_->setEditable(true);
    deviceBox_->setInsertPolicy(QComboBox::NoInsert);
    // USB adapters first: they are what a name is usually given to by hand.
    const kdm::PortTable table = portMap_.Table();
    for (const bool usb : {true, false}) {
        for (const kdm::PortAssignment& entry : table.names) {
            if (entry.detected && (entry.port.kind == kdm::PortKind::kUsb) == usb) {
                detected_.push_back(entry.port);
                namesNow_.push_back(entry.number);
            }
        }
        for (const kdm::DetectedPort& unnamed : table.unnamed) {
            if ((unnamed.kind == kdm::PortKind::kUsb) == usb) {
                detected_.push_back(unnamed);
                namesNow_.push_back(0);
            }
        }
    }
    for (const kdm::DetectedPort& device : detected_) {
        const QString path = Local(StablePath(device));
        if (deviceBox_->findText(path) >= 0) continue;
        deviceBox_->addItem(path);
        deviceBox_->setItemData(deviceBox_->count() - 1, Local(kdm::DescribePort(device)), Qt::ToolTipRole);
    }
    deviceBox_->setMinimumContentsLength(40);
    deviceBox_->lineEdit()->setPlaceholderText(QStringLiteral("/dev/ttyUSB0"));
    // Start from what the port leads to when it is mapped already, so OK alone changes nothing.
    const kdm::PortAssignment& entry = table.names[static_cast<std::size_t>(portBox_->currentIndex())];
    if (entry.source == kdm::PortSource::kUserMapping) {
        deviceBox_->setEditText(Local(entry.devicePath));
    } else if (deviceBox_->count() > 0) {
        deviceBox_->setCurrentIndex(0);
    }

    message_->setObjectName(QStringLiteral("message"));
    message_->setWordWrap(true);
    message_->setTextFormat(Qt::PlainText);
    message_->setMinimumHeight(QFontMetrics(font()).lineSpacing() * 2);

    auto* form = new QFormLayout;
    auto* portLabel = new QLabel(QCoreApplication::translate("Ports", "&Port:"), this);
    portLabel->setBuddy(portBox_);
    auto* deviceLabel = new QLabel(QCoreApplication::translate("Ports", "&Device:"), this);
    deviceLabel->setBuddy(deviceBox_);
    form->addRow(portLabel, portBox_);
    form->addRow(deviceLabel, deviceBox_);
    auto* hint =
        new QLabel(QCoreApplication::translate(
                       "Ports",
                       "Choose a detected device or type the whole path of any device. An empty device gives "
                       "the port back to its default."),
                   this);
    hint->setWordWrap(true);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    okButton_ = box->button(QDialogButtonBox::Ok);
    connect(box, &QDialogButtonBox::accepted, this, &CMapDevice::accept);
    connect(box, &QDialogButtonBox::rejected, this, &CMapDevice::reject);
    connect(portBox_, &QComboBox::currentIndexChanged, this, &CMapDevice::UpdateMessage);
    connect(deviceBox_, &QComboBox::editTextChanged, this, &CMapDevice::UpdateMessage);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(message_);
    layout->addWidget(hint);
    layout->addWidget(box);
    UpdateMessage();
}

std::string CMapDevice::Path() const {
    const QByteArray path = deviceBox_->currentText().trimmed().toLocal8Bit();
    return std::string(path.constData(), static_cast<std::size_t>(path.size()));
}

std::string CMapDevice::PortName() const {
    return "COM" + std::to_string(portBox_->currentData().toInt());
}

void CMapDevice::UpdateMessage() {
    const std::string path = Path();
    const std::string name = PortName();
    const kdm::MappingResult check = kdm::CheckMapping(portMap_, name, path);
    okButton_->setEnabled(check.problem == kdm::MappingProblem::kNone);
    if (check.problem != kdm::MappingProblem::kNone) {
        message_->setText(Local(kdm::MappingProblemText(check, name, path)));
    } else if (check.warning != kdm::MappingWarning::kNone) {
        message_->setText(QCoreApplication::translate("Ports", "Warning: ") +
                          Local(kdm::MappingWarningText(check, path)));
    } else if (path.empty()) {
        message_->setText(
            QCoreApplication::translate("Ports", "COM%1 goes back to its default.").arg(check.portNumber));
    } else {
        const kdm::DetectedPort* found = kdm::FindDetectedPort(detected_, path);
        if (found == nullptr) {
            message_->setText(QCoreApplication::translate("Ports", "A device that was not detected."));
            return;
        }
        QString text = Local(kdm::DescribePort(*found));
        const int now = namesNow_[static_cast<std::size_t>(found - detected_.data())];
        if (now != 0 && now != check.portNumber)
            text += QCoreApplication::translate("Ports", " (now COM%1)").arg(now);
        message_->setText(text);
    }
}

void CMapDevice::accept() {
    const std::string path = Path();
    const std::string name = PortName();
    const kdm::MappingResult result = kdm::StoreMapping(portMap_, name, path);
    if (!result.stored) {
        // Refused or not written: the dialog stays, saying why, so the user can correct the path.
        message_->setText(Local(kdm::MappingProblemText(result, name, path)));
        return;
    }
    mappedPort_ = result.portNumber;
    QDialog::accept();
}

void RunPortSelect(kdm::ISettingsStore& settings, kdm::PortMap& portMap, QWidget* parent) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    CComSelect dialog(settings, portMap, parent);
    QApplication::restoreOverrideCursor();
    dialog.exec();
}
