// Telegrams as the tests of the simulated device send and check them.
#pragma once

#include <string>

#include "link/telegram.h"

namespace simtest {

// The status request a search sends first.
inline const std::string kStatus = "0F+000000--539";

// A telegram with the checksum its first eleven characters call for.
inline std::string Telegram(const std::string& eleven) {
    return eleven + kdm::ComputeChecksum(std::string(1, kdm::STX) + eleven);
}

inline bool ChecksumMatches(const std::string& frame) {
    std::string annotated;
    return kdm::VerifyTelegram(frame, annotated) == 1;
}

}  // namespace simtest
