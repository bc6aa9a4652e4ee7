// CComSelect: the port dialog. Thirty radio buttons "COM 1" to "COM 30" of which only the ports that can
// be opened now are enabled; the choice is stored as the number ComNr under a key of its own, which
// the device search does not read.
#pragma once

#include <QDialog>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/posix_serial_port.h"

class CKDM_XPApp;
class QButtonGroup;
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
    // Probes every port and preselects; this takes a moment (each port is opened once or twice).
    CComSelect(kdm::ISettingsStore& settings, const kdm::PortMap& portMap, QWidget* parent);

    QButtonGroup* Buttons() const { return group_; }
    QRadioButton* ButtonOfPort(int port) const;  // 1..30
    // Port number of the first selected button in port order, 0 when none is.
    int SelectedPort() const;

    void accept() override;  // "OK"

  private:
    void OnInitDialog();

    kdm::ISettingsStore& settings_;
    const kdm::PortMap& portMap_;
    QButtonGroup* group_;
    std::array<QRadioButton*, 30> buttons_{};
};

// "Port Auswahl" from either window: the dialog under the wait cursor while it probes, then modal.
void RunPortSelect(CKDM_XPApp& app, QWidget* parent);
