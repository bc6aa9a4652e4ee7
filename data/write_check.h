// What a data file must be before any of its telegrams is sent into a device, and whether a file can
// be shown at all. Pure functions of the parsed parameter set: the command line and the desktop
// application ask the same questions and get the same answers.
//
// The write sends the 16 bytes after every STX past the identification record, whatever they are, and
// a device takes each one it acknowledges. So every such frame must be whole (its record holds STX, 14
// characters and ETX) and carry the checksum of its characters; a record the read marked " !!!" may be
// sent only when the user says so; a file without parameters or with more programs than a device holds
// is refused whole.
//
// Beyond the frames, every record the parameter model calls damaged is a finding, so that the write
// never sends a file that `show` and the table window call damaged: bytes that are no record (between
// records or after the last one), a record with bytes after its annotation or with an annotation a read
// would not have written, a record that runs into the next one without its terminator. All of them are
// refused. A file that ends inside its last record (a copy that stopped, a full disk) is listed and may
// be written knowingly, like a marked record: its frames may be whole, but nobody knows what followed.
//
// The findings are typed (what, where, how much); each front end words them. Only the first
// kKeptFindings are kept one by one, so that a file of noise costs no more memory than a few times its
// size; the rest are counted.
//
// Thread safety: pure, no shared state.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/parameter_model.h"

namespace kdm {

// Programs a device holds, and rows the program table has for them.
inline constexpr int kMaxPrograms = 255;

enum class WriteProblem : std::uint8_t {
    kNoIdentification,  // the text does not begin with an identification record as a read stores it
    kCutShort,          // fewer than STX, 14 characters and the byte after them before the record ends
    kNoEtx,             // the byte after the 14 characters is not ETX
    kChecksum,          // not marked, yet its checksum characters are not the sum of its characters
    kMarked,            // marked " !!!" by the read: the checksum did not match on reception
    kChangedAfterRead,  // marked, but the frame no longer is what the read marked
    kNoParameters,      // no telegram follows the identification
    kTooManyPrograms,   // a program past the kMaxPrograms-th
    kFileCutShort,      // the last record has no terminator: the file ends inside it (overridable)
    kTrailingBytes,     // bytes after the last record that are no record (`bytes` counts them)
    kNotARecord,        // bytes between two records that are no record (`bytes` counts them)
    kAfterAnnotation,   // bytes after the record's " QS nnn" annotation (`bytes` counts them)
    kAnnotation,        // what follows the frame is not the annotation a read writes for it
    kNoTerminator,      // the record runs into the next one without its CR LF CR
};
inline constexpr std::size_t kWriteProblemKinds = static_cast<std::size_t>(WriteProblem::kNoTerminator) + 1;

// Findings kept one by one; past them only their counts.
inline constexpr std::size_t kKeptFindings = 1000;

struct WriteFinding {
    // The record's number in the file, counting from 1 with the identification record (the line a
    // text editor shows it on, with CR LF CR as one line end); 0 for the file as a whole.
    int record = 0;
    // The program the record belongs to (its 'P' record's value text, "000012"); "system" for the
    // system block; empty when the record lies in neither.
    std::string program;
    std::string letter;  // telegram position 1 as stored, empty when there is none
    WriteProblem problem = WriteProblem::kNoIdentification;
    // The bytes the problem is about: the bytes that are no record (kTrailingBytes, kNotARecord), those
    // after the annotation (kAfterAnnotation), the frame's (kCutShort); 0 otherwise.
    std::size_t bytes = 0;
    // kTooManyPrograms: the programs the file holds; 0 otherwise.
    int programs = 0;
    // kAfterAnnotation, kAnnotation: the annotation a read writes after this frame ("QS 123"); empty
    // otherwise.
    std::string annotation;
    // The user may have it sent knowingly (--allow-suspect, or Yes to the question): a whole frame
    // that the read marked and that nobody changed since, and the end of a file cut short; never a
    // damaged frame.
    bool overridable = false;
};

struct WriteCheck {
    // In file order, the first kKeptFindings of them; then the program past the limit and a missing
    // parameter, when there are, whatever came before.
    std::vector<WriteFinding> findings;
    // Findings past the kept ones, counted in the totals below but not listed.
    int unlisted = 0;
    int frames = 0;    // frames the write would send
    int programs = 0;  // 'P' frames among them
    // Bytes after the last record that are no record; 0 when the file ends with a record.
    std::size_t trailingBytes = 0;
    // The file ends inside its last record.
    bool cutShort = false;

    // Every finding, listed or not.
    int Total() const { return total_; }
    bool Empty() const { return total_ == 0; }
    // Findings nobody may override.
    int Blocking() const { return total_ - overridable_; }
    // Findings a user may override.
    int Overridable() const { return overridable_; }
    // Findings of one kind.
    int Count(WriteProblem problem) const { return counts_[static_cast<std::size_t>(problem)]; }

    // Counts `finding` and lists it while fewer than kKeptFindings are, or when `always`.
    void Add(WriteFinding finding, bool always = false);

  private:
    int total_ = 0;
    int overridable_ = 0;
    std::array<int, kWriteProblemKinds> counts_{};
};

// Every finding of `set`, as parsed from the file text the write would send.
WriteCheck CheckFileForWriting(const ParameterSet& set);

// The English words for what is wrong, without the place: "the frame does not end in ETX".
std::string WriteFindingReason(const WriteFinding& finding);

// "record 7, program 000012, letter A: the frame does not end in ETX" (control bytes legible).
std::string DescribeWriteFinding(const WriteFinding& finding);

// What the user reads before anything is sent: a first line saying what is wrong (nothing may be
// sent, or only marked records or a cut were found, on which the user may decide), then one line per
// listed finding, and "... and N more" for those not listed. Empty when there are no findings.
std::string DescribeWriteCheck(const WriteCheck& check);

// True when the text begins with an identification telegram: its first record starts with STX and
// carries the letter 'g'. A text without one (empty, garbage, another kind of file) is no data file,
// and its tables would show nothing but a device type 0.
bool HasIdentificationTelegram(const ParameterSet& set);

}  // namespace kdm
