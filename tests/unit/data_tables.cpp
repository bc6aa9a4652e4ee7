// Table filling from built dumps, checked cell by cell in memory grids.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/catalogue.h"
#include "data/grid.h"
#include "data/strings.h"
#include "data/tables.h"
#include "support/dump_builder.h"

namespace {

using kdm::FormatValue;
using kdm::MemoryGrid;
using kdm::ParameterTables;
using kdmtest::DumpBuilder;
using kdmtest::Value;

struct Shown {
    MemoryGrid system;
    MemoryGrid program;
    int type = -1;
    int suspect = -1;
};

Shown Show(const std::string& dump) {
    Shown shown;
    ParameterTables tables(shown.system, shown.program);
    shown.type = tables.ShowDump(dump);
    shown.suspect = tables.SuspectValues();
    return shown;
}

TEST(FormatValue, Cases) {
    struct Case {
        const char* value;
        const char* shown;
    };
    const Case cases[] = {
        {"+123456--", " 123456  "},
        {"-123456--", "-123456  "},
        {"+1234567-", " 1234567 "},
        {"-12345---", "-12345   "},
        {"123456789", "123456789"},
        {"+", " "},
        {"", ""},
        {"-", " "},
        {"---", "   "},
        {"a-b", "a-b"},
        {"-+-", "-  "},
        {"0-0--0", "0-0  0"},
        {"+-", "  "},
        {"--0", "  0"},
        {"-0-", "-0 "},
        {"+0P0g0\x03--", " 0P0g0\x03  "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatValue(c.value), c.shown) << '"' << c.value << '"';
}

// Per type: the device code, the system letters of rows 1, 2, ... and the program letters of
// columns 0, 1, ...
struct TypeCase {
    int type;
    const char* code;
    std::string systemLetters;
    std::string programLetters;
};

const std::vector<TypeCase> kTypes = {
    {1, "I10", "devhkinmjyqpK", "PJNuoVWEGXRYrtC"},
    {2, "I1I", "hv@p12ijn9dqxkm", "PJNuoVWEGXRYrtC"},
    {3, "I1K", "dvhkinmjyqpK1234", "PJLNuoVWXQtC"},
    {4, "IKI", "hv@p12ijn9dqxkm3456", "PJLNuoVWXQtC"},
    {5, "IKV", "hinmyqp567", "PNuoVWXQt"},
    {10, "E20", "dvhkilmjxy7", "PJNuotQGE"},
    {11, "E2P", "hv@1il2jndqxkm", "PJNuotEGQ"},
    {12, "E10", "devhkilmjxyz", "PJNUOuot"},
    {13, "E1P", "hv@12iljndqxkm", "PJNuot"},
    {20, "U20", "dvhkilmj7x", "PJLKNUOuotEG"},
    {21, "U2P", "hv@p12iljn9dqxkm34567", "PJLKNuotEG"},
    {22, "U10", "devhkilmjyz", "PJLKNUOuot"},
    {23, "U1P", "hv@12ijdqxkm", "PJLKNuot"},
};

TEST(ShowDump, EveryTypePlacesNamedAndUnlistedLetters) {
    for (const TypeCase& t : kTypes) {
        SCOPED_TRACE("type " + std::to_string(t.type));
        DumpBuilder dump(t.code);
        // Named letters in reverse order: the row comes from the letter, not from the order.
        for (std::size_t i = t.systemLetters.size(); i-- > 0;)
            dump.Add(t.systemLetters[i], Value(100 + int(i)));
        dump.Add('#', Value(1)).Add('&', Value(2));
        dump.Program(7);
        for (std::size_t i = t.programLetters.size(); i-- > 1;)
            dump.Add(t.programLetters[i], Value(200 + int(i)));
        dump.Add('#', Value(3)).Add('&', Value(4));

        const Shown shown = Show(dump.Text());
        ASSERT_EQ(shown.type, t.type);
        const int named = static_cast<int>(t.systemLetters.size());
        for (int row = 1; row <= named; ++row) {
            const std::size_t i = static_cast<std::size_t>(row - 1);
            EXPECT_FALSE(shown.system.Cell(row, 0).empty()) << "row " << row;
            EXPECT_EQ(shown.system.Cell(row, 1), std::string(1, t.systemLetters[i])) << "row " << row;
            EXPECT_EQ(shown.system.Cell(row, 2), FormatValue(Value(100 + row - 1))) << "row " << row;
        }
        EXPECT_EQ(shown.system.Cell(named + 1, 0), " ");
        EXPECT_EQ(shown.system.Cell(named + 1, 1), "#");
        EXPECT_EQ(shown.system.Cell(named + 1, 2), " 000001  ");
        EXPECT_EQ(shown.system.Cell(named + 2, 1), "&");
        for (int row = named + 3; row < kdm::kSystemRows; ++row)
            EXPECT_EQ(shown.system.Cell(row, 1), "");

        const int columns = static_cast<int>(t.programLetters.size());
        EXPECT_EQ(shown.program.Cell(2, 0), " 000007  ");
        EXPECT_EQ(shown.program.Cell(1, 0), "P");
        for (int col = 1; col < columns; ++col) {
            const std::size_t i = static_cast<std::size_t>(col);
            EXPECT_FALSE(shown.program.Cell(0, col).empty()) << "column " << col;
            EXPECT_EQ(shown.program.Cell(1, col), std::string(1, t.programLetters[i])) << "column " << col;
            EXPECT_EQ(shown.program.Cell(2, col), FormatValue(Value(200 + col))) << "column " << col;
        }
        EXPECT_EQ(shown.program.Cell(0, columns), " ");
        EXPECT_EQ(shown.program.Cell(1, columns), "#");
        EXPECT_EQ(shown.program.Cell(2, columns), " 000003  ");
        EXPECT_EQ(shown.program.Cell(1, columns + 1), "&");
        if (columns + 2 < kdm::kProgramCols) {
            EXPECT_EQ(shown.program.Cell(1, columns + 2), "");
        }
        EXPECT_EQ(shown.system.RejectedWrites() + shown.program.RejectedWrites(), 0);
    }
}

// Names whose spelling and blanks are easy to get wrong, at the place each type shows them.
TEST(ShowDump, NamesAsShown) {
    struct NameCase {
        const char* code;
        bool system;  // else program row 0
        int position;
        char letter;
        const char* name;
    };
    const NameCase cases[] = {
        {"I10", true, 1, 'd', "Mode"},
        {"I10", true, 13, 'K', "Magnetic cord"},
        {"I1I", true, 12, 'q', "Hold 2-sheet"},
        {"I1I", true, 5, '1', "Bus: adress+baudrate"},
        {"I1K", true, 13, '1', "Sensortyp 1"},
        {"I1K", true, 16, '4', "Sensortyp 4"},
        {"IKV", true, 6, 'q', "Hold >/<"},
        {"E2P", true, 3, '@', "dimension Bus"},
        {"U2P", true, 4, 'p', " "},
        {"U2P", true, 20, '6', " "},
        {"U2P", true, 21, '7', "Measure"},
        {"U1P", true, 10, 'x', " "},
        {"I10", false, 3, 'u', "Lower limit "},
        {"I10", false, 0, 'P', "Program no."},
        {"E20", false, 1, 'J', " Sensor No."},
        {"E20", false, 6, 'Q', "Teach factor2"},
        {"E20", false, 8, 'E', "Teach factor 4"},
        {"E2P", false, 6, 'E', "Teach factor 2"},
        {"E2P", false, 8, 'Q', "Teach factor 4"},
        {"E20", false, 4, 'o', "Upper Limit "},
        {"E10", false, 4, 'O', "Upper Limit"},
        {"U20", false, 0, 'P', "Programm No."},
        {"U20", false, 7, 'u', "Lower limit "},
    };
    for (const NameCase& c : cases) {
        DumpBuilder dump(c.code);
        if (c.system) {
            dump.Add(c.letter, Value(5));
        } else {
            dump.Program(1);
            if (c.letter != 'P') dump.Add(c.letter, Value(5));
        }
        const Shown shown = Show(dump.Text());
        const MemoryGrid& grid = c.system ? shown.system : shown.program;
        const int row = c.system ? c.position : 0;
        const int col = c.system ? 0 : c.position;
        EXPECT_EQ(grid.Cell(row, col), c.name) << c.code << " " << c.letter;
    }
}

TEST(ShowDump, LetterNamedByOneTypeIsUnlistedInAnother) {
    const Shown type1 = Show(DumpBuilder("I10").Add('K', Value(9)).Text());
    EXPECT_EQ(type1.system.Cell(13, 1), "K");
    const Shown type2 = Show(DumpBuilder("I1I").Add('K', Value(9)).Text());
    EXPECT_EQ(type2.system.Cell(16, 0), " ");
    EXPECT_EQ(type2.system.Cell(16, 1), "K");
}

TEST(ShowDump, ControlLettersAreUnlistedUpToType13AndPassedOverFrom20) {
    for (const char letter : {'\x02', '\x03', '\n', '\r'}) {
        const Shown early = Show(DumpBuilder("I10").Add(letter, Value(1)).Add('d', Value(2)).Text());
        EXPECT_EQ(early.system.Cell(14, 1), std::string(1, letter));
        EXPECT_EQ(early.system.Cell(1, 2), " 000002  ");

        const Shown late = Show(DumpBuilder("U20").Add(letter, Value(1)).Add('#', Value(2)).Text());
        bool controlShown = false;
        bool hashShown = false;
        for (int row = 1; row < kdm::kSystemRows; ++row) {
            controlShown = controlShown || late.system.Cell(row, 1) == std::string(1, letter);
            hashShown = hashShown || late.system.Cell(row, 1) == "#";
        }
        EXPECT_FALSE(controlShown) << int(letter);
        EXPECT_TRUE(hashShown) << int(letter);
        if (letter != '\x02') {
            // '#' takes the first unlisted row: the control letter used none. (An STX letter is also
            // the start of a further record, which then takes that row.)
            EXPECT_EQ(late.system.Cell(11, 1), "#");
        }
    }
}

TEST(ShowDump, OnlyIdentificationRecord) {
    const Shown shown = Show(DumpBuilder("I10").Text());
    EXPECT_EQ(shown.type, 1);
    EXPECT_EQ(shown.system.Cell(0, 0), "System parameter");
    EXPECT_EQ(shown.system.Cell(0, 1), "");
    EXPECT_EQ(shown.system.Cell(0, 2), shown.system.Cell(0, 2).substr(0, 11));
    EXPECT_EQ(shown.system.Cell(0, 2).substr(0, 6), "0g+I10");
    EXPECT_EQ(shown.program.Cell(0, 0), "Program parameters");
    EXPECT_EQ(shown.program.CellWrites(), 1);
}

TEST(ShowDump, SizesWidthsAndAlignment) {
    const Shown shown = Show(DumpBuilder("I10").Add('d', Value(1)).Program(1).Text());
    EXPECT_EQ(shown.system.Rows(), 25);
    EXPECT_EQ(shown.system.Cols(), 3);
    EXPECT_EQ(shown.system.ColWidth(0), 2500);
    EXPECT_EQ(shown.system.ColWidth(1), 500);
    EXPECT_EQ(shown.system.ColWidth(2), 2000);
    EXPECT_EQ(shown.program.Rows(), 257);
    EXPECT_EQ(shown.program.Cols(), 19);
    for (int col = 0; col < 19; ++col)
        EXPECT_EQ(shown.program.ColWidth(col), 1000);
    EXPECT_TRUE(shown.program.Enabled());
    EXPECT_EQ(shown.system.Alignment(1, 2), kdm::kAlignLeftCenter);
    EXPECT_EQ(shown.program.Alignment(2, 0), kdm::kAlignLeftCenter);
    EXPECT_EQ(shown.system.Alignment(5, 2), 0);  // never written
}

TEST(ShowDump, TypeZeroWritesOnlyTheHeadingRow) {
    const Shown shown = Show(DumpBuilder("X99").Add('d', Value(1)).Program(1).Add('N', Value(2)).Text());
    EXPECT_EQ(shown.type, 0);
    EXPECT_EQ(shown.system.Cell(0, 0), "");
    EXPECT_EQ(shown.system.Cell(0, 2), "0g+X99000--");
    EXPECT_EQ(shown.system.CellWrites(), 2);
    EXPECT_EQ(shown.program.CellWrites(), 0);
    // The tables are still sized, so the window shows empty tables rather than none.
    EXPECT_EQ(shown.program.Rows(), 257);
}

TEST(ShowDump, HeadingIsNotFormatted) {
    const Shown shown = Show(DumpBuilder("I1-").Text());
    EXPECT_EQ(shown.system.Cell(0, 2), "0g+I1-000--");
}

TEST(ShowDump, FirstProgramOverwritesTheTitleCell) {
    const Shown shown = Show(DumpBuilder("I10").Program(1).Text());
    EXPECT_EQ(shown.program.Cell(0, 0), "Program no.");
}

TEST(ShowDump, SystemRecordAfterTheFirstProgramGoesToTheProgramTable) {
    const Shown shown =
        Show(DumpBuilder("I10").Add('d', Value(1)).Program(1).Add('N', Value(2)).Add('d', Value(3)).Text());
    EXPECT_EQ(shown.system.Cell(1, 2), " 000001  ");
    for (int row = 2; row < 25; ++row)
        EXPECT_EQ(shown.system.Cell(row, 1), "") << row;
    EXPECT_EQ(shown.program.Cell(2, 2), " 000002  ");
    // 'd' is no program letter of type 1: first unlisted column.
    EXPECT_EQ(shown.program.Cell(1, 15), "d");
    EXPECT_EQ(shown.program.Cell(2, 15), " 000003  ");
}

TEST(ShowDump, TwoProgramsAndTheirUnlistedColumns) {
    DumpBuilder dump("I10");
    dump.Program(1).Add('N', Value(11)).Add('#', Value(12));
    dump.Program(2).Add('N', Value(21)).Add('&', Value(22)).Add('%', Value(23)).Add('u', Value(24));
    const Shown shown = Show(dump.Text());
    EXPECT_EQ(shown.program.Cell(2, 0), " 000001  ");
    EXPECT_EQ(shown.program.Cell(3, 0), " 000002  ");
    EXPECT_EQ(shown.program.Cell(2, 2), " 000011  ");
    EXPECT_EQ(shown.program.Cell(3, 2), " 000021  ");
    EXPECT_EQ(shown.program.Cell(2, 15), " 000012  ");
    EXPECT_EQ(shown.program.Cell(3, 15), " 000022  ");  // starts again at the first unlisted column
    EXPECT_EQ(shown.program.Cell(3, 16), " 000023  ");
    EXPECT_EQ(shown.program.Cell(3, 3), " 000024  ");
    // Headers come from the first program only.
    EXPECT_EQ(shown.program.Cell(1, 15), "#");
    EXPECT_EQ(shown.program.Cell(0, 16), "");
    EXPECT_EQ(shown.program.Cell(1, 16), "");
    EXPECT_EQ(shown.program.Cell(0, 3), "");
    EXPECT_EQ(shown.program.Cell(1, 3), "");
}

TEST(ShowDump, UnlistedLetterWithGInItsValueIsDropped) {
    const Shown shown = Show(DumpBuilder("I10").Add('#', "+00g000--").Add('&', Value(5)).Text());
    EXPECT_EQ(shown.system.Cell(14, 1), "&");
    const Shown program = Show(DumpBuilder("I10").Program(1).Add('#', "+00g000--").Add('&', Value(5)).Text());
    EXPECT_EQ(program.program.Cell(2, 15), " 000005  ");
    // A named letter keeps its value even with a 'g' in it.
    const Shown named = Show(DumpBuilder("I10").Add('d', "+00g000--").Text());
    EXPECT_EQ(named.system.Cell(1, 2), " 00g000  ");
}

TEST(ShowDump, RecordAmongTheLastFourteenCharactersIsNotShown) {
    const std::string base = DumpBuilder("I10").Add('d', Value(1)).Text();
    const std::string fourteen = kdmtest::TelegramChars('e', Value(2));
    // STX at length - 15: shown; at length - 14: not.
    const Shown fits = Show(base + "\x02" + fourteen);
    EXPECT_EQ(fits.system.Cell(2, 2), " 000002  ");
    const Shown cut = Show(base + "\x02" + fourteen.substr(0, 13));
    EXPECT_EQ(cut.system.Cell(2, 1), "");
    EXPECT_EQ(cut.system.Cell(1, 2), " 000001  ");
}

TEST(ShowDump, ProgramRecordCutShortShowsWhatThereIs) {
    const std::string base = DumpBuilder("I10").Program(1).Add('N', Value(1)).Text();
    struct Case {
        std::string tail;
        int column;
        const char* letter;
        const char* value;
    };
    const Case cases[] = {
        {"\x02"
         "0u+12",
         3, "u", " 12"},
        {"\x02"
         "0u",
         3, "u", ""},
        {"\x02"
         "0",
         15, "", ""},
        {"\x02", 15, "", ""},
    };
    for (const Case& c : cases) {
        const Shown shown = Show(base + c.tail);
        EXPECT_EQ(shown.program.Cell(2, 2), " 000001  ");
        EXPECT_EQ(shown.program.Cell(1, c.column), c.letter) << c.tail.size();
        EXPECT_EQ(shown.program.Cell(2, c.column), c.value) << c.tail.size();
        EXPECT_EQ(shown.program.RejectedWrites(), 0);
    }
}

TEST(ShowDump, NeverWritesOutsideTheTables) {
    // Type 21 has room for three unlisted system letters; type 1 for four unlisted program letters.
    DumpBuilder system("U2P");
    for (char c = 'A'; c < 'A' + 8; ++c)
        system.Add(c == 'P' ? '#' : c, Value(c));
    const Shown manyRows = Show(system.Text());
    EXPECT_EQ(manyRows.system.Cell(22, 1), "A");
    EXPECT_EQ(manyRows.system.Cell(24, 1), "C");
    EXPECT_EQ(manyRows.system.RejectedWrites(), 0);

    DumpBuilder program("I10");
    program.Program(1);
    for (char c = 'a'; c < 'a' + 8; ++c)
        program.Add(c == 'g' ? '#' : c, Value(c));
    const Shown manyCols = Show(program.Text());
    EXPECT_EQ(manyCols.program.Cell(1, 15), "a");
    EXPECT_EQ(manyCols.program.Cell(1, 18), "d");
    EXPECT_EQ(manyCols.program.RejectedWrites(), 0);

    DumpBuilder programs("I10");
    for (int n = 1; n <= 300; ++n)
        programs.Program(n).Add('N', Value(n));
    const Shown manyPrograms = Show(programs.Text());
    EXPECT_EQ(manyPrograms.program.Cell(256, 0), " 000255  ");
    EXPECT_EQ(manyPrograms.program.Cell(256, 2), " 000255  ");
    EXPECT_EQ(manyPrograms.program.RejectedWrites(), 0);
}

TEST(ShowDump, SuspectValuesAreMarked) {
    DumpBuilder dump("I10");
    dump.Add('d', Value(1), true).Add('e', Value(2));
    dump.Program(1).Add('N', Value(3)).Add('u', Value(4), true);
    const Shown shown = Show(dump.Text());
    EXPECT_EQ(shown.suspect, 2);
    EXPECT_TRUE(shown.system.Suspect(1, 2));
    EXPECT_FALSE(shown.system.Suspect(1, 1));
    EXPECT_FALSE(shown.system.Suspect(1, 0));
    EXPECT_FALSE(shown.system.Suspect(2, 2));
    EXPECT_TRUE(shown.program.Suspect(2, 3));
    EXPECT_FALSE(shown.program.Suspect(0, 3));
    EXPECT_FALSE(shown.program.Suspect(1, 3));
    EXPECT_FALSE(shown.program.Suspect(2, 2));
    // The damaged value is shown all the same.
    EXPECT_EQ(shown.system.Cell(1, 2), " 000001  ");
    EXPECT_EQ(shown.program.Cell(2, 3), " 000004  ");
}

TEST(ParameterTables, WalksStartAgainFromTheSameState) {
    DumpBuilder dump("I10");
    dump.Add('d', Value(1))
        .Add('e', Value(2))
        .Program(1)
        .Add('N', Value(3))
        .Add('g', Value(4))
        .Add('u', Value(5));
    MemoryGrid a;
    MemoryGrid b;
    ParameterTables tables(a, b);
    for (int walk = 0; walk < 2; ++walk) {
        std::string letter;
        std::string value;
        std::string letters;
        while (tables.NextSystemRecord(dump.Text(), letter, value))
            letters += letter;
        EXPECT_EQ(letters, "de");
        letters.clear();
        // The program walk stops at the 'g' record.
        while (tables.NextProgramRecord(dump.Text(), letter, value))
            letters += letter;
        EXPECT_EQ(letters, "PN");
    }
}

TEST(ParameterTables, ShowingADumpDependsOnlyOnThatDump) {
    const std::string first = DumpBuilder("I10").Add('d', Value(1)).Program(1).Add('N', Value(2)).Text();
    const std::string second = DumpBuilder("E20").Add('d', Value(7)).Program(4).Add('N', Value(8)).Text();
    MemoryGrid system;
    MemoryGrid program;
    ParameterTables tables(system, program);
    // Walks broken off by a caller must not shift the next filling.
    std::string letter;
    std::string value;
    tables.NextSystemRecord(first, letter, value);
    tables.NextProgramRecord(first, letter, value);
    tables.ShowDump(second);
    const Shown fresh = Show(second);
    for (int row = 0; row < kdm::kSystemRows; ++row)
        for (int col = 0; col < kdm::kSystemCols; ++col)
            EXPECT_EQ(system.Cell(row, col), fresh.system.Cell(row, col)) << row << "," << col;
    for (int row = 0; row < kdm::kProgramRows; ++row)
        for (int col = 0; col < kdm::kProgramCols; ++col)
            EXPECT_EQ(program.Cell(row, col), fresh.program.Cell(row, col)) << row << "," << col;
    EXPECT_EQ(program.Cell(2, 0), " 000004  ");
}

}  // namespace
