// What the link is waiting for, told to whoever shows progress, and the bounds of the waits that must not
// last long.
//
// Every exchange waits for the device in one-byte reads of at most 100 ms. A user watching a window that
// does not change for seconds cannot tell a slow device from a dead cable, so once a wait has lasted
// about 2 s of silence the link says what it waits for, and again each further second, until the wait
// is over.
#pragma once

#include <string>

namespace kdm {

enum class WaitKind {
    kIdentification,   // a device identifying itself on a port of the search
    kStatusReply,      // the answer to the status request
    kAcknowledgement,  // the answer to a written frame
    kTelegram,         // the next telegram of a read
};

struct WaitNotice {
    WaitKind kind = WaitKind::kTelegram;
    // Silence so far, in whole seconds (2 or more); 0 when a wait that was announced is over.
    int seconds = 0;
    std::string port;  // the port waited on ("COM3", or a device path)
};

// What one silent one-byte read costs: the port's read time-out.
inline constexpr int kSilentReadMs = 100;
// Silent one-byte reads before a wait is announced, and between two announcements.
inline constexpr int kWaitNoticeReads = 20;
inline constexpr int kWaitNoticeStepReads = 10;

// After the identification, the status reply is awaited for at most this much silence in all (one-byte
// reads that brought nothing), however the receives fall: a device that identifies itself and then stays
// silent has a transmit wire that does not reach it, and waiting longer only keeps the user guessing.
inline constexpr int kStatusSilentReadLimit = 30;
// ... and at most this many reads in all, for a device that keeps talking without ever answering
// (about 4 s of bytes at 4800 baud).
inline constexpr int kStatusReadLimit = 2000;

// "Waiting for the device's status reply (3 s)"; empty for the end of a wait.
std::string DescribeWait(const WaitNotice& notice);

// Added below the search's message when a device identified itself but its status reply never came.
inline constexpr const char* kNoStatusReplyText =
    "The device answers but does not reply to requests: check the transmit wire of the cable";

}  // namespace kdm
