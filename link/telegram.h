// Telegrams: 14 printable characters framed by STX and ETX. Pure text handling, no I/O.
//
// Text forms used throughout the program (all positions 0-based):
//  - telegram text: STX, the 14 characters, the byte after them (normally ETX): 16 bytes;
//  - identification text: STX and the 14 characters of the device's 'g' telegram: 15 bytes;
//  - annotated text: telegram text + " QS " + computed checksum [+ " !!!" on a mismatch].
// Inside a telegram text a telegram position i stands at index i + 1.
#pragma once

#include <string>
#include <string_view>

#include "link/wire.h"

namespace kdm {

inline constexpr int kRequestIdentification = 0;  // in the table, never sent
inline constexpr int kRequestSystem = 1;
inline constexpr int kRequestProgram = 2;
inline constexpr int kRequestStatus = 3;

// Error number meaning "no 'F' telegram came".
inline constexpr int kNoDeviceResponse = 300;

// The fixed request telegram `index` (0 to 3); an empty view for any other index.
std::string_view GetRequestTelegram(int index);

// Sum of the bytes at indexes 1 to 11 of a telegram text (telegram positions 0 to 10), each taken as a
// signed 8-bit value, formatted as unsigned decimal ("%u") without leading zeros. A shorter text adds
// what it has.
std::string ComputeChecksum(std::string_view telegramText);

// Index of the first `letter` at or after `start`, or -1. The text counts as ending at its first NUL.
// A start below 0 or at/after the end gives -1.
int FindLetter(std::string_view text, char letter, int start);
inline bool Contains(std::string_view text, char letter) {
    return FindLetter(text, letter, 0) >= 0;
}

// Up to `count` characters from `start`; negative start or count count as 0, the range is cut at the end.
std::string TakeField(std::string_view text, int start, int count);

// Decimal conversion of the leading digits like C's atoi: leading blanks skipped, optional sign,
// stops at the first non-digit; 0 when there are no digits. Never overflows.
int LeadingInteger(std::string_view text);

// Error number of an 'F' telegram: the two characters 6 and 7 places after the first 'F', converted
// with LeadingInteger. A text without 'F' gives kNoDeviceResponse.
int ErrorNumberOf(std::string_view telegramText);

// Identification text out of a telegram text: p = first 'g', e = first ETX at or after p,
// TakeField(text, p - 2, e). Empty when there is no 'g' (or no ETX after it).
std::string IdentificationTextOf(std::string_view telegramText);

// Device-type key: the five characters from the first 'g'; the first five when there is no 'g'.
std::string DeviceTypeKey(std::string_view text);

// Produces the annotated text of a telegram text; returns 1 when the computed checksum equals the
// three received characters at index 12, else 0 (the annotated text then ends with " !!!").
int VerifyTelegram(std::string_view telegramText, std::string& annotated);

}  // namespace kdm
