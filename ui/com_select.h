// CComSelect: the port dialog. Thirty radio buttons, "COM 1" to "COM 30" each with what the port stands
// for on a second line, of which only the ports that can be opened now are enabled; the choice is stored
// as the number ComNr under a key of its own, which the device search does not read. "Map a device..."
// points a port name at a detected adapter or any path (CMapDevice), through the same rules as
// `kdmxp-cli ports --map`. The dialog probes again when adapters are plugged or unplugged.
#pragma once

#include <QDialog>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/port_discovery.h"
#include "platform/posix_serial_port.h"

class PortWatch;
class QButtonGroup;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
namespace kdm {
class ISettingsStore;
class PortMap;
}  // namespace kdm

// The dialog's key: this prefix followed by the value name, holding a value of the same name.
inline constexpr std::string_view kSettingKeyPrefix = "Software\\Dorvik\\KDM7\\";
inline constexpr std::string_view kComNrName = "ComNr";

// The number stored under `name`: 0 when its key is missing, -1 when the value cannot be read (or has
// fewer than four bytes). The stored type is not looked at.
int ReadSettingNumber(kdm::ISettingsStore& settings, std::string_view name);
// Creates the key (volatile) if missing and writes a 32-bit number. 1 on success, 0 on failure.
int WriteSettingNumber(kdm::ISettingsStore& settings, std::string_view name, std::uint32_t number);
// True when the port can be opened right now; `probe` (may be null) says which device and why not.
bool CanOpenPort(const kdm::PortMap& map, const std::string& name, kdm::PortProbe* probe);

// Port names by index 0..29: "COM1".."COM9", then the device-namespace form "\\.\COM10".."\\.\COM30".
std::string PortNameOf(int index);
// Radio button ids by index 0..29.
inline constexpr std::array<int, 30> kPortButtonIds = {
    1034, 1035, 1036, 1037, 1038, 1039, 1040, 1041, 1042, 1043, 1044, 1045, 1046, 1047, 1048,
    1049, 1050, 1054, 1052, 1053, 1055, 1056, 1057, 1058, 1059, 1060, 1061, 1062, 1063, 1064};

class CComSelect final : public QDialog {
    Q_OBJECT
  public:
    // Probes every port and preselects; this takes a moment (each port is opened once or twice). The
    // map is written to only by "Map a device...".
    CComSelect(kdm::ISettingsStore& settings, kdm::PortMap& portMap, QWidget* parent);

    QButtonGroup* Buttons() const { return group_; }
    QRadioButton* ButtonOfPort(int port) const;  // 1..30
    QPushButton* MapButton() const { return mapButton_; }
    // Port number of the first selected button in port order, 0 when none is.
    int SelectedPort() const;
    // True when plugging and unplugging are followed (see PortWatch).
    bool FollowsDevices() const;

    // Probes every port again and relabels the buttons. The selection stays while its port can still be
    // opened; otherwise the first openable port is selected. Emits refreshed().
    void Refresh();
    // "Map a device...": runs CMapDevice; after a stored mapping the ports are probed again and the mapped
    // port is selected when it can be opened.
    void OnMapDevice();

    void accept() override;  // "OK"

  signals:
    // The buttons show what the ports stand for now (after a plug, an unplug or a mapping).
    void refreshed();

  private:
    void OnInitDialog();
    // Labels, tooltips and enabled state of every button; the index of the first openable port or -1.
    int ProbePorts();
    void ClearSelection();

    kdm::ISettingsStore& settings_;
    kdm::PortMap& portMap_;
    QButtonGroup* group_;
    QPushButton* mapButton_;
    PortWatch* watch_;
    std::array<QRadioButton*, 30> buttons_{};
};

// "Map a device...": a port name and a device path, the detected devices offered by their stable names.
// OK stores the mapping through the shared rules and stays open, saying why, when they refuse it.
class CMapDevice final : public QDialog {
    Q_OBJECT
  public:
    // `port` (1..30) is offered first.
    CMapDevice(kdm::PortMap& portMap, int port, QWidget* parent);

    QComboBox* PortBox() const { return portBox_; }
    QComboBox* DeviceBox() const { return deviceBox_; }  // editable: any path may be typed
    QLabel* Message() const { return message_; }
    // The port whose mapping was stored, 0 before.
    int MappedPort() const { return mappedPort_; }

    void accept() override;  // "OK"

  private:
    // What the path now entered leads to, or why it would be refused, or warned about.
    void UpdateMessage();
    std::string Path() const;
    std::string PortName() const;

    kdm::PortMap& portMap_;
    QComboBox* portBox_;
    QComboBox* deviceBox_;
    QLabel* message_;
    QPushButton* okButton_;
    int mappedPort_ = 0;
    // The devices detected when the dialog opened, and the port each had then (0: none).
    std::vector<kdm::DetectedPort> detected_;
    std::vector<int> namesNow_;
};

// "Port Auswahl" from either window: the dialog under the wait cursor while it probes, then modal.
void RunPortSelect(kdm::ISettingsStore& settings, kdm::PortMap& portMap, QWidget* parent);
