// The port dialog against a temporary port directory (real pseudo-terminals, a missing entry, a
// regular file, a terminal held by someone else) and a temporary settings store; and against a machine
// laid out as sysfs and /dev trees, where it describes the devices, maps one by hand and follows an
// adapter being plugged in and pulled out.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>
#include <set>

#include "gui_support.h"
#include "link/link.h"
#include "platform/file_settings_store.h"
#include "platform/port_discovery.h"
#include "platform/port_map.h"
#include "support/fake_sysfs.h"
#include "support/fakes.h"
#include "ui/com_select.h"

namespace {

using guitest::ScopedEnv;

// One pseudo-terminal: the master side stays open so the slave path is a live terminal.
struct Pty {
    int master = -1;
    std::string slave;
    int holder = -1;  // an open, locked slave descriptor when "busy"
    ~Pty() {
        if (holder >= 0) ::close(holder);
        if (master >= 0) ::close(master);
    }
};

std::unique_ptr<Pty> OpenPty() {
    auto pty = std::make_unique<Pty>();
    pty->master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (pty->master < 0 || ::grantpt(pty->master) != 0 || ::unlockpt(pty->master) != 0) return nullptr;
    const char* name = ::ptsname(pty->master);
    if (name == nullptr) return nullptr;
    pty->slave = name;
    return pty;
}

// Ports: COM2, COM12, COM18, COM30 are free terminals; COM5 is a terminal another program holds;
// COM7 is a regular file; COM9 points nowhere; every other port has no entry.
class PortDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(portDir.isValid() && settingsDir.isValid());
        for (int port : {2, 5, 12, 18, 30}) {
            auto pty = OpenPty();
            if (!pty) GTEST_SKIP() << "no pseudo-terminals here";
            Link(port, pty->slave);
            ptys.push_back(std::move(pty));
        }
        // Held by another program: open and locked the way a serial program locks its port.
        Pty& busy = *ptys[1];
        busy.holder = ::open(busy.slave.c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(busy.holder, 0);
        ASSERT_EQ(::flock(busy.holder, LOCK_EX | LOCK_NB), 0);
        QFile regular(portDir.filePath(QStringLiteral("COM7")));
        ASSERT_TRUE(regular.open(QIODevice::WriteOnly));
        regular.write("not a terminal");
        regular.close();
        Link(9, portDir.filePath(QStringLiteral("gone")).toStdString());

        portEnv = std::make_unique<ScopedEnv>("KDMXP_PORT_DIR", portDir.path());
        settings = std::make_unique<kdm::FileSettingsStore>(
            settingsDir.filePath(QStringLiteral("lasting")).toStdString(),
            settingsDir.filePath(QStringLiteral("volatile")).toStdString());
        map = std::make_unique<kdm::PortMap>(settings.get());
    }

    void Link(int port, const std::string& target) {
        const std::string entry = portDir.filePath(QStringLiteral("COM%1").arg(port)).toStdString();
        ASSERT_EQ(::symlink(target.c_str(), entry.c_str()), 0);
    }

    void Store(std::uint32_t number) { ASSERT_EQ(WriteSettingNumber(*settings, "ComNr", number), 1); }

    QTemporaryDir portDir;
    QTemporaryDir settingsDir;
    std::vector<std::unique_ptr<Pty>> ptys;
    std::unique_ptr<ScopedEnv> portEnv;
    std::unique_ptr<kdm::FileSettingsStore> settings;
    std::unique_ptr<kdm::PortMap> map;
};

TEST_F(PortDialog, ButtonsCarryTheirIdsLabelsAndColumns) {
    CComSelect dialog(*settings, *map, nullptr);
    dialog.adjustSize();
    const int expectedIds[30] = {1034, 1035, 1036, 1037, 1038, 1039, 1040, 1041, 1042, 1043,
                                 1044, 1045, 1046, 1047, 1048, 1049, 1050, 1054, 1052, 1053,
                                 1055, 1056, 1057, 1058, 1059, 1060, 1061, 1062, 1063, 1064};
    std::set<int> ids;
    for (int port = 1; port <= 30; ++port) {
        QRadioButton* button = dialog.ButtonOfPort(port);
        ASSERT_NE(button, nullptr);
        // The name first, what it stands for below.
        const QStringList lines = button->text().split(QLatin1Char('\n'));
        ASSERT_EQ(lines.size(), 2) << button->text().toStdString();
        EXPECT_EQ(lines[0], QStringLiteral("COM %1").arg(port));
        EXPECT_FALSE(lines[1].isEmpty());
        EXPECT_EQ(dialog.Buttons()->id(button), expectedIds[port - 1]);
        EXPECT_EQ(button->objectName(), QStringLiteral("id%1").arg(expectedIds[port - 1]));
        ids.insert(dialog.Buttons()->id(button));
        // three columns of ten, top to bottom
        const QRadioButton* top = dialog.ButtonOfPort((port - 1) / 10 * 10 + 1);
        EXPECT_EQ(button->x(), top->x());
        if (port % 10 != 1) {
            EXPECT_GT(button->y(), dialog.ButtonOfPort(port - 1)->y());
        }
        if (port > 10) {
            EXPECT_GT(button->x(), dialog.ButtonOfPort(port - 10)->x());
        }
    }
    EXPECT_EQ(ids.size(), 30u);
    EXPECT_EQ(ids.count(1051), 0u);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Select Port"));
}

TEST_F(PortDialog, OnlyOpenablePortsAreEnabledAndEachTellsItsDevice) {
    CComSelect dialog(*settings, *map, nullptr);
    std::set<int> enabled;
    for (int port = 1; port <= 30; ++port) {
        if (dialog.ButtonOfPort(port)->isEnabled()) enabled.insert(port);
    }
    EXPECT_EQ(enabled, (std::set<int>{2, 12, 18, 30}));
    EXPECT_EQ(dialog.ButtonOfPort(2)->toolTip(), portDir.filePath(QStringLiteral("COM2")));
    EXPECT_TRUE(dialog.ButtonOfPort(5)->toolTip().contains(QStringLiteral("in use")))
        << dialog.ButtonOfPort(5)->toolTip().toStdString();
    EXPECT_TRUE(dialog.ButtonOfPort(7)->toolTip().contains(QStringLiteral("not a serial device")));
    EXPECT_TRUE(dialog.ButtonOfPort(9)->toolTip().startsWith(portDir.filePath(QStringLiteral("COM9"))));
    EXPECT_TRUE(dialog.ButtonOfPort(9)->toolTip().contains(QStringLiteral("does not exist")));

    // Below the name: where a directory entry leads, or that there is nothing.
    const auto lineOf = [&dialog](int port) { return dialog.ButtonOfPort(port)->text().section('\n', 1); };
    EXPECT_EQ(lineOf(2), QFileInfo(QString::fromStdString(ptys[0]->slave)).canonicalFilePath());
    EXPECT_EQ(lineOf(9), QStringLiteral("no device"));
    EXPECT_EQ(lineOf(3), QStringLiteral("no device"));

    // The directory decides where the names lead: nothing to map, and the reason is given.
    EXPECT_FALSE(dialog.MapButton()->isEnabled());
    EXPECT_TRUE(dialog.MapButton()->toolTip().contains(QStringLiteral("KDMXP_PORT_DIR is set")))
        << dialog.MapButton()->toolTip().toStdString();
}

struct PreselectCase {
    const char* name;
    long stored;  // -1: nothing stored
    int expectedPort;
};
const PreselectCase kPreselectCases[] = {
    {"nothing_stored", -1, 2},  {"stored_18_has_id_1054", 18, 18},
    {"stored_0", 0, 2},         {"stored_45", 45, 2},
    {"stored_busy_5", 5, 2},    {"stored_regular_file_7", 7, 2},
    {"stored_12", 12, 12},      {"stored_30", 30, 30},
    {"stored_missing_9", 9, 2},
};

class PortPreselection : public PortDialog, public ::testing::WithParamInterface<PreselectCase> {};

TEST_P(PortPreselection, SelectsTheStoredPortOrTheFirstOpenable) {
    const PreselectCase& c = GetParam();
    if (c.stored >= 0) Store(static_cast<std::uint32_t>(c.stored));
    CComSelect dialog(*settings, *map, nullptr);
    EXPECT_EQ(dialog.SelectedPort(), c.expectedPort);
    QAbstractButton* checked = dialog.Buttons()->checkedButton();
    ASSERT_NE(checked, nullptr);
    EXPECT_EQ(checked, dialog.ButtonOfPort(c.expectedPort));
    if (c.expectedPort == 18) {
        EXPECT_EQ(dialog.Buttons()->checkedId(), 1054);
    }
}

INSTANTIATE_TEST_SUITE_P(Stored, PortPreselection, ::testing::ValuesIn(kPreselectCases),
                         [](const ::testing::TestParamInfo<PreselectCase>& tp) {
                             return std::string(tp.param.name);
                         });

TEST_F(PortDialog, UnreadableStoredValueCountsAsAbsent) {
    const std::string key = std::string(kSettingKeyPrefix) + "ComNr";
    ASSERT_TRUE(settings->CreateKey(key, false));
    ASSERT_TRUE(settings->WriteValue(key, "ComNr", kdm::TextValue("1")));  // fewer than four bytes
    EXPECT_EQ(ReadSettingNumber(*settings, "ComNr"), -1);
    CComSelect dialog(*settings, *map, nullptr);
    EXPECT_EQ(dialog.SelectedPort(), 2);
}

TEST_F(PortDialog, OkStoresTheSelectedPortAsA32BitNumberUnderItsOwnKey) {
    CComSelect dialog(*settings, *map, nullptr);
    dialog.ButtonOfPort(12)->setChecked(true);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    kdm::StoredValue value;
    ASSERT_TRUE(settings->ReadValue("Software\\Dorvik\\KDM7\\ComNr", "ComNr", value));
    EXPECT_EQ(value.type, kdm::ValueType::kNumber);
    EXPECT_EQ(value.bytes, std::string("\x0c\x00\x00\x00", 4));
    EXPECT_EQ(ReadSettingNumber(*settings, "ComNr"), 12);
    // The device search's own value is a different one and stays untouched.
    EXPECT_FALSE(settings->KeyExists(kdm::kSearchKey));
}

TEST_F(PortDialog, CancelStoresNothing) {
    Store(18);
    {
        CComSelect dialog(*settings, *map, nullptr);
        dialog.ButtonOfPort(12)->setChecked(true);
        guitest::PressKey(&dialog, Qt::Key_Escape);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    EXPECT_EQ(ReadSettingNumber(*settings, "ComNr"), 18);
}

TEST_F(PortDialog, CancelWithNothingStoredCreatesNoKey) {
    CComSelect dialog(*settings, *map, nullptr);
    dialog.reject();
    EXPECT_FALSE(settings->KeyExists("Software\\Dorvik\\KDM7\\ComNr"));
}

TEST(PortDialogEmpty, NoOpenablePortSelectsNothingAndOkStoresNothing) {
    QTemporaryDir portDir;
    QTemporaryDir settingsDir;
    ScopedEnv env("KDMXP_PORT_DIR", portDir.path());
    kdm::FileSettingsStore settings(settingsDir.filePath(QStringLiteral("l")).toStdString(),
                                    settingsDir.filePath(QStringLiteral("v")).toStdString());
    kdm::PortMap map(&settings);
    CComSelect dialog(settings, map, nullptr);
    for (int port = 1; port <= 30; ++port)
        EXPECT_FALSE(dialog.ButtonOfPort(port)->isEnabled()) << port;
    EXPECT_EQ(dialog.Buttons()->checkedButton(), nullptr);
    dialog.accept();
    EXPECT_FALSE(settings.KeyExists("Software\\Dorvik\\KDM7\\ComNr"));
}

// A machine with a built-in port (COM1), three phantom UARTs and an FTDI adapter (COM2), each device
// node leading to a pseudo-terminal; discovery reads the trees, settings a store of the test's own.
class PortDialogDevices : public ::testing::Test {
  protected:
    static constexpr const char* kFtdiById = "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";

    void SetUp() override {
        ASSERT_TRUE(root.isValid() && settingsDir.isValid());
        system = std::make_unique<kdmtest::FakeSerialSystem>(root.path().toStdString());
        system->AddVirtualTerminals(8);
        system->AddPnpUart(0, 4);
        for (int n = 1; n <= 3; ++n)
            system->AddPlatformUart(n, 0);
        kdmtest::FakeUsbAdapter ftdi;
        ftdi.manufacturer = "FTDI";
        ftdi.product = "FT232R USB UART";
        ftdi.serial = "A50285BI";
        system->AddUsbSerial(ftdi);
        system->AddByIdLink(kFtdiById, "ttyUSB0");
        for (const char* tty : {"ttyS0", "ttyUSB0"})
            ASSERT_TRUE(Node(tty));

        env.push_back(std::make_unique<ScopedEnv>("KDMXP_PORT_DIR", QString()));
        env.push_back(
            std::make_unique<ScopedEnv>("KDMXP_SYSFS_ROOT", QString::fromStdString(system->SysfsRoot())));
        env.push_back(
            std::make_unique<ScopedEnv>("KDMXP_DEV_ROOT", QString::fromStdString(system->DevRoot())));
        settings = std::make_unique<kdm::FileSettingsStore>(
            settingsDir.filePath(QStringLiteral("lasting")).toStdString(),
            settingsDir.filePath(QStringLiteral("volatile")).toStdString());
        map = std::make_unique<kdm::PortMap>(settings.get(), &discovery);
    }

    // dev/<tty> leading to a new pseudo-terminal.
    bool Node(const std::string& tty) {
        auto pty = OpenPty();
        if (!pty) return false;
        system->AddDeviceNode(tty, pty->slave);
        ptys.push_back(std::move(pty));
        return true;
    }

    std::string Dev(const std::string& name) const { return system->DevRoot() + "/" + name; }

    static QString LineOf(const CComSelect& dialog, int port) {
        return dialog.ButtonOfPort(port)->text().section(QLatin1Char('\n'), 1);
    }

    QTemporaryDir root;
    QTemporaryDir settingsDir;
    std::unique_ptr<kdmtest::FakeSerialSystem> system;
    std::vector<std::unique_ptr<Pty>> ptys;
    std::vector<std::unique_ptr<ScopedEnv>> env;
    std::unique_ptr<kdm::FileSettingsStore> settings;
    kdm::SysfsPortDiscovery discovery;
    std::unique_ptr<kdm::PortMap> map;
};

TEST_F(PortDialogDevices, EachButtonSaysWhatThePortIs) {
    CComSelect dialog(*settings, *map, nullptr);
    EXPECT_EQ(dialog.ButtonOfPort(1)->text(), QStringLiteral("COM 1\nbuilt-in serial port (16550A)"));
    EXPECT_EQ(dialog.ButtonOfPort(2)->text(), QStringLiteral("COM 2\nFTDI FT232R USB UART, serial A50285BI"));
    EXPECT_TRUE(dialog.ButtonOfPort(1)->isEnabled());
    EXPECT_TRUE(dialog.ButtonOfPort(2)->isEnabled());
    // The adapter's by-id name, which follows it into any socket, is in its tooltip.
    EXPECT_TRUE(dialog.ButtonOfPort(2)->toolTip().contains(QString::fromLatin1(kFtdiById)))
        << dialog.ButtonOfPort(2)->toolTip().toStdString();
    // Phantom UARTs hold no name.
    for (int port = 3; port <= 30; ++port) {
        EXPECT_EQ(LineOf(dialog, port), QStringLiteral("no device")) << port;
        EXPECT_FALSE(dialog.ButtonOfPort(port)->isEnabled()) << port;
    }
    EXPECT_TRUE(dialog.MapButton()->isEnabled());
    EXPECT_EQ(dialog.SelectedPort(), 1);
}

TEST_F(PortDialogDevices, MapsADetectedDeviceAndAnyPathThroughTheCommandLinesRules) {
    CComSelect dialog(*settings, *map, nullptr);
    const std::string byId = Dev(std::string("serial/by-id/") + kFtdiById);
    const std::string absent = Dev("ttyUSB7");
    bool offered = false;
    bool refusedStayedOpen = false;
    QString refusal;
    QString described;
    QString warning;
    int step = 0;
    guitest::ModalWatcher watcher([&](QWidget* window, int) {
        auto* mapDialog = qobject_cast<CMapDevice*>(window);
        if (mapDialog == nullptr) return guitest::Reject(window);
        if (step++ == 0) {
            // The adapter on COM5, by the name that follows it; first a relative path, as a slip.
            offered = mapDialog->DeviceBox()->findText(QString::fromStdString(byId)) >= 0;
            mapDialog->PortBox()->setCurrentIndex(4);
            mapDialog->DeviceBox()->setEditText(QStringLiteral("dev/ttyUSB0"));
            refusal = mapDialog->Message()->text();
            mapDialog->accept();
            refusedStayedOpen = mapDialog->isVisible() && mapDialog->MappedPort() == 0;
            mapDialog->DeviceBox()->setEditText(QString::fromStdString(byId));
            described = mapDialog->Message()->text();
        } else {
            // COM6 to an adapter not plugged in yet: stored, with the warning.
            mapDialog->PortBox()->setCurrentIndex(5);
            mapDialog->DeviceBox()->setEditText(QString::fromStdString(absent));
            warning = mapDialog->Message()->text();
        }
        mapDialog->accept();
    });

    dialog.MapButton()->click();
    EXPECT_TRUE(offered);
    EXPECT_TRUE(refusal.startsWith(QStringLiteral("Not an absolute path: dev/ttyUSB0")))
        << refusal.toStdString();
    EXPECT_TRUE(refusedStayedOpen);
    EXPECT_EQ(described, QStringLiteral("FTDI FT232R USB UART, serial A50285BI (now COM2)"));
    // Stored where the command line stores it, and shown at once: the adapter moved from COM2 to COM5.
    EXPECT_EQ(map->DevicePathOf("COM5"), byId);
    EXPECT_EQ(LineOf(dialog, 5), QStringLiteral("FTDI FT232R USB UART, serial A50285BI (mapped)"));
    EXPECT_TRUE(dialog.ButtonOfPort(5)->isEnabled());
    EXPECT_EQ(dialog.SelectedPort(), 5);
    EXPECT_EQ(LineOf(dialog, 2), QStringLiteral("no device"));
    EXPECT_FALSE(dialog.ButtonOfPort(2)->isEnabled());

    dialog.MapButton()->click();
    EXPECT_EQ(warning, QStringLiteral("Warning: %1 does not exist; COM6 leads nowhere until it does.")
                           .arg(QString::fromStdString(absent)));
    EXPECT_EQ(map->DevicePathOf("COM6"), absent);
    EXPECT_EQ(LineOf(dialog, 6), QString::fromStdString(absent) + QStringLiteral(" (mapped)"));
    EXPECT_FALSE(dialog.ButtonOfPort(6)->isEnabled());
    EXPECT_EQ(dialog.SelectedPort(), 5);  // the port mapped here cannot be opened: the choice stays
    ASSERT_EQ(watcher.seen.size(), 2u);
    EXPECT_EQ(watcher.seen[0].className, QStringLiteral("CMapDevice"));
    // Mapping is not choosing: nothing is stored until OK.
    EXPECT_FALSE(settings->KeyExists("Software\\Dorvik\\KDM7\\ComNr"));
}

TEST_F(PortDialogDevices, AnEmptyPathGivesThePortBackToItsDefault) {
    ASSERT_TRUE(map->SetMapping(7, Dev("ttyUSB0")));
    CComSelect dialog(*settings, *map, nullptr);
    EXPECT_EQ(LineOf(dialog, 7), QStringLiteral("FTDI FT232R USB UART, serial A50285BI (mapped)"));
    QString before;
    QString message;
    guitest::ModalWatcher watcher([&](QWidget* window, int) {
        auto* mapDialog = qobject_cast<CMapDevice*>(window);
        if (mapDialog == nullptr) return guitest::Reject(window);
        mapDialog->PortBox()->setCurrentIndex(6);
        before = mapDialog->DeviceBox()->currentText();
        mapDialog->DeviceBox()->setEditText(QString());
        message = mapDialog->Message()->text();
        mapDialog->accept();
    });
    dialog.ButtonOfPort(7)->setChecked(true);
    dialog.OnMapDevice();
    // It opened on the selected port, showing where that leads now.
    EXPECT_EQ(before, QString::fromStdString(Dev("ttyUSB0")));
    EXPECT_EQ(message, QStringLiteral("COM7 goes back to its default."));
    EXPECT_EQ(LineOf(dialog, 7), QStringLiteral("no device"));
    EXPECT_EQ(LineOf(dialog, 2), QStringLiteral("FTDI FT232R USB UART, serial A50285BI"));
    EXPECT_EQ(dialog.SelectedPort(), 1);  // COM7 leads nowhere now
}

TEST_F(PortDialogDevices, FollowsAnAdapterPluggedInAndPulledOut) {
    CComSelect dialog(*settings, *map, nullptr);
    if (!dialog.FollowsDevices()) GTEST_SKIP() << "no inotify here";
    QSignalSpy refreshed(&dialog, &CComSelect::refreshed);

    kdmtest::FakeUsbAdapter acm;
    acm.tty = "ttyACM0";
    acm.usbPath = "1-3";
    acm.vendorId = "2341";
    acm.productId = "0043";
    acm.manufacturer = "Arduino";
    acm.product = "Arduino Uno";
    acm.serial = "75633313133";
    acm.driver = "cdc_acm";
    system->AddAcm(acm);
    ASSERT_TRUE(Node("ttyACM0"));
    system->AddByIdLink("usb-Arduino_Arduino_Uno_75633313133-if00", "ttyACM0");
    ASSERT_TRUE(refreshed.wait(20000)) << "no refresh after plugging in";
    EXPECT_EQ(LineOf(dialog, 3), QStringLiteral("Arduino Uno, serial 75633313133"));
    EXPECT_TRUE(dialog.ButtonOfPort(3)->isEnabled());
    EXPECT_EQ(dialog.SelectedPort(), 1);  // a plug does not change the choice

    dialog.ButtonOfPort(3)->setChecked(true);
    refreshed.clear();
    system->Remove("ttyACM0");
    ASSERT_TRUE(refreshed.wait(20000)) << "no refresh after pulling out";
    EXPECT_EQ(LineOf(dialog, 3), QStringLiteral("no device"));
    EXPECT_FALSE(dialog.ButtonOfPort(3)->isEnabled());
    EXPECT_EQ(dialog.SelectedPort(), 1);  // the chosen port went: the first openable one instead
}

// The stored-number functions on their own, over the in-memory store.
TEST(SettingNumbers, ReadAndWriteFollowTheKeyLayout) {
    kdmtest::MemorySettingsStore store;
    EXPECT_EQ(ReadSettingNumber(store, "ComNr"), 0);  // key missing
    ASSERT_EQ(WriteSettingNumber(store, "ComNr", 27), 1);
    const auto key = store.keys.find("Software\\Dorvik\\KDM7\\ComNr");
    ASSERT_NE(key, store.keys.end());
    EXPECT_TRUE(key->second.isVolatile);  // created by the write
    EXPECT_EQ(ReadSettingNumber(store, "ComNr"), 27);

    // The stored type is not examined: four text bytes read as a number.
    key->second.values["ComNr"] = kdm::TextValue(std::string("\x05\x00\x00\x00", 4));
    EXPECT_EQ(ReadSettingNumber(store, "ComNr"), 5);
    key->second.values.erase("ComNr");
    EXPECT_EQ(ReadSettingNumber(store, "ComNr"), -1);  // key there, value not

    // An existing lasting key stays lasting.
    store.keys["Software\\Dorvik\\KDM7\\Other"].isVolatile = false;
    ASSERT_EQ(WriteSettingNumber(store, "Other", 3), 1);
    EXPECT_FALSE(store.keys["Software\\Dorvik\\KDM7\\Other"].isVolatile);

    store.failWrites = true;
    EXPECT_EQ(WriteSettingNumber(store, "ComNr", 4), 0);
}

TEST(SettingNumbers, PortNamesUseTheDeviceNamespaceFromTen) {
    EXPECT_EQ(PortNameOf(0), "COM1");
    EXPECT_EQ(PortNameOf(8), "COM9");
    EXPECT_EQ(PortNameOf(9), "\\\\.\\COM10");
    EXPECT_EQ(PortNameOf(29), "\\\\.\\COM30");
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(kdm::PortNumberOfName(PortNameOf(i)), i + 1);
}

}  // namespace
