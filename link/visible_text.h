// Bytes of the line and of data files as text a terminal, a log or a table cell can show. Telegrams
// are framed by control characters (STX, ETX) and records end in CR LF CR; written out raw they vanish,
// move the cursor, or (ESC) start an escape sequence that takes over the terminal. Every place that
// shows such bytes renders them here; the places differ only in the style they ask for, because each
// one's readers (and tests, and logs compared across versions) know its spelling.
#pragma once

#include <string>
#include <string_view>

namespace kdm {

struct VisibleStyle {
    // Which control bytes (0x00 to 0x1F and 0x7F) are written by name; the others are written in hex.
    enum class Names : unsigned char {
        kAll,       // every one: "<NUL>" ... "<US>", "<DEL>"
        kLine,      // those of the line and of records: "<STX>", "<ETX>", "<CR>", "<LF>"
        kFrame,     // those of a frame: "<STX>", "<ETX>"
        kPictures,  // none: each control byte is its Unicode control picture (U+2400 to U+241F, U+2421)
    };
    Names names = Names::kAll;
    // Bytes from 0x80 up to this one are written in hex: 0x9F for the C1 controls a UTF-8 terminal may
    // act on, 0xFF for everything outside ASCII, 0x7F for none of them.
    unsigned char hexUpTo = 0x9F;
    // Hex as "<0x1B>" rather than "<1B>".
    bool hexPrefix = true;
    // The result in UTF-8 rather than Latin-1 like the input (control pictures are always UTF-8, so
    // kPictures needs this).
    bool utf8 = false;
};

namespace visible_text_detail {

inline constexpr const char* kControlNames[32] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL",
                                                  "BS",  "HT",  "LF",  "VT",  "FF",  "CR",  "SO",  "SI",
                                                  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB",
                                                  "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};

inline bool HasName(unsigned char byte, VisibleStyle::Names names) {
    switch (names) {
        case VisibleStyle::Names::kAll:
            return true;
        case VisibleStyle::Names::kLine:
            return byte == 0x02 || byte == 0x03 || byte == 0x0D || byte == 0x0A;
        case VisibleStyle::Names::kFrame:
            return byte == 0x02 || byte == 0x03;
        case VisibleStyle::Names::kPictures:
            return false;
    }
    return false;
}

inline void AppendCodePoint(std::string& text, unsigned int codePoint, bool utf8) {
    if (!utf8 || codePoint < 0x80) {
        text += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        text += static_cast<char>(0xC0 | (codePoint >> 6));
        text += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        text += static_cast<char>(0xE0 | (codePoint >> 12));
        text += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

inline void AppendHex(std::string& text, unsigned char byte, bool prefix) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    text += prefix ? "<0x" : "<";
    text += kHex[byte >> 4];
    text += kHex[byte & 0x0F];
    text += '>';
}

}  // namespace visible_text_detail

// `bytes` with every control byte made visible as `style` says; all other bytes stay as they are
// (converted to UTF-8 when the style asks for it). In the default style every control byte (0x00 to
// 0x1F and 0x7F) is its ASCII name in angle brackets ("<STX>", "<CR>", "<ESC>", "<DEL>") and every
// byte from 0x80 to 0x9F, which a UTF-8 terminal may take for a control too, its value in hex
// ("<0x9B>"); a text without control bytes comes back unchanged. Header-only: the core, the programs
// and the tests use it alike.
inline std::string VisibleText(std::string_view bytes, const VisibleStyle& style = {}) {
    namespace detail = visible_text_detail;
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            if (style.names == VisibleStyle::Names::kPictures) {
                detail::AppendCodePoint(text, byte == 0x7F ? 0x2421u : 0x2400u + byte, true);
            } else if (!detail::HasName(byte, style.names)) {
                detail::AppendHex(text, byte, style.hexPrefix);
            } else if (byte == 0x7F) {
                text += "<DEL>";
            } else {
                text += '<';
                text += detail::kControlNames[byte];
                text += '>';
            }
        } else if (byte >= 0x80 && byte <= style.hexUpTo) {
            detail::AppendHex(text, byte, style.hexPrefix);
        } else {
            detail::AppendCodePoint(text, byte, style.utf8);
        }
    }
    return text;
}

}  // namespace kdm
