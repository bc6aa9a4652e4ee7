// kdmxp-sim: a Q4400 device on a pseudo-terminal, for training, for trying the tool without hardware,
// and as the peer of the integration tests.
#include <signal.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "data/catalogue.h"
#include "sim/conversation.h"
#include "sim/faults.h"
#include "sim/line.h"
#include "sim/parameter_set.h"
#include "sim/traffic_log.h"

namespace {

constexpr const char* kFooter = R"(How the device behaves:
  Once a program opens the port, the device sends its identification telegram ('g', device code at
  positions 3 to 5) by itself, and again every 2 s until the first frame arrives. It answers
  "0F+000000--539" with an 'F' telegram (error digits at positions 7 and 8), "0s+000000--584" with its
  system telegrams and a 'g' telegram, "0D+000000--537" with a 'P' telegram plus parameters per
  program and a 'g' telegram, and every other frame (a written telegram) with an 'F' acknowledgement.
  Frames written after a status request replace the parameter set in the order received (system
  telegrams until the first 'P' telegram, then the programs), so a later read returns what was written.
  When the program closes the port the device starts over with the next open.

Numbering used by the fault switches:
  Telegrams SENT are numbered from 1 with each open of the port, identification telegrams included.
  Frames RECEIVED (requests and written frames alike) are numbered separately, also from 1 per open.
  Byte offsets count within the 16-byte frame: 0 = STX, 1 to 14 = the characters, 15 = ETX.
  Every fault applies in every open/close cycle. --log shows the numbers (tx#K, rx#K).

Line faults (--fault CLASS@K:OFFSET, may be repeated):
  drop    byte OFFSET of sent telegram K is not sent
  flip    byte OFFSET is sent with its lowest bit inverted (an ETX becomes an STX, '4' becomes '5')
  dup     byte OFFSET is sent twice
  pause   the line stays quiet for 150 ms before byte OFFSET
  hangup  the line is hung up instead of sending byte OFFSET

A hang-up (--hangup-after-byte or the hangup fault) closes the pseudo-terminal and removes the port
name, as an unplugged adapter would; the simulator then exits with status 3.

Exit status: 0 after SIGTERM/SIGINT/SIGHUP or --once, 1 when it cannot start, 2 for a bad command line,
3 after a hang-up.)";

// Stop signals only interrupt the wait of the line; the handler itself has nothing to do.
void Interrupt(int) {}

}  // namespace

int main(int argc, char** argv) {
    using kdmsim::kExitError;
    using kdmsim::kExitUsage;

    CLI::App app{
        "kdmxp-sim: a simulated Q4400 sheet-detection device on a pseudo-terminal, published as a\n"
        "port COMn in a port directory, so that kdmxp-cli and the desktop program can search, read\n"
        "and write it without hardware.",
        "kdmxp-sim"};
    app.set_version_flag("--version", std::string("kdmxp-sim ") + KDMXP_VERSION);
    app.footer(kFooter);

    kdmsim::LineOptions line;
    const char* envPortDir = std::getenv("KDMXP_PORT_DIR");
    if (envPortDir != nullptr) line.portDirectory = envPortDir;
    int type = 0;
    std::string code;
    int programs = 3;
    std::uint64_t seed = 1;
    std::string loadPath;
    std::string logPath;
    kdmsim::FaultPlan plan;
    std::vector<int> badChecksum;
    std::vector<int> noAck;
    std::vector<int> nonFBeforeAck;
    std::vector<std::string> ackErrors;
    std::vector<std::string> garbage;
    std::vector<std::string> faults;

    app.add_option("--port-dir", line.portDirectory,
                   "Directory in which the port is published as the symbolic link COMn (default: "
                   "$KDMXP_PORT_DIR); created when missing");
    app.add_option("--com", line.portNumber, "Port number n of the name COMn")
        ->check(CLI::Range(1, 30))
        ->capture_default_str();
    app.add_option("--ready-file", line.readyFile,
                   "Also write the ready line into this file (it appears whole, by rename)");
    std::vector<int> types(kdm::KnownDeviceTypes().begin(), kdm::KnownDeviceTypes().end());
    auto* typeOption = app.add_option("--type", type,
                                      "Device type; the device code is a typical one of "
                                      "the type (type 2: I1P). Default 2")
                           ->check(CLI::IsMember(types));
    auto* codeOption =
        app.add_option("--code", code, "Device code of three characters (telegram positions 3 to 5)")
            ->check([](const std::string& text) -> std::string {
                if (text.size() != 3) return "a device code has three characters";
                for (char c : text) {
                    if (c < 0x21 || c > 0x7E) return "a device code is printable ASCII without blanks";
                }
                return {};
            });
    auto* programsOption = app.add_option("--programs", programs, "Number of programs")
                               ->check(CLI::Range(0, kdmsim::kMaxPrograms))
                               ->capture_default_str();
    auto* seedOption = app.add_option("--seed", seed, "Seed of the parameter values (same seed, same device)")
                           ->capture_default_str();
    auto* loadOption =
        app.add_option("--load", loadPath, "Take the parameter set from a data file (.KDM) instead")
            ->check(CLI::ExistingFile);
    loadOption->excludes(typeOption)->excludes(codeOption)->excludes(programsOption)->excludes(seedOption);
    typeOption->excludes(codeOption);
    app.add_option("--save", line.savePath,
                   "Save the parameter set as a data file whenever a write ends and at exit (atomic)");
    app.add_option("--baud", line.baud, "Line rate for pacing (8N1: ten bits a byte)")
        ->check(CLI::Range(50, 4000000))
        ->capture_default_str();
    bool noPacing = false;
    app.add_flag("--no-pacing", noPacing, "Send as fast as the pseudo-terminal takes it");
    app.add_option("--log", logPath, "Write a readable log of the line traffic to this file");
    app.add_flag("--once", line.once, "Serve a single open/close cycle of the port, then exit 0");

    auto* faultGroup = app.add_option_group("Fault injection", "Aimed by the numbering described below");
    faultGroup->add_option("--bad-checksum", badChecksum, "Sent telegram K carries a wrong checksum")
        ->check(CLI::PositiveNumber)
        ->type_name("K");
    faultGroup
        ->add_option("--silent-after", plan.silentAfter, "Nothing is sent after telegram K (0: nothing)")
        ->check(CLI::NonNegativeNumber)
        ->type_name("K");
    faultGroup->add_option("--status-error", plan.statusError, "Every status reply carries error number N")
        ->check(CLI::Range(0, 99))
        ->type_name("N");
    faultGroup
        ->add_option("--ack-error", ackErrors,
                     "The acknowledgement of written frame K (received frame number), or of every written "
                     "frame, carries error number N")
        ->type_name("N[@K]");
    faultGroup
        ->add_option("--no-ack", noAck,
                     "Received frame K (a written frame or a status request) gets no 'F' answer")
        ->check(CLI::PositiveNumber)
        ->type_name("K");
    faultGroup
        ->add_option("--non-f-before-ack", nonFBeforeAck,
                     "The 'F' answer to received frame K follows a telegram without 'F'")
        ->check(CLI::PositiveNumber)
        ->type_name("K");
    faultGroup
        ->add_option(
            "--garbage-after", garbage,
            "N bytes of garbage (never an STX) right after sent telegram K (K 0: right after the open)")
        ->type_name("K:N");
    faultGroup
        ->add_option("--hangup-after-byte", line.hangupAfterByte,
                     "Hang the line up once N bytes were sent since the open")
        ->check(CLI::NonNegativeNumber)
        ->type_name("N");
    faultGroup->add_flag("--endless", plan.endless,
                         "The answer to the system-parameter request never ends: the system telegrams are "
                         "sent over and over, without the closing 'g' telegram");
    faultGroup->add_option("--fault", faults, "Line fault, see below; may be repeated")
        ->type_name("CLASS@K:OFFSET");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : kExitUsage;
    }
    line.pacing = !noPacing;

    std::string reason;
    auto usage = [&reason]() {
        std::fprintf(stderr, "kdmxp-sim: %s\n", reason.c_str());
        return kExitUsage;
    };
    plan.badChecksum.insert(badChecksum.begin(), badChecksum.end());
    plan.noAck.insert(noAck.begin(), noAck.end());
    plan.nonFBeforeAck.insert(nonFBeforeAck.begin(), nonFBeforeAck.end());
    for (const std::string& text : ackErrors) {
        if (!kdmsim::ParseAckError(text, plan, reason)) return usage();
    }
    for (const std::string& text : garbage) {
        if (!kdmsim::ParseGarbage(text, plan, reason)) return usage();
    }
    for (const std::string& text : faults) {
        kdmsim::LineFault fault;
        if (!kdmsim::ParseLineFault(text, fault, reason)) return usage();
        plan.lineFaults.push_back(fault);
    }
    if (line.portDirectory.empty()) {
        reason = "no port directory: give --port-dir or set KDMXP_PORT_DIR";
        return usage();
    }

    kdmsim::ParameterSet set;
    if (!loadPath.empty()) {
        if (!kdmsim::LoadParameterSet(loadPath, set, reason)) {
            std::fprintf(stderr, "kdmxp-sim: %s\n", reason.c_str());
            return kExitError;
        }
    } else {
        if (code.empty()) code = kdmsim::DeviceCodeOfType(type != 0 ? type : 2);
        set = kdmsim::GenerateParameterSet(code, programs, seed);
    }

    // Stop signals stay blocked except while the line waits, so none slips between checks.
    struct sigaction action {};
    action.sa_handler = Interrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGHUP);
    sigset_t waitMask;
    sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
    sigdelset(&waitMask, SIGTERM);
    sigdelset(&waitMask, SIGINT);
    sigdelset(&waitMask, SIGHUP);

    kdmsim::TrafficLog log;
    if (!logPath.empty() && !log.Open(logPath, kdmsim::MonotonicNs(), reason)) {
        std::fprintf(stderr, "kdmxp-sim: %s\n", reason.c_str());
        return kExitError;
    }
    kdmsim::Conversation conversation(set, plan, seed);
    conversation.SetFrameLogger([&log](const std::string& label, std::string_view bytes) {
        log.Bytes(kdmsim::MonotonicNs(), label, bytes);
    });
    kdmsim::Line simulator(set, conversation, log, line);
    if (!simulator.Start(reason)) {
        std::fprintf(stderr, "kdmxp-sim: %s\n", reason.c_str());
        return kExitError;
    }
    return simulator.Run(waitMask);
}
