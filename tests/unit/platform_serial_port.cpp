#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>

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
    const kdm::Status opened = port.Open("COM3");
    ASSERT_TRUE(opened.Ok()) << opened.reason();
    EXPECT_TRUE(port.IsOpen());
    ASSERT_TRUE(port.ApplyLineSettings().Ok());

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
    const kdm::Result<std::size_t> put = port.Write(frame.data(), frame.size());
    ASSERT_TRUE(put.Ok()) << put.reason();
    EXPECT_EQ(put.value(), frame.size());
    EXPECT_EQ(rig.Drain(), frame);
    const std::string reply = "\x02\r\n\x7f\xff";
    ASSERT_EQ(write(rig.master, reply.data(), reply.size()), static_cast<ssize_t>(reply.size()));
    std::string got;
    for (std::size_t i = 0; i < reply.size(); ++i) {
        const kdm::Result<unsigned char> byte = port.ReadByte();
        ASSERT_TRUE(byte.Ok()) << byte.reason();
        got.push_back(static_cast<char>(byte.value()));
    }
    EXPECT_EQ(got, reply);
    // Then nothing: a silent read reports no byte.
    const kdm::Result<unsigned char> silent = port.ReadByte();
    EXPECT_EQ(silent.error(), kdm::kReadTimedOut);
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
    ASSERT_TRUE(port.Open("COM3").Ok());
    ASSERT_TRUE(port.ApplyLineSettings().Ok());
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
    ASSERT_TRUE(first.Open("COM3").Ok());
    const kdm::Status refused = second.Open("COM3");
    EXPECT_FALSE(refused.Ok());
    EXPECT_EQ(kdm::ProblemOfError(refused.error()), kdm::PortProblem::kBusy);
    EXPECT_NE(refused.reason().find(rig.dir / "COM3"), std::string::npos) << refused.reason();

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
    EXPECT_TRUE(second.Open("COM3").Ok());
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
        const kdm::Status opened = port.Open(c.name);
        EXPECT_FALSE(opened.Ok()) << c.name;
        EXPECT_EQ(kdm::ProblemOfError(opened.error()), c.problem) << c.name;
        EXPECT_EQ(opened.reason().rfind(std::string(c.name) + ": ", 0), 0u) << opened.reason();
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
    ASSERT_TRUE(port.Open("COM3").Ok());
    ASSERT_TRUE(port.ApplyLineSettings().Ok());
    rig.CloseMaster();
    for (int i = 0; i < 5; ++i) {
        rig.clock.sleeps.clear();
        const kdm::Result<unsigned char> got = port.ReadByte();
        EXPECT_FALSE(got.Ok());
        // Either the line is reported gone, or the read still cost its full 100 ms.
        if (kdm::ReadTimedOut(got)) {
            EXPECT_EQ(rig.clock.sleeps, std::vector<int>{100});
        }
    }
    port.Close();
    const kdm::Result<unsigned char> closed = port.ReadByte();  // nothing open: the line is gone
    EXPECT_FALSE(closed.Ok());
    EXPECT_FALSE(kdm::ReadTimedOut(closed));
    EXPECT_FALSE(port.Write("x", 1).Ok());
}

// Interrupts a call on another thread with a signal about every millisecond until it returns, the way a
// timer or a debugger's attach would. Returns whether the call ended while the signals still came (they
// stop after 30 s: a wait that starts again at every signal would never end before that).
template <class Call>
bool EndsWhileSignalled(Call call) {
    struct sigaction quiet {};
    quiet.sa_handler = [](int) {};
    sigemptyset(&quiet.sa_mask);
    quiet.sa_flags = 0;  // interrupted calls fail with EINTR rather than being restarted
    struct sigaction previous {};
    sigaction(SIGUSR1, &quiet, &previous);
    std::atomic<bool> done{false};
    std::thread caller([&] {
        call();
        done = true;
    });
    kdm::SystemClock clock;
    const std::int64_t giveUp = clock.NowMs() + 30000;
    while (!done && clock.NowMs() < giveUp) {
        pthread_kill(caller.native_handle(), SIGUSR1);
        const timespec pause{0, 1000000};
        nanosleep(&pause, nullptr);
    }
    const bool ended = done;
    caller.join();
    sigaction(SIGUSR1, &previous, nullptr);
    return ended;
}

TEST(PosixSerialPort, SignalsDoNotStretchTheWaitOfARead) {
    PtyRig rig;
    REQUIRE_PTY(rig);
    kdm::SystemClock clock;
    kdm::PosixSerialPort port(rig.map, clock);
    ASSERT_TRUE(port.Open("COM3").Ok());
    ASSERT_TRUE(port.ApplyLineSettings().Ok());
    kdm::Result<unsigned char> got = kdm::Failure(kdm::kErrorUnspecified, "not read");
    std::int64_t elapsed = 0;
    EXPECT_TRUE(EndsWhileSignalled([&] {
        const std::int64_t start = clock.NowMs();
        got = port.ReadByte();
        elapsed = clock.NowMs() - start;
    }));
    EXPECT_EQ(got.error(), kdm::kReadTimedOut) << got.reason();
    // Nor do they cut it short: a silent read takes its full time.
    EXPECT_GE(elapsed, 100);
}

// A test's sped-up clock (KDMXP_TIME_SCALE) shortens the real wait of a silent read, never the wait the
// program counts: the device's time-outs, made of these reads, keep their length in the program's time.
TEST(PosixSerialPort, OnASpedUpClockASilentReadCountsItsFullTimeInAFractionOfIt) {
    PtyRig rig;
    REQUIRE_PTY(rig);
    kdm::SystemClock clock(100);
    kdm::PosixSerialPort port(rig.map, clock);
    ASSERT_TRUE(port.Open("COM3").Ok());
    ASSERT_TRUE(port.ApplyLineSettings().Ok());
    constexpr int kReads = 10;
    const auto realStart = std::chrono::steady_clock::now();
    for (int i = 0; i < kReads; ++i) {
        const std::int64_t start = clock.NowMs();
        const kdm::Result<unsigned char> got = port.ReadByte();
        EXPECT_EQ(got.error(), kdm::kReadTimedOut) << got.reason();
        EXPECT_GE(clock.NowMs() - start, 100);
    }
    // About 10 ms; a read that waited real milliseconds would take a second in all.
    EXPECT_LT(std::chrono::steady_clock::now() - realStart, std::chrono::milliseconds(kReads * 100));

    // The line still carries bytes on that clock.
    ASSERT_EQ(write(rig.master, "Q", 1), 1);
    const kdm::Result<unsigned char> got = port.ReadByte();
    ASSERT_TRUE(got.Ok()) << got.reason();
    EXPECT_EQ(got.value(), 'Q');
}

TEST(PosixSerialPort, AWriteTheLineDoesNotTakeFailsAtItsDeadlineSignalsOrNot) {
    PtyRig rig;
    REQUIRE_PTY(rig);
    // Opened first: once the port holds the device, nobody else gets in.
    const int other = open(rig.slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(other, 0);
    kdm::SystemClock clock;
    kdm::PosixSerialPort port(rig.map, clock);
    ASSERT_TRUE(port.Open("COM3").Ok());
    ASSERT_TRUE(port.ApplyLineSettings().Ok());
    // The line's output is suspended (as by a flow-control stop), so it takes nothing.
    ASSERT_EQ(tcflow(other, TCOOFF), 0);

    const std::string frame = std::string("\x02") + "0F+000000--539" + "\x03";
    kdm::Result<std::size_t> put = kdm::Failure(kdm::kErrorUnspecified, "not written");
    std::int64_t elapsed = 0;
    EXPECT_TRUE(EndsWhileSignalled([&] {
        const std::int64_t start = clock.NowMs();
        put = port.Write(frame.data(), frame.size());
        elapsed = clock.NowMs() - start;
    }));
    EXPECT_EQ(put.error(), ETIMEDOUT) << put.reason();
    EXPECT_NE(put.reason().find("0 of 16 bytes written"), std::string::npos) << put.reason();
    // 100 ms and 10 ms a byte, from the start of the call.
    EXPECT_GE(elapsed, 260);

    // Resumed, the line takes the frame.
    ASSERT_EQ(tcflow(other, TCOON), 0);
    close(other);
    const kdm::Result<std::size_t> again = port.Write(frame.data(), frame.size());
    EXPECT_TRUE(again.Ok()) << again.reason();
    std::string arrived;
    char buffer[64];
    pollfd entry{rig.master, POLLIN, 0};
    while (arrived.size() < frame.size() && poll(&entry, 1, 10000) > 0) {
        const ssize_t n = read(rig.master, buffer, sizeof buffer);
        if (n <= 0) break;
        arrived.append(buffer, static_cast<std::size_t>(n));
    }
    EXPECT_EQ(arrived, frame);
}

TEST(PosixSerialPort, OpeningAgainReleasesThePreviousPort) {
    PtyRig rig;
    REQUIRE_PTY(rig);
    kdm::PosixSerialPort port(rig.map, rig.clock);
    ASSERT_TRUE(port.Open("COM3").Ok());
    ASSERT_TRUE(port.Open("COM3").Ok());
    port.Close();
    EXPECT_TRUE(kdm::PosixSerialPort::CanOpenPort(rig.map, "COM3", nullptr));
}

}  // namespace
