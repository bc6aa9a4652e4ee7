#include "data/parameter_edit.h"

#include "link/telegram.h"
#include "link/wire.h"

namespace kdm {
namespace {

// Telegram positions: address 0, letter 1, sign 2, value digits 3 to 8, suffix 9 and 10, checksum 11
// to 13.
constexpr std::size_t kSignAt = 2;
constexpr std::size_t kValueDigits = 6;
constexpr std::size_t kStoredValueLength = 1 + kValueDigits;
constexpr std::size_t kChecksumAt = 11;
constexpr std::size_t kChecksumDigits = 3;

EditPlan Refused(EditRefusal refusal) {
    EditPlan plan;
    plan.refusal = refusal;
    return plan;
}

bool Holds(std::string_view text, std::size_t offset, std::string_view bytes) {
    return offset <= text.size() && text.substr(offset, bytes.size()) == bytes;
}

bool Replace(std::string& text, std::size_t offset, std::string_view from, std::string_view to) {
    if (!Holds(text, offset, from)) return false;
    text.replace(offset, from.size(), to);
    return true;
}

}  // namespace

std::optional<std::string> StoredValueOf(std::string_view value) {
    char sign = '+';
    if (!value.empty() && (value.front() == '+' || value.front() == '-')) {
        sign = value.front();
        value.remove_prefix(1);
    }
    if (value.empty() || value.size() > kValueDigits) return std::nullopt;
    for (const char c : value) {
        if (c < '0' || c > '9') return std::nullopt;
    }
    std::string stored(1, sign);
    stored.append(kValueDigits - value.size(), '0');
    stored += value;
    return stored;
}

EditPlan PlanEdit(std::string_view text, const ParameterSet& set, const ParameterAddress& where,
                  std::string_view value) {
    if (!StoredValueOf(value)) return Refused(EditRefusal::kBadValue);
    const Parameter* parameter = nullptr;
    if (where.program) {
        const Program* program = set.FindProgram(*where.program);
        if (program == nullptr) return Refused(EditRefusal::kNoSuchProgram);
        parameter = program->Find(where.letter);
    } else {
        parameter = set.FindSystemParameter(where.letter);
    }
    if (parameter == nullptr) return Refused(EditRefusal::kNoSuchLetter);
    return PlanRecordEdit(text, set, parameter->record, value);
}

EditPlan PlanRecordEdit(std::string_view text, const ParameterSet& set, std::size_t record,
                        std::string_view value) {
    const std::optional<std::string> stored = StoredValueOf(value);
    if (!stored) return Refused(EditRefusal::kBadValue);
    if (record >= set.Records().size()) return Refused(EditRefusal::kDamagedRecord);
    const Record& old = set.Records()[record];
    // Only a whole frame as a read stores it: one the line damaged, or one changed by hand, has no
    // suffix and address anyone can vouch for.
    if (old.Form() != RecordForm::kTelegram || old.Suspicion() == Suspect::kDamaged ||
        old.Telegram().size() != kTelegramCharacters || old.Offset() + old.Size() > text.size()) {
        return Refused(EditRefusal::kDamagedRecord);
    }

    std::string telegram = old.Telegram();
    telegram.replace(kSignAt, kStoredValueLength, *stored);
    std::string framed(1, STX);
    framed += telegram.substr(0, kChecksumAt);
    const std::string sum = ComputeChecksum(framed);
    // A device sends three digits; a sum of any other length could not be stored unmarked.
    if (sum.size() != kChecksumDigits) return Refused(EditRefusal::kDamagedRecord);
    telegram.replace(kChecksumAt, kChecksumDigits, sum);

    EditPlan plan;
    RecordEdit& edit = plan.edit;
    edit.record = record;
    edit.offset = old.Offset();
    edit.before.assign(text.substr(old.Offset(), old.Size()));
    edit.after = std::string(1, STX) + telegram;
    edit.after += ETX;
    edit.after += kChecksumSeparator;
    edit.after += sum;
    edit.after += kRecordTerminator;
    edit.oldValue = old.Telegram().substr(kSignAt, kStoredValueLength);
    edit.newValue = *stored;
    return plan;
}

bool ApplyEdit(std::string& text, const RecordEdit& edit) {
    return Replace(text, edit.offset, edit.before, edit.after);
}

bool RevertEdit(std::string& text, const RecordEdit& edit) {
    return Replace(text, edit.offset, edit.after, edit.before);
}

}  // namespace kdm
