// The faults a simulated device can be told to make, aimed by number.
//
// Numbering restarts with every open of the port: the telegrams the device sends are numbered from 1
// (identification telegrams included), the frames it receives from the tool separately, also from 1
// (requests and written frames alike). Every fault applies in every open/close cycle.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace kdmsim {

enum class LineFaultClass { kDrop, kFlip, kDup, kPause, kHangup };

// A damaged byte of one sent telegram: byte `offset` (0 = STX, 1..14 the characters, 15 = ETX) of
// telegram `telegram`.
struct LineFault {
    LineFaultClass kind = LineFaultClass::kDrop;
    int telegram = 0;
    int offset = 0;
};

inline constexpr int kPauseFaultMs = 150;
inline constexpr unsigned char kFlipMask = 0x01;

struct FaultPlan {
    std::set<int> badChecksum;        // sent telegrams whose checksum digits are wrong
    int silentAfter = -1;             // nothing is sent after this telegram (-1: never silent)
    int statusError = 0;              // error number of every status reply
    int ackErrorAll = 0;              // error number of every acknowledgement not named in ackErrorAt
    std::map<int, int> ackErrorAt;    // received frame -> error number of its acknowledgement
    std::set<int> noAck;              // received frames that get no 'F' answer
    std::set<int> nonFBeforeAck;      // received frames whose 'F' answer follows a telegram without 'F'
    std::map<int, int> garbageAfter;  // sent telegram -> garbage bytes (never STX) sent right after it
    std::vector<LineFault> lineFaults;
    // The answer to the system-parameter request never ends: the system telegrams go out again and
    // again, and the 'g' telegram that closes the block never comes (firmware stuck in its send loop).
    bool endless = false;

    bool Silenced(int telegram) const { return silentAfter >= 0 && telegram > silentAfter; }
};

// Parsers for the switch arguments; false with a reason for a malformed one.
bool ParseLineFault(const std::string& text, LineFault& fault, std::string& reason);  // CLASS@K:OFF
bool ParseAckError(const std::string& text, FaultPlan& plan, std::string& reason);    // N or N@K
bool ParseGarbage(const std::string& text, FaultPlan& plan, std::string& reason);     // K:N

}  // namespace kdmsim
