// Whole files as bytes, and a substring check, for tests that look at what the programs wrote.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

namespace kdmtest {

// The file's bytes; empty when it cannot be read.
inline std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Replaces the file with `bytes`.
inline void Spit(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace kdmtest
