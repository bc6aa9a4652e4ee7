#include "ui/visible_text.h"

namespace {

constexpr const char* kControlNames[32] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL",
                                           "BS",  "HT",  "LF",  "VT",  "FF",  "CR",  "SO",  "SI",
                                           "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB",
                                           "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};

}  // namespace

QString VisibleText(const std::string& bytes) {
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()) + 8);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20) {
            out += QLatin1Char('<') + QString::fromLatin1(kControlNames[byte]) + QLatin1Char('>');
        } else if (byte == 0x7f) {
            out += QStringLiteral("<DEL>");
        } else {
            out += QChar(static_cast<char16_t>(byte));
        }
    }
    return out;
}
