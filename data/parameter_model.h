// The parameter set of one device, parsed once from the text of a data file (or of "KDM.tmp" after a
// read): its records, its identification and device type, the system parameters by letter and the
// programs by number with their parameters by letter, each value with its telegram and a typed flag
// for telegrams that cannot be trusted. Tables, command-line output and comparisons are functions of
// this model; none of them reads the text again.
//
// Records. The text is cut into records before every STX and after every record terminator (CR LF CR),
// which is how every reader of the tool finds them: a record that lost its terminator ends where the
// next STX begins. A record in one of the two forms a read stores (the identification record first,
// then annotated telegram records) is recognised as such; any other record is raw. The set keeps the
// text once and its records keep only where they lie in it, so DataFileTextOf gives back exactly the
// bytes parsed, for every text, and a set costs a small multiple of its text whatever the text holds.
//
// Sections. The system and program sections are the records the two tables walk (the system section:
// every record from the first STX past the identification up to the first 'P' record; the program
// section: from the first 'P' of the text on, up to a 'g' record). For a file as a read stores it every
// telegram record lies in exactly one section; in a damaged file a record may lie in both or in
// neither, and parameters found before the first 'P' record of the program section form a program
// without number.
//
// Thread safety: a ParameterSet is an immutable value; const use from several threads is safe.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kdm {

// Texts longer than this are refused: they are no data file (files are read up to the same size).
inline constexpr std::size_t kMaxParameterSetText = 64u * 1024u * 1024u;
// A parsed set keeps 32 bits a record: its offset in this many, what the parse found in the rest.
inline constexpr unsigned kRecordOffsetBits = 27;
inline constexpr std::uint32_t kRecordOffsetMask = (1u << kRecordOffsetBits) - 1;
static_assert(kMaxParameterSetText <= kRecordOffsetMask, "offsets must fit their bits");

// Why a telegram cannot be trusted.
enum class Suspect : std::uint8_t {
    kNone,      // complete frame, checksum as computed on reception, record as a read stores it
    kMismatch,  // stored with " !!!": the checksum computed on reception differed from the received one
    kDamaged,   // the frame was damaged on the line (stored with " !!!" all the same), or the record
                // itself is not as a read stores it (cut, edited, lost its terminator)
};

// "mismatch", "damaged", or "" for kNone: the words scripts get.
std::string_view SuspectName(Suspect suspect);

struct Layout;
struct LayoutEntry;

// The string id of the name the tables show a record under by `layout` (165, a single blank, for a
// letter the layout does not name), or 0 when they leave it out: a letter the layout passes over, or
// an unlisted letter with a 'g' in its value.
int ShownNameId(const Layout& layout, std::string_view letter, std::string_view value);

// ShownNameId, and the entry naming a letter, for one layout: looked up by letter in tables made once,
// where the layout itself is searched entry by entry. A file's every record asks.
class LayoutLetters {
  public:
    explicit LayoutLetters(const Layout& layout);
    int ShownNameId(std::string_view letter, std::string_view value) const;
    // The entry naming `letter`, or null (also for an empty letter).
    const LayoutEntry* Entry(std::string_view letter) const;

  private:
    static constexpr int kUnlistedLetter = -1;  // its name depends on the value
    std::array<const LayoutEntry*, 256> entries_{};
    std::array<int, 256> nameIds_{};
};

// Display text of a 9-character value: "--" -> two blanks (left to right, no overlap), "+" -> blank,
// a trailing "-" -> blank. Same length; empty stays empty.
std::string FormatValue(std::string_view value);

// The forms a record can have.
enum class RecordForm : std::uint8_t {
    kIdentification,  // first record only: STX, the 14 characters of a 'g' telegram, CR LF CR
    kTelegram,        // a telegram text as received, " QS ", the computed checksum, [" !!!"], CR LF CR
    kRaw,             // anything else, kept byte for byte
};

// One record of a parsed text: a view of the text its set keeps, made when ParameterSet::Records()
// hands it out (the set keeps 4 bytes a record, so that a text of millions of one-byte records costs
// a few times its size). Valid while that set, or a copy of it, lives.
class Record {
  public:
    RecordForm Form() const { return static_cast<RecordForm>(kind_ & kFormMask); }
    // Index of the record's first byte in the text.
    std::size_t Offset() const { return offset_; }
    // Length of the record in bytes, terminator included.
    std::size_t Size() const { return size_; }
    // True when the record begins with STX: only such records are telegrams to any reader.
    bool StartsWithStx() const;
    // The 14 telegram characters after the STX as every reader takes them (the tables, the write):
    // for a record cut short they run on into the bytes that follow it, and they are fewer at the end
    // of the text. Empty for a record that does not begin with STX. A copy.
    std::string Telegram() const { return std::string(TelegramView()); }
    // Telegram position 1, empty when the telegram is too short to have one.
    std::string_view Letter() const;
    // Telegram positions 2 to 10: sign, six value characters, two suffix characters (fewer when cut).
    std::string_view Value() const;
    // Ends with " !!!" (before its terminator): the read marked it.
    bool Marked() const { return (kind_ & kMarkedBit) != 0; }
    Suspect Suspicion() const { return static_cast<Suspect>(kind_ >> kSuspectShift); }
    // kTelegram: the telegram text as received (STX, up to 14 characters and the byte after them).
    // kIdentification: STX and the 14 characters. kRaw: every byte of the record. A copy.
    std::string Bytes() const { return std::string(BytesView()); }
    // Appends the record's bytes, exactly as they stand in the text.
    void AppendTo(std::string& text) const;
    // Telegram() and Bytes() without the copy: views into the set's text, valid while the set lives
    // (not merely the Record, which is made on the spot).
    std::string_view TelegramView() const;
    std::string_view BytesView() const;

  private:
    friend class ParameterSet;
    friend class RecordList;
    // What the parse found, in 5 bits: form, mark, suspicion.
    static constexpr std::uint8_t kFormMask = 3;
    static constexpr std::uint8_t kMarkedBit = 4;
    static constexpr std::uint8_t kSuspectShift = 3;
    static std::uint8_t KindOf(RecordForm form, bool marked, Suspect suspect) {
        return static_cast<std::uint8_t>(static_cast<unsigned>(form) | (marked ? kMarkedBit : 0u) |
                                         (static_cast<unsigned>(suspect) << kSuspectShift));
    }

    Record(const std::string* text, std::size_t offset, std::size_t size, std::uint8_t kind)
        : text_(text),
          offset_(static_cast<std::uint32_t>(offset)),
          size_(static_cast<std::uint32_t>(size)),
          kind_(kind) {}
    // Every byte of the record, terminator included.
    std::string_view Whole() const;

    const std::string* text_;
    std::uint32_t offset_;
    std::uint32_t size_;
    std::uint8_t kind_;
};

// The records of a parsed text, in order; together they hold every byte of it. Indexable and iterable
// like a vector, each element a Record made on the spot. A view of its set: valid while the set lives
// where it is (a moved set hands out new lists); so name the set before walking its records, as
// `for (r : ParseParameterSet(text).set.Records())` would walk a set already gone.
class RecordList {
  public:
    class Iterator {
      public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Record;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = Record;

        Iterator() = default;
        Record operator*() const { return (*list_)[k_]; }
        Iterator& operator++() {
            ++k_;
            return *this;
        }
        Iterator operator++(int) {
            const Iterator before = *this;
            ++k_;
            return before;
        }
        bool operator==(const Iterator& other) const { return k_ == other.k_; }

      private:
        friend class RecordList;
        Iterator(const RecordList* list, std::size_t k) : list_(list), k_(k) {}
        const RecordList* list_ = nullptr;
        std::size_t k_ = 0;
    };

    RecordList() = default;
    std::size_t size() const { return entries_ == nullptr ? 0 : entries_->size(); }
    bool empty() const { return size() == 0; }
    Record operator[](std::size_t k) const;
    Record front() const { return (*this)[0]; }
    Record back() const { return (*this)[size() - 1]; }
    Iterator begin() const { return Iterator(this, 0); }
    Iterator end() const { return Iterator(this, size()); }

  private:
    friend class ParameterSet;
    RecordList(const std::string* text, const std::vector<std::uint32_t>* entries)
        : text_(text), entries_(entries) {}
    const std::string* text_ = nullptr;
    const std::vector<std::uint32_t>* entries_ = nullptr;
};

// One parameter as the tables show it.
struct Parameter {
    std::size_t record = 0;  // index into ParameterSet::Records(); the record number in the file minus 1
    std::string telegram;    // the 14 telegram characters (fewer when cut)
    Suspect suspect = Suspect::kNone;
    // String id of the name the tables show (165, a single blank, for a letter the layout does not
    // name); 0 when the device type has no layouts.
    int nameId = 0;

    // Telegram position 1: one character, or empty when the telegram was cut before it.
    std::string_view Letter() const;
    // The nine value characters as stored (fewer when cut).
    std::string_view Value() const;
    // The name as the tables show it, blanks included; empty for nameId 0.
    std::string_view Name() const;
    // The value as its table cell shows it (FormatValue: "+000123--" gives " 000123  ").
    std::string ShownValue() const;
    // The shown value without the blanks around it ("000123"): what scripts get.
    std::string ValueText() const;
};

struct Program {
    // The 'P' record, whose value is the program number; none for the parameters a damaged file puts
    // in the program section before its first 'P' record.
    std::optional<Parameter> number;
    std::vector<Parameter> parameters;  // in the order of their records

    // The program number as a count ("+000012--" gives 12): sign and digits up to the first other
    // character; none without a 'P' record or without digits.
    std::optional<int> Number() const;
    // The number's ValueText(), empty without a 'P' record.
    std::string NumberText() const;
    // The parameter the tables show for `letter`: of several with that letter, the last one, which
    // overwrites the others in a named column. Null when there is none.
    const Parameter* Find(char letter) const;
};

// The records one table walks (see Sections above): the records that begin with STX among a run of
// consecutive records, as indexes into ParameterSet::Records(), in order. A view of its set, as
// RecordList is.
class SectionRecords {
  public:
    class Iterator {
      public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::size_t;
        using difference_type = std::ptrdiff_t;
        using pointer = const std::size_t*;
        using reference = std::size_t;

        Iterator() = default;
        std::size_t operator*() const { return k_; }
        Iterator& operator++();
        Iterator operator++(int);
        bool operator==(const Iterator& other) const { return k_ == other.k_; }

      private:
        friend class SectionRecords;
        Iterator(const std::string* text, const std::vector<std::uint32_t>* entries, std::size_t k,
                 std::size_t end);
        void SkipToStx();
        const std::string* text_ = nullptr;
        const std::vector<std::uint32_t>* entries_ = nullptr;
        std::size_t k_ = 0;
        std::size_t end_ = 0;
    };

    SectionRecords() = default;
    Iterator begin() const { return Iterator(text_, entries_, first_, end_); }
    Iterator end() const { return Iterator(text_, entries_, end_, end_); }
    bool empty() const { return begin() == end(); }

  private:
    friend class ParameterSet;
    SectionRecords(const std::string* text, const std::vector<std::uint32_t>* entries, std::size_t first,
                   std::size_t end)
        : text_(text), entries_(entries), first_(first), end_(end) {}
    const std::string* text_ = nullptr;
    const std::vector<std::uint32_t>* entries_ = nullptr;
    std::size_t first_ = 0;
    std::size_t end_ = 0;
};

// A section lists at most this many records shorter than a frame (an STX and the 15 bytes after it);
// at the next one its listing stops, and the parameters and programs it would have listed from there
// on are only counted (ParameterSet::UnlistedRecords). No read stores more than a handful of such
// records; a text of thousands is noise, which would otherwise cost a listed parameter per byte.
inline constexpr std::size_t kMaxListedShortRecords = 1024;

struct ParsedParameterSet;

class ParameterSet {
  public:
    // The set of an empty text: no records, device type 0.
    ParameterSet() = default;

    // The set a read of a device holding these telegrams would store: the identification record of
    // `identification` (the 14 characters of the 'g' telegram), then one telegram record per telegram
    // (14 characters each), marked " !!!" where its checksum does not match.
    static ParameterSet OfTelegrams(std::string_view identification, std::span<const std::string> telegrams);

    // Every record of the text, in order; together they hold every byte of it.
    RecordList Records() const { return {text_.get(), &entries_}; }
    // Bytes of the text the set was parsed from.
    std::size_t TextSize() const { return text_ ? text_->size() : 0; }

    // Recognised once, from the first STX of the text (the identification record).
    int DeviceType() const { return deviceType_; }
    // The 11 characters after the first STX (telegram positions 0 to 10 of the identification).
    const std::string& Heading() const { return heading_; }
    // The first record when it is an identification record as a read stores it, else null.
    const Record* Identification() const;

    // The records each table walks, in order (see Sections above).
    SectionRecords SystemSection() const { return {text_.get(), &entries_, systemFirst_, systemEnd_}; }
    SectionRecords ProgramSection() const { return {text_.get(), &entries_, programFirst_, programEnd_}; }

    // The parameters the tables show, by the layouts of the device type: records whose letter the
    // layout passes over, and unlisted letters with a 'g' in their value, are left out. Without layouts
    // (type 0) every record of a section is listed, without names. A section that holds more than
    // kMaxListedShortRecords records shorter than a frame lists them up to that many and no further.
    const std::vector<Parameter>& SystemParameters() const { return system_; }
    const std::vector<Program>& Programs() const { return programs_; }
    // Parameters and 'P' records of the sections that SystemParameters() and Programs() leave out
    // because their section held too many records shorter than a frame; 0 for every file a read stores.
    std::size_t UnlistedRecords() const { return unlisted_; }

    // The system parameter the tables show for `letter` (the last of several), or null.
    const Parameter* FindSystemParameter(char letter) const;
    // The first program with that number, or null.
    const Program* FindProgram(int number) const;

    // Telegram records that cannot be trusted (identification record included), by kind.
    int SuspectRecords() const;
    int SuspectRecords(Suspect kind) const;

  private:
    friend ParsedParameterSet ParseParameterSetInPlace(std::string&& text);
    void Cut();
    std::uint8_t ParseRecord(std::size_t offset, std::size_t end, bool first) const;
    void Derive();
    template <class Visit>
    std::size_t WalkListed(SectionRecords section, const LayoutLetters* layout, bool programSection,
                           Visit&& visit) const;

    // Shared by copies; never changed after parsing, so records may point into it.
    std::shared_ptr<const std::string> text_;
    // Per record its offset in the low kRecordOffsetBits bits and what the parse found (Record::KindOf)
    // above them: a record ends where the next one begins.
    std::vector<std::uint32_t> entries_;
    std::optional<Record> identification_;
    int deviceType_ = 0;
    std::string heading_;
    std::size_t systemFirst_ = 0;
    std::size_t systemEnd_ = 0;
    std::size_t programFirst_ = 0;
    std::size_t programEnd_ = 0;
    std::vector<Parameter> system_;
    std::vector<Program> programs_;
    std::size_t unlisted_ = 0;
};

struct ParsedParameterSet {
    bool ok = false;
    ParameterSet set;    // empty when !ok
    std::string reason;  // why the text was refused, when !ok
};

// Every text up to kMaxParameterSetText bytes is accepted, NUL bytes included, whatever its records
// look like; only a longer text is refused. The set keeps a copy of the text.
ParsedParameterSet ParseParameterSet(std::string_view text);
// The same, keeping `text` itself instead of a copy (a file's text is as large as the rest of the set).
ParsedParameterSet ParseParameterSetInPlace(std::string&& text);

// The text of the set: for a parsed set, exactly the bytes it was parsed from.
std::string DataFileTextOf(const ParameterSet& set);

}  // namespace kdm
