// Builds parameter dumps the way a read stores them: an identification record, then one annotated
// telegram record per parameter, each followed by CR LF CR. Header-only so that benchmarks and the fuzz
// seed generator can use it without the test support library.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "files/data_file.h"
#include "link/telegram.h"

namespace kdmtest {

// The 14 telegram characters: address '0', `letter`, the 9-character value field and its checksum.
inline std::string TelegramChars(char letter, std::string_view value) {
    std::string text = "\x02";
    text += '0';
    text += letter;
    text += value;
    return text.substr(1) + kdm::ComputeChecksum(text);
}

// A 9-character value "+" + six digits + "--", distinct for each `n` below one million.
inline std::string Value(int n) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "+%06d--", n % 1000000);
    return buffer;
}

class DumpBuilder {
  public:
    // The identification record of a device whose code (telegram positions 3 to 5) is `code`.
    explicit DumpBuilder(std::string_view code) {
        std::string value = "+";
        value += code;
        value += "000--";
        text_ = std::string(1, kdm::STX);
        text_ += TelegramChars('g', value.substr(0, 9));
        text_ += kdm::kRecordTerminator;
    }

    // One telegram record; `damaged` gives it a wrong checksum, so it is stored with " !!!".
    DumpBuilder& Add(char letter, std::string_view value, bool damaged = false) {
        std::string chars = TelegramChars(letter, value);
        if (damaged) chars[13] = chars[13] == '9' ? '0' : static_cast<char>(chars[13] + 1);
        std::string annotated;
        kdm::VerifyTelegram("\x02" + chars + "\x03", annotated);
        text_ += annotated;
        text_ += kdm::kRecordTerminator;
        return *this;
    }
    DumpBuilder& Program(int number) {
        char value[16];
        std::snprintf(value, sizeof value, "+000%03d--", number % 1000);
        return Add('P', value);
    }
    // Bytes as they are, for records cut short or malformed.
    DumpBuilder& Raw(std::string_view bytes) {
        text_ += bytes;
        return *this;
    }

    const std::string& Text() const { return text_; }

  private:
    std::string text_;
};

}  // namespace kdmtest
