#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/posix_serial_port.h"
#include "platform_temp.h"
#include "support/fakes.h"

namespace {

namespace fs = std::filesystem;
using platformtest::ScopedEnv;
using platformtest::TempDir;

// A pseudo-terminal pair; the slave is published as COM3 in a port directory.
struct PtyRig {
    TempDir dir;
    ScopedEnv env{"KDMXP_PORT_DIR", dir.path()};
    kdm::PortMap map{nullptr};
    kdmtest::FakeClock clock;
    int master = -1;
    std::string slave;

    PtyRig() {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return;
        slave = ptsname(master);
        fs::create_symlink(slave, dir / "COM3");
    }
    ~PtyRig() { CloseMaster(); }
    bool Ready() const { return master >= 0 && !slave.empty(); }
    void CloseMaster() {
        if (master >= 0) close(master);
        master = -1;
    }
    // Everything the master side has received within `ms` milliseconds.
    std::string Drain(int ms = 200) const {
        std::string got;
        char buffer[64];
        pollfd entry{master, POLLIN, 0};
        while (poll(&entry, 1, ms) > 0) {
            const ssize_t n = read(master, buffer, sizeof buffer);
            if (n <= 0) break;
            got.append(buffer, static_cast<std::size_t>(n));
        }
        return got;
    }
};

#define REQUIRE_PTY(rig) \
    if (!(rig).Ready()) GTEST_SKIP() << "no pseudo-terminals here"

TEST(PosixSerialPort, OpensConfiguresReadsAndWrites) {
    PtyRig rig;
    REQUIRE_PTY(rig);
    // Opened first: once the port holds the device, nobody else gets in.
    const int probe = open(rig.slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(probe, 0);
    kdm::PosixSerialPort port(rig.map, rig.clock);
    ASSERT_TRUE(port.Open("COM3")) << static_cast<int>(port.LastProblem().problem);
    EXPECT_TRUE(port.IsOpen());
    ASSERT_TRUE(port.ApplyLineSettings());

    // The settings arrive on the device itself.
    termios t{};
    ASSERT_EQ(tcgetattr(probe, &t), 0);
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B4800));
    EXPECT_EQ(cfgetispeed(&t), static_cast<speed_t>(B4800));
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 1);
    close(probe);

    // Bytes pass unchanged both ways, control characters included.
    const std::string frame = std::string("\x02") + "0F+000000--539\r\n\x03";
    EXPECT_EQ(port.Write(frame.data(), frame.size()), static_cast<long>(frame.size()));
    EXPECT_EQ(rig.Drain(), frame);
    const std::string reply = "\x02\r\n\x7f\xff";
    ASSERT_EQ(write(rig.master, reply.data(), reply.size()), static_cast<ssize_t>(reply.size()));
    std::string got;
    unsigned char byte = 0;
    for (std::size_t i = 0; i < reply.size(); ++i) {
        ASSERT_EQ(port.ReadByte(byte), 1);
        got.push_back(static_cast<char>(byte));
    }
    EXPECT_EQ(got, reply);
    // Then nothing: a silent read reports no byte.
    EXPECT_EQ(port.ReadByte(byte), 0);
}

TEST(PosixSerialPort, CloseRestoresTheSettingsItFound) {
    PtyRig rig;
    REQUIRE_PTY(rig);
    const int probe = open(rig.slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(probe, 0);
    termios before{};
    ASSERT_EQ(tcgetattr(probe, &before), 0);
    ASSERT_NE(before.c_lflag & ICANON, 0u);  // a fresh terminal is line-oriented

    kdm::PosixSerialPort port(rig.map, rig.clock);
    ASSERT_TRUE(port.Open("COM3"));
    ASSERT_TRUE(port.ApplyLineSettings());
    port.Close();
    EXPECT_FALSE(port.IsOpen());
    port.Close();  // harmless a second time

    termios after{};
    ASSERT_EQ(tcgetattr(probe, &after), 0);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(cfgetospeed(&after), cfgetospeed(&before));
    close(probe);
}

TEST(PosixSerialPort, ASecondOpenIsRefusedWhileTheFirstHoldsThePort) {
    PtyRig rig;
    REQUIRE_PTY(rig);
    kdm::PosixSerialPort first(rig.map, rig.clock);
    kdm::PosixSerialPort second(rig.map, rig.clock);
    ASSERT_TRUE(first.Open("COM3"));
    EXPECT_FALSE(second.Open("COM3"));
    EXPECT_EQ(second.LastProblem().problem, kdm::PortProblem::kBusy);
    EXPECT_EQ(second.LastProblem().devicePath, rig.dir / "COM3");

    kdm::PortProbe probe;
    EXPECT_FALSE(kdm::PosixSerialPort::CanOpenPort(rig.map, "COM3", &probe));
    EXPECT_EQ(probe.problem, kdm::PortProblem::kBusy);
    // Programs that do not lock are kept out too (root is exempt from exclusive terminals).
    if (geteuid() != 0) {
        const int plain = open(rig.slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        EXPECT_LT(plain, 0);
        EXPECT_EQ(errno, EBUSY);
        if (plain >= 0) close(plain);
    }

    first.Close();
    EXPECT_TRUE(kdm::PosixSerialPort::CanOpenPort(rig.map, "COM3", &probe));
    EXPECT_EQ(probe.problem, kdm::PortProblem::kNone);
    // The probe let go of the port again.
    EXPECT_TRUE(second.Open("COM3"));
}

TEST(PosixSerialPort, ReasonsWhyAPortCannotBeOpened) {
    PtyRig rig;
    REQUIRE_PTY(rig);
    platformtest::WriteFile(rig.dir / "COM4", "not a terminal");
    fs::create_directory(rig.dir / "COM5");
    fs::create_symlink("/dev/null", rig.dir / "COM6");  // a character device, but no terminal

    struct Case {
        const char* name;
        kdm::PortProblem problem;
    };
    const Case cases[] = {
        {"COM4", kdm::PortProblem::kNotCharacterDevice},
        {"COM5", kdm::PortProblem::kNotCharacterDevice},
        {"COM6", kdm::PortProblem::kOther},
        {"COM7", kdm::PortProblem::kMissing},
        {"COM31", kdm::PortProblem::kNotMapped},
        {"LPT1", kdm::PortProblem::kNotMapped},
    };
    for (const Case& c : cases) {
        kdm::PortProbe probe;
        EXPECT_FALSE(kdm::PosixSerialPort::CanOpenPort(rig.map, c.name, &probe)) << c.name;
        EXPECT_EQ(probe.problem, c.problem) << c.name;
        kdm::PosixSerialPort port(rig.map, rig.clock);
        EXPECT_FALSE(port.Open(c.name)) << c.name;
        EXPECT_EQ(port.LastProblem().problem, c.problem) << c.name;
        EXPECT_FALSE(port.IsOpen());
    }
    kdm::PortProbe missing;
    kdm::PosixSerialPort::CanOpenPort(rig.map, "COM7", &missing);
    EXPECT_EQ(missing.systemError, ENOENT);
    EXPECT_EQ(missing.devicePath, rig.dir / "COM7");
}

TEST(PosixSerialPort, PermissionProblemsNameTheDevicesGroup) {
    PtyRig rig;
    REQUIRE_PTY(rig);
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not apply to root";
    ASSERT_EQ(chmod(rig.slave.c_str(), 0), 0);
    kdm::PortProbe probe;
    EXPECT_FALSE(kdm::PosixSerialPort::CanOpenPort(rig.map, "COM3", &probe));
    EXPECT_EQ(probe.problem, kdm::PortProblem::kPermission);
    EXPECT_FALSE(probe.groupName.empty());
}

TEST(PosixSerialPort, ReadsAfterTheOtherEndHungUpDoNotSpin) {
    PtyRig rig;
    REQUIRE_PTY(rig);
    kdm::PosixSerialPort port(rig.map, rig.clock);
    ASSERT_TRUE(port.Open("COM3"));
    ASSERT_TRUE(port.ApplyLineSettings());
    rig.CloseMaster();
    for (int i = 0; i < 5; ++i) {
        rig.clock.sleeps.clear();
        unsigned char byte = 0;
        const int got = port.ReadByte(byte);
        // Either the line is reported gone, or the read still cost its full 100 ms.
        if (got != -1) {
            EXPECT_EQ(got, 0);
            EXPECT_EQ(rig.clock.sleeps, std::vector<int>{100});
        }
    }
    port.Close();
    unsigned char byte = 0;
    EXPECT_EQ(port.ReadByte(byte), -1);  // nothing open
    EXPECT_EQ(port.Write("x", 1), 0);
}

TEST(PosixSerialPort, OpeningAgainReleasesThePreviousPort) {
    PtyRig rig;
    REQUIRE_PTY(rig);
    kdm::PosixSerialPort port(rig.map, rig.clock);
    ASSERT_TRUE(port.Open("COM3"));
    ASSERT_TRUE(port.Open("COM3"));
    port.Close();
    EXPECT_TRUE(kdm::PosixSerialPort::CanOpenPort(rig.map, "COM3", nullptr));
}

}  // namespace
