#include "link/telegram.h"

#include <array>
#include <climits>
#include <cstdint>

namespace kdm {

namespace {

constexpr std::array<std::string_view, 4> kRequests = {
    "0g+000000--572",
    "0s+000000--584",
    "0D+000000--537",
    "0F+000000--539",
};

// The text as the C string it was in the original: everything up to the first NUL.
std::string_view UpToNul(std::string_view text) {
    const auto nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

}  // namespace

std::string_view GetRequestTelegram(int index) {
    if (index < 0 || index >= static_cast<int>(kRequests.size())) return {};
    return kRequests[static_cast<std::size_t>(index)];
}

std::string ComputeChecksum(std::string_view telegramText) {
    std::int32_t sum = 0;
    for (std::size_t i = 1; i <= 11 && i < telegramText.size(); ++i) {
        sum += static_cast<std::int8_t>(telegramText[i]);
    }
    // A negative sum (bytes above 0x7F) prints as its unsigned 32-bit pattern, like "%u" does.
    return std::to_string(static_cast<std::uint32_t>(sum));
}

int FindLetter(std::string_view text, char letter, int start) {
    const std::string_view counted = UpToNul(text);
    if (start < 0 || static_cast<std::size_t>(start) >= counted.size()) return -1;
    const auto at = counted.find(letter, static_cast<std::size_t>(start));
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

std::string TakeField(std::string_view text, int start, int count) {
    const std::size_t from = start < 0 ? 0 : static_cast<std::size_t>(start);
    const std::size_t n = count < 0 ? 0 : static_cast<std::size_t>(count);
    if (from >= text.size()) return {};
    return std::string(text.substr(from, n));
}

int LeadingInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) value = INT_MAX;  // saturate instead of overflowing like atoi may
    }
    return static_cast<int>(negative ? -value : value);
}

int ErrorNumberOf(std::string_view telegramText) {
    const int f = FindLetter(telegramText, 'F', 0);
    if (f < 0) return kNoDeviceResponse;
    return LeadingInteger(TakeField(telegramText, f + 6, 2));
}

std::string IdentificationTextOf(std::string_view telegramText) {
    const int p = FindLetter(telegramText, 'g', 0);
    if (p < 0) return {};
    const int e = FindLetter(telegramText, ETX, p);
    return TakeField(telegramText, p - 2, e);
}

std::string DeviceTypeKey(std::string_view text) {
    const int g = FindLetter(text, 'g', 0);
    return TakeField(text, g < 0 ? 0 : g, 5);
}

int VerifyTelegram(std::string_view telegramText, std::string& annotated) {
    const std::string received = TakeField(telegramText, 12, 3);
    const std::string computed = ComputeChecksum(telegramText);
    // Records are C strings on disk: a NUL on the line would hide every later record from the readers of
    // the file, so the stored text stops at it (the mismatch mark then tells the record is damaged).
    annotated.assign(UpToNul(telegramText));
    annotated += kChecksumSeparator;
    annotated += computed;
    if (computed == received) return 1;
    annotated += kMismatchMark;
    return 0;
}

}  // namespace kdm
