// One set of data files damaged the ways a copy that stopped, a full disk, `cat` or a text editor damage
// them, each with the verdict that `show`, `diff`, the table window, the write check and the write must
// all give on it. Header-only, so that the unit, integration and GUI tests walk the same files.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "data/file_verdict.h"
#include "support/dump_builder.h"

namespace kdmtest {

struct DamagedFile {
    const char* name;
    std::string bytes;
    kdm::FileVerdict verdict;
    // Frames a write sends when it sends the file (for kAsk: once the user allows it); 0 when refused.
    int frames;
    // One line of the findings, as DescribeWriteFinding words it; empty for a writable file.
    std::string listed;
};

inline void PrintTo(const DamagedFile& file, std::ostream* os) {
    *os << file.name;
}

// Type 2 ("I1P"), as a read stores it: records 1 identification, 2 'a', 3 'b' (marked when asked),
// 4 'c', 5 'P' (program 1), 6 'A', 7 'B', 8 'P' (program 2), 9 'A', 10 'B'; nine frames, 26 bytes
// each after the 18 of the identification.
inline std::string SoundDataFile(bool markB = false) {
    DumpBuilder dump("I1P");
    dump.Add('a', Value(11)).Add('b', Value(22), markB).Add('c', Value(33));
    dump.Program(1).Add('A', Value(44)).Add('B', Value(55));
    dump.Program(2).Add('A', Value(66)).Add('B', Value(77));
    return dump.Text();
}

inline std::vector<DamagedFile> DamagedFiles() {
    using kdm::FileVerdict;
    const std::string sound = SoundDataFile();
    const std::size_t size = sound.size();
    std::string edited = sound;
    edited.replace(edited.find(Value(44)), 9, Value(45));
    const std::string sumC = kdm::ComputeChecksum("\x02" + TelegramChars('c', Value(33)));
    std::string afterAnnotation = sound;
    afterAnnotation.replace(afterAnnotation.find(" QS " + sumC + "\r\n\r"), 7, " QS " + sumC + " by hand");
    // Printable bytes without STX or a record terminator: what a mail program or an editor appends.
    std::string garbage;
    for (int i = 0; i < 300; ++i)
        garbage += static_cast<char>('!' + (i * 7) % 90);
    const std::string lastCut =
        "record 10, program 000002, letter B: the file ends inside a record: it was cut short";
    return {
        {"asRead", sound, FileVerdict::kWritable, 9, ""},
        {"markedRecord", SoundDataFile(true), FileVerdict::kAsk, 9,
         "record 3, system, letter b: marked \" !!!\": its checksum did not match when it was read"},
        // Cut short at several points of the last record: inside the frame (that frame is damaged and
        // not sent), right after its ETX, inside " QS nnn", inside CR LF CR.
        {"cutInsideTheLastFrame", sound.substr(0, size - 26 + 8), FileVerdict::kRefused, 0,
         "record 10, program 000002, letter B: the frame is cut short (8 of its 16 bytes)"},
        {"cutAfterTheLastFrame", sound.substr(0, size - 10), FileVerdict::kAsk, 9, lastCut},
        {"cutInsideTheLastAnnotation", sound.substr(0, size - 5), FileVerdict::kAsk, 9, lastCut},
        {"cutInsideTheLastTerminator", sound.substr(0, size - 2), FileVerdict::kAsk, 9, lastCut},
        // The identification and one whole frame, cut after byte 40.
        {"cutAfterByte40", sound.substr(0, 40), FileVerdict::kAsk, 1,
         "record 2, system, letter a: the file ends inside a record: it was cut short"},
        {"garbageAfterTheLastRecord", sound + garbage, FileVerdict::kRefused, 0,
         "record 11: 300 bytes after the last record are no record"},
        // `cat a.KDM b.KDM`: the second identification is a frame without ETX to the write.
        {"joinedFiles", sound + sound, FileVerdict::kRefused, 0,
         "record 11, letter g: the frame does not end in ETX"},
        {"valueEditedWithoutItsChecksum", edited, FileVerdict::kRefused, 0,
         "record 6, program 000001, letter A: its checksum does not match its characters"},
        {"bytesAfterTheAnnotation", afterAnnotation, FileVerdict::kRefused, 0,
         "record 4, system, letter c: 8 bytes after its annotation \"QS " + sumC +
             "\": a read stores nothing there"},
    };
}

}  // namespace kdmtest
