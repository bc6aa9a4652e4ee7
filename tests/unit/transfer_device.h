// Scripted devices and scratch directories for the transfer engine tests.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "link/telegram.h"
#include "support/fakes.h"

namespace kdmtest {

// Names parameterised cases after their `name` member.
struct CaseName {
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& param) const {
        return param.param.name;
    }
};

// The 14 characters of a telegram: `eleven` and its correct checksum.
inline std::string Tel(const std::string& eleven) {
    return eleven + kdm::ComputeChecksum(std::string(1, kdm::STX) + eleven);
}
inline std::string Frame(const std::string& fourteen) {
    return ScriptedPort::Frame(fourteen);
}
// A stored telegram record as the read writes it (annotation included, terminator excluded).
inline std::string Annotated(const std::string& fourteen) {
    std::string annotated;
    kdm::VerifyTelegram(Frame(fourteen), annotated);
    return annotated;
}

inline const std::string kIdTelegram = Tel("0g+K12000--");
inline const std::string kStatusOk = Tel("0F+000000--");
inline const std::string kEndTelegram = Tel("0g+K12000--");

// Telegrams of a small device: system parameters, then programs ('P' telegram and parameters).
struct DeviceData {
    std::vector<std::string> system;
    std::vector<std::string> programs;
};

// No 'g' (it ends a block) and no 'P' (it starts a program) among the parameter letters.
inline constexpr const char* kSystemLetters = "abcdefhijkmnoqrtuvwx";
inline constexpr const char* kProgramLetters = "ABCDEHIJKL";

inline DeviceData SmallDevice(int systemCount, int programCount, int perProgram) {
    DeviceData d;
    for (int i = 0; i < systemCount; ++i) {
        char eleven[16];
        std::snprintf(eleven, sizeof eleven, "0%c+%06d--", kSystemLetters[i % 20], 100 + i);
        d.system.push_back(Tel(eleven));
    }
    for (int p = 1; p <= programCount; ++p) {
        char eleven[16];
        std::snprintf(eleven, sizeof eleven, "0P+%06d--", p);
        d.programs.push_back(Tel(eleven));
        for (int i = 0; i < perProgram; ++i) {
            std::snprintf(eleven, sizeof eleven, "0%c-%06d--", kProgramLetters[i % 10], p * 10 + i);
            d.programs.push_back(Tel(eleven));
        }
    }
    return d;
}

inline std::string Frames(const std::vector<std::string>& telegrams) {
    std::string bytes;
    for (const auto& t : telegrams)
        bytes += Frame(t);
    return bytes;
}

// A device on COM1 answering the status request, and the two parameter requests with `data`.
inline void ScriptDevice(ScriptedPort& port, const DeviceData& data) {
    port.AddPort(1);
    port.Feed(1, Frame(kIdTelegram));
    port.OnWrite(1, std::string(kdm::GetRequestTelegram(kdm::kRequestStatus)), Frame(kStatusOk));
    port.OnWrite(1, std::string(kdm::GetRequestTelegram(kdm::kRequestSystem)),
                 Frames(data.system) + Frame(kEndTelegram));
    port.OnWrite(1, std::string(kdm::GetRequestTelegram(kdm::kRequestProgram)),
                 Frames(data.programs) + Frame(kEndTelegram));
}

// The bytes a complete read of `data` leaves in the temporary file.
inline std::string ExpectedDump(const DeviceData& data) {
    std::string text = std::string(1, kdm::STX) + kIdTelegram + "\r\n\r";
    for (const auto& t : data.system)
        text += Annotated(t) + "\r\n\r";
    for (const auto& t : data.programs)
        text += Annotated(t) + "\r\n\r";
    return text;
}

inline std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void Spit(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

class ScratchDir {
  public:
    ScratchDir() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern =
            std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/kdmxp-transfer-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

}  // namespace kdmtest
