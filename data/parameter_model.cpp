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

ParsedParameterSet TooLarge(std::size_t size) {
    ParsedParameterSet refused;
    refused.reason = "a text of " + std::to_string(size) + " bytes is too large for a data file";
    return refused;
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

LayoutLetters::LayoutLetters(const Layout& layout) {
    for (std::size_t c = 0; c < entries_.size(); ++c) {
        const char letter = static_cast<char>(c);
        entries_[c] = layout.Find(letter);
        if (layout.PassesOver(letter)) {
            nameIds_[c] = 0;
        } else {
            nameIds_[c] = entries_[c] != nullptr ? entries_[c]->nameId : kUnlistedLetter;
        }
    }
}

int LayoutLetters::ShownNameId(std::string_view letter, std::string_view value) const {
    const int nameId = letter.size() == 1 ? nameIds_[static_cast<unsigned char>(letter[0])] : kUnlistedLetter;
    if (nameId != kUnlistedLetter) return nameId;
    // An unlisted letter with a 'g' in its value is dropped.
    return value.find('g') != std::string_view::npos ? 0 : sid::kUnlisted;
}

const LayoutEntry* LayoutLetters::Entry(std::string_view letter) const {
    return letter.size() == 1 ? entries_[static_cast<unsigned char>(letter[0])] : nullptr;
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

std::string_view Record::Whole() const {
    return std::string_view(*text_).substr(offset_, size_);
}

bool Record::StartsWithStx() const {
    return size_ > 0 && (*text_)[offset_] == STX;
}

std::string_view Record::TelegramView() const {
    if (!StartsWithStx()) return {};
    return std::string_view(*text_).substr(offset_ + 1, kTelegramCharacters);
}

std::string_view Record::Letter() const {
    const std::string_view telegram = TelegramView();
    return telegram.substr(std::min<std::size_t>(1, telegram.size()), 1);
}

std::string_view Record::Value() const {
    const std::string_view telegram = TelegramView();
    return telegram.substr(std::min<std::size_t>(2, telegram.size()), 9);
}

std::string_view Record::BytesView() const {
    const std::string_view whole = Whole();
    if (Form() == RecordForm::kRaw) return whole;
    const std::string_view body = whole.substr(0, whole.size() - kRecordTerminator.size());
    if (Form() == RecordForm::kIdentification) return body;
    // The annotation is the last " QS ", as when the record was recognised.
    return body.substr(0, body.rfind(kChecksumSeparator));
}

void Record::AppendTo(std::string& text) const {
    text += Whole();
}

Record RecordList::operator[](std::size_t k) const {
    const std::size_t offset = (*entries_)[k] & kRecordOffsetMask;
    const std::size_t end =
        k + 1 < entries_->size() ? ((*entries_)[k + 1] & kRecordOffsetMask) : text_->size();
    return Record(text_, offset, end - offset,
                  static_cast<std::uint8_t>((*entries_)[k] >> kRecordOffsetBits));
}

SectionRecords::Iterator::Iterator(const std::string* text, const std::vector<std::uint32_t>* entries,
                                   std::size_t k, std::size_t end)
    : text_(text), entries_(entries), k_(k), end_(end) {
    SkipToStx();
}

// Every record but the last ends where the next begins, so a record starts with STX exactly when the
// byte at its offset is one and it is not empty (no record is).
void SectionRecords::Iterator::SkipToStx() {
    while (k_ < end_ && (*text_)[(*entries_)[k_] & kRecordOffsetMask] != STX)
        ++k_;
}

SectionRecords::Iterator& SectionRecords::Iterator::operator++() {
    ++k_;
    SkipToStx();
    return *this;
}

SectionRecords::Iterator SectionRecords::Iterator::operator++(int) {
    const Iterator before = *this;
    ++*this;
    return before;
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

// A record is recognised as one of the forms a read stores only when those forms give back its exact
// bytes and they are what a read could have stored; everything else is raw.
std::uint8_t ParameterSet::ParseRecord(std::size_t offset, std::size_t end, bool first) const {
    const std::string_view piece = std::string_view(*text_).substr(offset, end - offset);
    const bool startsWithStx = !piece.empty() && piece[0] == STX;
    const bool terminated = piece.ends_with(kRecordTerminator);
    const std::string_view body =
        terminated ? piece.substr(0, piece.size() - kRecordTerminator.size()) : piece;
    const bool markedBody = body.ends_with(kMismatchMark);
    const std::uint8_t raw = Record::KindOf(RecordForm::kRaw, markedBody, Suspect::kDamaged);
    if (!terminated || !startsWithStx) return raw;

    if (first && body.size() == kIdentificationBytes && body[2] == 'g')
        return Record::KindOf(RecordForm::kIdentification, markedBody, Suspect::kNone);
    // The annotation is the last " QS ": the checksum digits and the mark after it hold none.
    const std::size_t annotation = body.rfind(kChecksumSeparator);
    if (annotation == std::string_view::npos || annotation == 0) return raw;
    const std::string_view frame = body.substr(0, annotation);
    const std::string_view rest = body.substr(annotation + kChecksumSeparator.size());
    const std::string sum = ComputeChecksum(frame);
    const bool plain = rest == sum;
    const bool marked = rest.size() == sum.size() + kMismatchMark.size() && rest.starts_with(sum) &&
                        rest.ends_with(kMismatchMark);
    if (!plain && !marked) return raw;
    const bool complete = frame.size() == kFrameBytes && frame.back() == ETX;
    const bool matches = frame.size() >= 12 && frame.substr(12, 3) == sum;
    // A read marks every frame that is incomplete or whose checksum differs.
    if (plain && (!complete || !matches)) return raw;
    const Suspect suspect =
        plain ? Suspect::kNone : (complete && !matches ? Suspect::kMismatch : Suspect::kDamaged);
    return Record::KindOf(RecordForm::kTelegram, markedBody, suspect);
}

// Records end after their terminator or right before the next STX, whichever comes first.
void ParameterSet::Cut() {
    const std::string_view text = *text_;
    // Two passes: the first counts, so that the records take exactly their room and no more (a text of
    // one-byte records has as many records as bytes).
    for (int pass = 0; pass < 2; ++pass) {
        std::size_t count = 0;
        std::size_t at = 0;
        while (at < text.size()) {
            std::size_t next = text.find(STX, at + (text[at] == STX ? 1 : 0));
            if (next == std::string_view::npos) next = text.size();
            // Looking for the terminator only up to that STX keeps the cut linear in the text.
            const std::size_t terminator = text.substr(0, next).find(kRecordTerminator, at);
            const std::size_t end =
                terminator == std::string_view::npos ? next : terminator + kRecordTerminator.size();
            if (pass == 0) {
                ++count;
            } else {
                const std::uint32_t kind = ParseRecord(at, end, entries_.empty());
                entries_.push_back(static_cast<std::uint32_t>(at) | (kind << kRecordOffsetBits));
            }
            at = end;
        }
        if (pass == 0) entries_.reserve(count);
    }
}

ParsedParameterSet ParseParameterSet(std::string_view text) {
    // Refused before it is copied.
    if (text.size() > kMaxParameterSetText) return TooLarge(text.size());
    return ParseParameterSetInPlace(std::string(text));
}

ParsedParameterSet ParseParameterSetInPlace(std::string&& text) {
    if (text.size() > kMaxParameterSetText) return TooLarge(text.size());
    ParsedParameterSet result;
    ParameterSet& set = result.set;
    set.text_ = std::make_shared<const std::string>(std::move(text));
    set.Cut();
    set.Derive();
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
    ParsedParameterSet parsed = ParseParameterSetInPlace(std::move(text));
    return std::move(parsed.set);
}

// Visits, in order, the records of `section` that the model lists (a parameter, or in the program
// section a 'P' record, which opens a program): visit(k, nameId, opensProgram), where nameId is the
// name's string id, 0 for a 'P' record the layout passes over and -1 without layouts. Returns how many
// it left out after the section's kMaxListedShortRecords-th record shorter than a frame.
template <class Visit>
std::size_t ParameterSet::WalkListed(SectionRecords section, const LayoutLetters* layout, bool programSection,
                                     Visit&& visit) const {
    std::size_t shortRecords = 0;
    std::size_t unlisted = 0;
    const RecordList records = Records();
    for (const std::size_t k : section) {
        const Record record = records[k];
        // Without layouts every record is listed, without a name.
        const int nameId = layout == nullptr ? -1 : layout->ShownNameId(record.Letter(), record.Value());
        const bool opensProgram = programSection && IsLetter(record.Letter(), 'P');
        if (nameId == 0 && !opensProgram) continue;
        if (unlisted == 0 && record.Size() < kFrameBytes) ++shortRecords;
        if (shortRecords > kMaxListedShortRecords) {
            ++unlisted;
            continue;
        }
        visit(k, nameId, opensProgram);
    }
    return unlisted;
}

void ParameterSet::Derive() {
    const std::string_view text = *text_;
    deviceType_ = DetectDeviceType(text, heading_);
    const RecordList records = Records();
    const std::size_t count = records.size();
    if (count > 0 && records[0].Form() == RecordForm::kIdentification) identification_ = records[0];

    // Offsets grow with the index: each section is a run of records, of which those with an STX count.
    std::size_t k = 0;
    while (k < count && records[k].Offset() < kFirstSystemStx)
        ++k;
    systemFirst_ = k;
    for (; k < count; ++k) {
        const Record record = records[k];
        if (!record.StartsWithStx()) continue;
        // A record among the last 14 bytes, and the first program record, end the system walk.
        if (record.Offset() + kTelegramCharacters >= text.size() || IsLetter(record.Letter(), 'P')) break;
    }
    systemEnd_ = k;

    const std::size_t letterP = text.find('P', kFirstProgramLetter);
    if (letterP != std::string_view::npos) {
        // The walk starts at the first STX from four bytes before that 'P': the STX of its record when
        // the 'P' is a record's letter.
        k = 0;
        while (k < count && records[k].Offset() + 4 < letterP)
            ++k;
        programFirst_ = k;
        for (; k < count; ++k) {
            const Record record = records[k];
            if (record.StartsWithStx() && IsLetter(record.Letter(), 'g')) break;
        }
        programEnd_ = k;
    }

    const std::optional<LayoutLetters> systemLetters =
        SystemLayout(deviceType_) != nullptr ? std::optional(LayoutLetters(*SystemLayout(deviceType_)))
                                             : std::nullopt;
    const std::optional<LayoutLetters> programLetters =
        ProgramLayout(deviceType_) != nullptr ? std::optional(LayoutLetters(*ProgramLayout(deviceType_)))
                                              : std::nullopt;
    const LayoutLetters* systemLayout = systemLetters ? &*systemLetters : nullptr;
    const LayoutLetters* programLayout = programLetters ? &*programLetters : nullptr;
    auto parameterOf = [&records](std::size_t at, int nameId) {
        const Record record = records[at];
        return Parameter{at, record.Telegram(), record.Suspicion(), nameId < 0 ? 0 : nameId};
    };

    // Each list is counted before it is filled, so that it takes exactly its room.
    std::size_t systemCount = 0;
    WalkListed(SystemSection(), systemLayout, false, [&](std::size_t, int, bool) { ++systemCount; });
    system_.reserve(systemCount);
    unlisted_ = WalkListed(SystemSection(), systemLayout, false, [&](std::size_t at, int nameId, bool) {
        system_.push_back(parameterOf(at, nameId));
    });

    std::vector<std::uint32_t> parametersOfProgram;
    WalkListed(ProgramSection(), programLayout, true, [&](std::size_t, int, bool opensProgram) {
        if (opensProgram || parametersOfProgram.empty()) parametersOfProgram.push_back(0);
        if (!opensProgram) ++parametersOfProgram.back();
    });
    programs_.reserve(parametersOfProgram.size());
    unlisted_ +=
        WalkListed(ProgramSection(), programLayout, true, [&](std::size_t at, int nameId, bool opensProgram) {
            if (opensProgram || programs_.empty()) {
                programs_.emplace_back();
                programs_.back().parameters.reserve(parametersOfProgram[programs_.size() - 1]);
            }
            if (!opensProgram) {
                programs_.back().parameters.push_back(parameterOf(at, nameId));
            } else if (nameId != 0) {
                programs_.back().number = parameterOf(at, nameId);
            }
        });
}

const Record* ParameterSet::Identification() const {
    return identification_ ? &*identification_ : nullptr;
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
    for (const Record record : Records())
        count += record.Suspicion() != Suspect::kNone ? 1 : 0;
    return count;
}

int ParameterSet::SuspectRecords(Suspect kind) const {
    int count = 0;
    for (const Record record : Records())
        count += record.Suspicion() == kind ? 1 : 0;
    return count;
}

std::string DataFileTextOf(const ParameterSet& set) {
    std::string text;
    text.reserve(set.TextSize());
    for (const Record record : set.Records())
        record.AppendTo(text);
    return text;
}

}  // namespace kdm
