// Changing one value of a parameter set, offline, so that the file still reads as a device sent it.
//
// A data file is the text a read stores, and an edit keeps it one: the parameter's record becomes what
// a read of a device holding the new value would have stored. Address and letter stay, the sign and the
// six value digits are set, the two suffix characters stay, the telegram's three-digit checksum is
// computed again, and the record ends in " QS ", that sum and CR LF CR, without " !!!" (the record now
// holds what the user set, not what the line delivered). Every other byte of the text stays as it was.
//
// An edit is planned against the text and the set parsed from it, then applied to the text; the plan
// keeps the record's bytes before and after, so that the edit can be undone exactly. The set must be
// parsed again after an edit: the record may change its length (a " !!!" goes) and with it the offsets
// of the records after it.
//
// Refusals are kinds; each program words them for its user. Pure: no I/O, no shared state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "data/parameter_model.h"

namespace kdm {

// A parameter as the tables show it: a letter of the system block, or a letter of one program.
struct ParameterAddress {
    std::optional<int> program;  // the program number as the program table shows it; none: system block
    char letter = 0;
};

enum class EditRefusal : std::uint8_t {
    kNone,
    kBadValue,       // not an optional sign followed by 1 to 6 digits
    kNoSuchProgram,  // the set holds no program of that number
    kNoSuchLetter,   // the block holds no parameter of that letter that the tables show
    kDamagedRecord,  // not a whole telegram as a read stores it: cut, damaged on the line, changed by
                     // hand, or characters that cannot carry a three-digit checksum. A record marked
                     // " !!!" only because its checksum did not match is whole and may be edited.
};

// One record replaced: the `before` bytes at `offset` of the text (terminator included) become `after`.
struct RecordEdit {
    std::size_t record = 0;  // index into ParameterSet::Records()
    std::size_t offset = 0;
    std::string before;
    std::string after;
    // Telegram positions 2 to 8, sign and six digits, as stored before and after ("-000100", "-000150").
    std::string oldValue;
    std::string newValue;
};

struct EditPlan {
    EditRefusal refusal = EditRefusal::kNone;
    RecordEdit edit;  // meaningful when Ok()
    bool Ok() const { return refusal == EditRefusal::kNone; }
};

// What a value typed by a user is stored as: an optional sign and 1 to 6 digits give the sign and six
// digits ("5" gives "+000005", "-150" gives "-000150"). None for anything else: empty, a sign alone,
// seven digits, blanks, any other character.
std::optional<std::string> StoredValueOf(std::string_view value);

// The edit that sets the parameter at `where` to `value`. Of several records with the letter, the one
// the tables show (the last). `set` must be the set parsed from `text`.
EditPlan PlanEdit(std::string_view text, const ParameterSet& set, const ParameterAddress& where,
                  std::string_view value);
// The same for the record of index `record` (a table cell knows the record it shows).
EditPlan PlanRecordEdit(std::string_view text, const ParameterSet& set, std::size_t record,
                        std::string_view value);

// Makes the edit in `text`, or undoes it. False, and `text` unchanged, when the bytes at the edit's
// offset are not those the edit replaces (the text is not the one it was planned or made on).
bool ApplyEdit(std::string& text, const RecordEdit& edit);
bool RevertEdit(std::string& text, const RecordEdit& edit);

}  // namespace kdm
