// Parsing a data-file text into records, sections and parameters, and writing it back byte for byte.
#include "data/parameter_model.h"

#include <algorithm>
#include <climits>

#include "data/catalogue.h"
#include "data/dump.h"
#include "data/strings.h"
#include "files/data_file.h"
#include "link/telegram.h"
#include "link/wire.h"

namespace kdm {
namespace {

// The system walk begins its search for an STX here, past the identification record's own STX.
constexpr std::size_t kFirstSystemStx = 4;
// The program section begins at the first 'P' from here on, past the identification's device code.
constexpr std::size_t kFirstProgramLetter = 11;

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool IsLetter(std::string_view letter, char c) {
    return letter.size() == 1 && letter[0] == c;
}

}  // namespace

int ShownNameId(const Layout& layout, std::string_view letter, std::string_view value) {
    if (letter.size() == 1 && layout.PassesOver(letter[0])) return 0;
    if (letter.size() == 1) {
        if (const LayoutEntry* entry = layout.Find(letter[0])) return entry->nameId;
    }
    // An unlisted letter with a 'g' in its value is dropped.
    if (value.find('g') != std::string_view::npos) return 0;
    return sid::kUnlisted;
}

std::string_view SuspectName(Suspect suspect) {
    switch (suspect) {
        case Suspect::kMismatch:
            return "mismatch";
        case Suspect::kDamaged:
            return "damaged";
        case Suspect::kNone:
            break;
    }
    return {};
}

std::string FormatValue(std::string_view value) {
    std::string text(value);
    for (std::size_t i = 0; i + 1 < text.size();) {
        if (text[i] == '-' && text[i + 1] == '-') {
            text[i] = ' ';
            text[i + 1] = ' ';
            i += 2;
        } else {
            ++i;
        }
    }
    for (char& c : text) {
        if (c == '+') c = ' ';
    }
    if (!text.empty() && text.back() == '-') text.back() = ' ';
    return text;
}

std::string_view Record::Letter() const {
    return std::string_view(telegram_).substr(std::min<std::size_t>(1, telegram_.size()), 1);
}

std::string_view Record::Value() const {
    return std::string_view(telegram_).substr(std::min<std::size_t>(2, telegram_.size()), 9);
}

void Record::AppendTo(std::string& text) const {
    text += bytes_;
    if (form_ == RecordForm::kRaw) return;
    if (form_ == RecordForm::kTelegram) {
        text += kChecksumSeparator;
        text += ComputeChecksum(bytes_);
        if (marked_) text += kMismatchMark;
    }
    text += kRecordTerminator;
}

std::string_view Parameter::Letter() const {
    return std::string_view(telegram).substr(std::min<std::size_t>(1, telegram.size()), 1);
}

std::string_view Parameter::Value() const {
    return std::string_view(telegram).substr(std::min<std::size_t>(2, telegram.size()), 9);
}

std::string_view Parameter::Name() const {
    return nameId == 0 ? std::string_view() : LoadString(nameId);
}

std::string Parameter::ShownValue() const {
    return FormatValue(Value());
}

std::string Parameter::ValueText() const {
    return std::string(Trimmed(ShownValue()));
}

std::optional<int> Program::Number() const {
    if (!number) return std::nullopt;
    const std::string_view value = number->Value();
    std::size_t i = 0;
    const bool negative = i < value.size() && value[i] == '-';
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) ++i;
    long long count = 0;
    std::size_t digits = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i, ++digits) {
        count = count * 10 + (value[i] - '0');
        if (count > INT_MAX) count = INT_MAX;
    }
    if (digits == 0) return std::nullopt;
    return static_cast<int>(negative ? -count : count);
}

std::string Program::NumberText() const {
    return number ? number->ValueText() : std::string();
}

const Parameter* Program::Find(char letter) const {
    const Parameter* found = nullptr;
    for (const Parameter& parameter : parameters) {
        if (IsLetter(parameter.Letter(), letter)) found = &parameter;
    }
    return found;
}

// A record is kept as parsed fields only when writing those fields gives back its exact bytes and they
// are what a read could have stored; everything else keeps its bytes.
Record ParameterSet::ParseRecord(std::string_view text, std::size_t offset, std::size_t end, bool first) {
    const std::string_view piece = text.substr(offset, end - offset);
    Record record;
    record.offset_ = offset;
    record.size_ = piece.size();
    record.startsWithStx_ = !piece.empty() && piece[0] == STX;
    const bool terminated = piece.ends_with(kRecordTerminator);
    const std::string_view body =
        terminated ? piece.substr(0, piece.size() - kRecordTerminator.size()) : piece;
    record.marked_ = body.ends_with(kMismatchMark);
    record.form_ = RecordForm::kRaw;
    record.suspect_ = Suspect::kDamaged;
    record.bytes_.assign(piece);
    if (record.startsWithStx_) record.telegram_.assign(text.substr(offset + 1, kTelegramCharacters));
    if (!terminated || !record.startsWithStx_) return record;

    if (first && body.size() == kIdentificationBytes && body[2] == 'g') {
        record.form_ = RecordForm::kIdentification;
        record.suspect_ = Suspect::kNone;
        record.bytes_.assign(body);
        return record;
    }
    // The annotation is the last " QS ": the checksum digits and the mark after it hold none.
    const std::size_t annotation = body.rfind(kChecksumSeparator);
    if (annotation == std::string_view::npos || annotation == 0) return record;
    const std::string_view frame = body.substr(0, annotation);
    const std::string_view rest = body.substr(annotation + kChecksumSeparator.size());
    const std::string sum = ComputeChecksum(frame);
    const bool plain = rest == sum;
    const bool marked = rest.size() == sum.size() + kMismatchMark.size() && rest.starts_with(sum) &&
                        rest.ends_with(kMismatchMark);
    if (!plain && !marked) return record;
    const bool complete = frame.size() == kFrameBytes && frame.back() == ETX;
    const bool matches = frame.size() >= 12 && frame.substr(12, 3) == sum;
    // A read marks every frame that is incomplete or whose checksum differs.
    if (plain && (!complete || !matches)) return record;
    record.form_ = RecordForm::kTelegram;
    record.suspect_ =
        plain ? Suspect::kNone : (complete && !matches ? Suspect::kMismatch : Suspect::kDamaged);
    record.bytes_.assign(frame);
    return record;
}

ParsedParameterSet ParseParameterSet(std::string_view text) {
    ParsedParameterSet result;
    if (text.size() > kMaxParameterSetText) {
        result.reason = "a text of " + std::to_string(text.size()) + " bytes is too large for a data file";
        return result;
    }
    ParameterSet& set = result.set;
    // Records begin at the STXs, as a rule.
    set.records_.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), STX)) + 1);
    std::size_t at = 0;
    while (at < text.size()) {
        // A record ends after its terminator or right before the next STX, whichever comes first.
        std::size_t next = text.find(STX, at + (text[at] == STX ? 1 : 0));
        if (next == std::string_view::npos) next = text.size();
        // Looking for the terminator only up to that STX keeps the cut linear in the text.
        const std::size_t terminator = text.substr(0, next).find(kRecordTerminator, at);
        const std::size_t end =
            terminator == std::string_view::npos ? next : terminator + kRecordTerminator.size();
        set.records_.push_back(ParameterSet::ParseRecord(text, at, end, set.records_.empty()));
        at = end;
    }
    set.Derive(text);
    result.ok = true;
    return result;
}

ParameterSet ParameterSet::OfTelegrams(std::string_view identification,
                                       std::span<const std::string> telegrams) {
    std::string text(1, STX);
    text += identification;
    text += kRecordTerminator;
    for (const std::string& telegram : telegrams) {
        std::string frame(1, STX);
        frame += telegram;
        frame += ETX;
        std::string annotated;
        VerifyTelegram(frame, annotated);
        text += annotated;
        text += kRecordTerminator;
    }
    ParsedParameterSet parsed = ParseParameterSet(text);
    return std::move(parsed.set);
}

void ParameterSet::Derive(std::string_view text) {
    size_ = text.size();
    deviceType_ = DetectDeviceType(text, heading_);

    for (std::size_t k = 0; k < records_.size(); ++k) {
        const Record& record = records_[k];
        if (!record.startsWithStx_ || record.offset_ < kFirstSystemStx) continue;
        // A record among the last 14 bytes, and the first program record, end the system walk.
        if (record.offset_ + kTelegramCharacters >= size_ || IsLetter(record.Letter(), 'P')) break;
        systemSection_.push_back(k);
    }

    const std::size_t letterP = text.find('P', kFirstProgramLetter);
    if (letterP != std::string_view::npos) {
        // The walk starts at the first STX from four bytes before that 'P': the STX of its record when
        // the 'P' is a record's letter.
        for (std::size_t k = 0; k < records_.size(); ++k) {
            const Record& record = records_[k];
            if (!record.startsWithStx_ || record.offset_ + 4 < letterP) continue;
            if (IsLetter(record.Letter(), 'g')) break;
            programSection_.push_back(k);
        }
    }

    const Layout* systemLayout = SystemLayout(deviceType_);
    const Layout* programLayout = ProgramLayout(deviceType_);
    auto parameterOf = [this](std::size_t k, int nameId) {
        const Record& record = records_[k];
        return Parameter{k, record.telegram_, record.suspect_, nameId};
    };
    // Without layouts every record is listed, without a name.
    auto nameIdIn = [](const Layout* layout, const Record& record) {
        return layout == nullptr ? -1 : ShownNameId(*layout, record.Letter(), record.Value());
    };
    system_.reserve(systemSection_.size());
    for (const std::size_t k : systemSection_) {
        const int nameId = nameIdIn(systemLayout, records_[k]);
        if (nameId != 0) system_.push_back(parameterOf(k, nameId < 0 ? 0 : nameId));
    }
    programs_.reserve(static_cast<std::size_t>(std::count_if(
                          programSection_.begin(), programSection_.end(),
                          [this](std::size_t k) { return IsLetter(records_[k].Letter(), 'P'); })) +
                      1);
    for (const std::size_t k : programSection_) {
        const Record& record = records_[k];
        const int nameId = nameIdIn(programLayout, record);
        if (IsLetter(record.Letter(), 'P')) {
            programs_.emplace_back();
            if (nameId != 0) programs_.back().number = parameterOf(k, nameId < 0 ? 0 : nameId);
            continue;
        }
        if (nameId == 0) continue;
        if (programs_.empty()) programs_.emplace_back();
        programs_.back().parameters.push_back(parameterOf(k, nameId < 0 ? 0 : nameId));
    }
}

const Record* ParameterSet::Identification() const {
    if (records_.empty() || records_.front().form_ != RecordForm::kIdentification) return nullptr;
    return &records_.front();
}

const Parameter* ParameterSet::FindSystemParameter(char letter) const {
    const Parameter* found = nullptr;
    for (const Parameter& parameter : system_) {
        if (IsLetter(parameter.Letter(), letter)) found = &parameter;
    }
    return found;
}

const Program* ParameterSet::FindProgram(int number) const {
    for (const Program& program : programs_) {
        if (program.Number() == number) return &program;
    }
    return nullptr;
}

int ParameterSet::SuspectRecords() const {
    int count = 0;
    for (const Record& record : records_)
        count += record.suspect_ != Suspect::kNone ? 1 : 0;
    return count;
}

int ParameterSet::SuspectRecords(Suspect kind) const {
    int count = 0;
    for (const Record& record : records_)
        count += record.suspect_ == kind ? 1 : 0;
    return count;
}

std::string DataFileTextOf(const ParameterSet& set) {
    std::string text;
    text.reserve(set.TextSize());
    for (const Record& record : set.Records())
        record.AppendTo(text);
    return text;
}

}  // namespace kdm
