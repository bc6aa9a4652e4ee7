// The parameter set of one device, parsed once from the text of a data file (or of "KDM.tmp" after a
// read): its records, its identification and device type, the system parameters by letter and the
// programs by number with their parameters by letter, each value with its telegram and a typed flag
// for telegrams that cannot be trusted. Tables, command-line output and comparisons are functions of
// this model; none of them reads the text again.
//
// Records. The text is cut into records before every STX and after every record terminator (CR LF CR),
// which is how every reader of the tool finds them: a record that lost its terminator ends where the
// next STX begins. A record in one of the two forms a read stores (the identification record first,
// then annotated telegram records) is kept as its parsed fields; any other record keeps its bytes as
// they are. DataFileTextOf gives back exactly the bytes parsed, for every text.
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

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kdm {

// Texts longer than this are refused: they are no data file (files are read up to the same size).
inline constexpr std::size_t kMaxParameterSetText = 64u * 1024u * 1024u;

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

// The string id of the name the tables show a record under by `layout` (165, a single blank, for a
// letter the layout does not name), or 0 when they leave it out: a letter the layout passes over, or
// an unlisted letter with a 'g' in its value.
int ShownNameId(const Layout& layout, std::string_view letter, std::string_view value);

// Display text of a 9-character value: "--" -> two blanks (left to right, no overlap), "+" -> blank,
// a trailing "-" -> blank. Same length; empty stays empty.
std::string FormatValue(std::string_view value);

// The forms a record can have.
enum class RecordForm : std::uint8_t {
    kIdentification,  // first record only: STX, the 14 characters of a 'g' telegram, CR LF CR
    kTelegram,        // a telegram text as received, " QS ", the computed checksum, [" !!!"], CR LF CR
    kRaw,             // anything else, kept byte for byte
};

class Record {
  public:
    RecordForm Form() const { return form_; }
    // Index of the record's first byte in the text.
    std::size_t Offset() const { return offset_; }
    // Length of the record in bytes, terminator included.
    std::size_t Size() const { return size_; }
    // True when the record begins with STX: only such records are telegrams to any reader.
    bool StartsWithStx() const { return startsWithStx_; }
    // The 14 telegram characters after the STX as every reader takes them (the tables, the write):
    // for a record cut short they run on into the bytes that follow it, and they are fewer at the end
    // of the text. Empty for a record that does not begin with STX.
    const std::string& Telegram() const { return telegram_; }
    // Telegram position 1, empty when the telegram is too short to have one.
    std::string_view Letter() const;
    // Telegram positions 2 to 10: sign, six value characters, two suffix characters (fewer when cut).
    std::string_view Value() const;
    // Ends with " !!!" (before its terminator): the read marked it.
    bool Marked() const { return marked_; }
    Suspect Suspicion() const { return suspect_; }
    // kTelegram: the telegram text as received (STX, up to 14 characters and the byte after them).
    // kIdentification: STX and the 14 characters. kRaw: every byte of the record.
    const std::string& Bytes() const { return bytes_; }
    // Appends the record's bytes, exactly as they stand in the text.
    void AppendTo(std::string& text) const;

  private:
    friend class ParameterSet;
    RecordForm form_ = RecordForm::kRaw;
    bool startsWithStx_ = false;
    bool marked_ = false;
    Suspect suspect_ = Suspect::kDamaged;
    std::size_t offset_ = 0;
    std::size_t size_ = 0;
    std::string bytes_;
    std::string telegram_;
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

struct ParsedParameterSet;

class ParameterSet {
  public:
    // The set of an empty text: no records, device type 0.
    ParameterSet() = default;

    // The set a read of a device holding these telegrams would store: the identification record of
    // `identification` (the 14 characters of the 'g' telegram), then one telegram record per telegram
    // (14 characters each), marked " !!!" where its checksum does not match.
    static ParameterSet OfTelegrams(std::string_view identification, std::span<const std::string> telegrams);

    const std::vector<Record>& Records() const { return records_; }
    // Bytes of the text the set was parsed from.
    std::size_t TextSize() const { return size_; }

    // Recognised once, from the first STX of the text (the identification record).
    int DeviceType() const { return deviceType_; }
    // The 11 characters after the first STX (telegram positions 0 to 10 of the identification).
    const std::string& Heading() const { return heading_; }
    // The first record when it is an identification record as a read stores it, else null.
    const Record* Identification() const;

    // Indexes into Records() of the records each table walks, in order (see Sections above).
    const std::vector<std::size_t>& SystemSection() const { return systemSection_; }
    const std::vector<std::size_t>& ProgramSection() const { return programSection_; }

    // The parameters the tables show, by the layouts of the device type: records whose letter the
    // layout passes over, and unlisted letters with a 'g' in their value, are left out. Without layouts
    // (type 0) every record of a section is listed, without names.
    const std::vector<Parameter>& SystemParameters() const { return system_; }
    const std::vector<Program>& Programs() const { return programs_; }

    // The system parameter the tables show for `letter` (the last of several), or null.
    const Parameter* FindSystemParameter(char letter) const;
    // The first program with that number, or null.
    const Program* FindProgram(int number) const;

    // Telegram records that cannot be trusted (identification record included), by kind.
    int SuspectRecords() const;
    int SuspectRecords(Suspect kind) const;

  private:
    friend ParsedParameterSet ParseParameterSet(std::string_view text);
    static Record ParseRecord(std::string_view text, std::size_t offset, std::size_t end, bool first);
    void Derive(std::string_view text);

    std::vector<Record> records_;
    std::size_t size_ = 0;
    int deviceType_ = 0;
    std::string heading_;
    std::vector<std::size_t> systemSection_;
    std::vector<std::size_t> programSection_;
    std::vector<Parameter> system_;
    std::vector<Program> programs_;
};

struct ParsedParameterSet {
    bool ok = false;
    ParameterSet set;    // empty when !ok
    std::string reason;  // why the text was refused, when !ok
};

// Every text up to kMaxParameterSetText bytes is accepted, NUL bytes included, whatever its records
// look like; only a longer text is refused.
ParsedParameterSet ParseParameterSet(std::string_view text);

// The text of the set: for a parsed set, exactly the bytes it was parsed from.
std::string DataFileTextOf(const ParameterSet& set);

}  // namespace kdm
