// Bytes of the line and of data files as text a terminal or a log can show. Telegrams are framed by
// control characters (STX, ETX) and records end in CR LF CR; written out raw they vanish, move the
// cursor, or (ESC) start an escape sequence that takes over the terminal.
#pragma once

#include <string>
#include <string_view>

namespace kdm {

namespace visible_text_detail {

inline constexpr const char* kControlNames[32] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL",
                                                  "BS",  "HT",  "LF",  "VT",  "FF",  "CR",  "SO",  "SI",
                                                  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB",
                                                  "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};

inline bool IsControl(unsigned char byte) {
    return byte < 0x20 || (byte >= 0x7F && byte <= 0x9F);
}

}  // namespace visible_text_detail

// Every control byte (0x00 to 0x1F and 0x7F) as its ASCII name in angle brackets ("<STX>", "<CR>",
// "<ESC>", "<DEL>"), and every byte from 0x80 to 0x9F, which a UTF-8 terminal may take for a control
// too, as its value in hex ("<0x9B>"). All other bytes stay as they are: the result is Latin-1 like
// its input, and a text without control bytes comes back unchanged. Header-only: the core, the
// programs and the tests use it alike.
inline std::string VisibleText(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (!visible_text_detail::IsControl(byte)) {
            text += c;
        } else if (byte < 0x20) {
            text += '<';
            text += visible_text_detail::kControlNames[byte];
            text += '>';
        } else if (byte == 0x7F) {
            text += "<DEL>";
        } else {
            text += "<0x";
            text += kHex[byte >> 4];
            text += kHex[byte & 0x0F];
            text += '>';
        }
    }
    return text;
}

}  // namespace kdm
