// The table filling as a function of the parameter model, checked against the filling driven record by
// record by the two cursor walks (the way the tables were always filled), on the fuzz corpora and on
// hundreds of damaged variants of them: the same cells must be written with the same texts.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "data/catalogue.h"
#include "data/dump.h"
#include "data/grid.h"
#include "data/parameter_model.h"
#include "data/strings.h"
#include "data/tables.h"
#include "support/dump_builder.h"
#include "support/random.h"

namespace {

using kdm::MemoryGrid;

// A record's text runs to its terminator or, cut short, to the next STX; the read marks it at its end.
bool EndsWithMark(std::string_view dump, std::size_t stx) {
    std::size_t end = dump.find('\x02', stx + 1);
    if (end == std::string_view::npos) end = dump.size();
    const std::size_t terminator = dump.substr(0, end).find("\r\n\r", stx + 1);
    if (terminator != std::string_view::npos) end = terminator;
    return dump.substr(stx, end - stx).ends_with(" !!!");
}

// The filling as the walks drive it: every record the cursors hand out, placed by the layout.
struct WalkFilling {
    MemoryGrid system;
    MemoryGrid program;
    kdm::ParameterTables walker{system, program};

    void Put(MemoryGrid& grid, int rows, int cols, int row, int col, std::string_view text) {
        if (row >= 0 && row < rows && col >= 0 && col < cols) grid.SetTextMatrix(row, col, text);
    }

    // The STX the last delivered record starts at: the cursors are private, so it is found again by
    // counting the records delivered.
    void Fill(const std::string& dump) {
        std::string heading;
        const int type = kdm::DetectDeviceType(dump, heading);
        system.SetCols(kdm::kSystemCols);
        system.SetRows(kdm::kSystemRows);
        program.SetEnabled(true);
        program.SetCols(kdm::kProgramCols);
        program.SetRows(kdm::kProgramRows);
        Put(system, 25, 3, 0, 0, "");
        Put(system, 25, 3, 0, 2, heading);
        const kdm::Layout* systemLayout = kdm::SystemLayout(type);
        const kdm::Layout* programLayout = kdm::ProgramLayout(type);
        if (systemLayout == nullptr || programLayout == nullptr) return;

        const std::vector<std::size_t> stx = StxIndexes(dump);
        Put(system, 25, 3, 0, 0, kdm::LoadString(kdm::sid::kSystemParameter));
        Put(system, 25, 3, 0, 2, heading);
        int unlisted = systemLayout->firstUnlisted;
        std::string letter;
        std::string value;
        std::size_t next = 0;  // index into stx of the record the system walk delivers next
        while (next < stx.size() && stx[next] < 4)
            ++next;
        while (walker.NextSystemRecord(dump, letter, value)) {
            const std::size_t at = stx[next++];
            if (letter.size() == 1 && systemLayout->PassesOver(letter[0])) continue;
            const kdm::LayoutEntry* entry = letter.size() == 1 ? systemLayout->Find(letter[0]) : nullptr;
            int row = -1;
            if (entry != nullptr) {
                row = entry->position;
            } else if (value.find('g') == std::string::npos) {
                row = unlisted++;
            } else {
                continue;
            }
            Put(system, 25, 3, row, 0,
                kdm::LoadString(entry != nullptr ? entry->nameId : kdm::sid::kUnlisted));
            Put(system, 25, 3, row, 1, letter);
            Put(system, 25, 3, row, 2, kdm::FormatValue(value));
            if (row < 25 && EndsWithMark(dump, at)) system.SetCellSuspect(true);
        }

        Put(program, 257, 19, 0, 0, kdm::LoadString(kdm::sid::kProgramParameters));
        unlisted = programLayout->firstUnlisted;
        int row = 1;
        const std::size_t letterP = dump.find('P', 11);
        next = 0;
        if (letterP != std::string::npos) {
            while (next < stx.size() && stx[next] + 4 < letterP)
                ++next;
        }
        while (walker.NextProgramRecord(dump, letter, value)) {
            const std::size_t at = stx[next++];
            const bool isProgram = letter == "P";
            if (isProgram) ++row;
            if (letter.size() == 1 && programLayout->PassesOver(letter[0])) continue;
            const kdm::LayoutEntry* entry = letter.size() == 1 ? programLayout->Find(letter[0]) : nullptr;
            int column = -1;
            if (entry != nullptr) {
                column = entry->position;
                if (isProgram) unlisted = programLayout->firstUnlisted;
            } else if (value.find('g') == std::string::npos) {
                column = unlisted++;
            } else {
                continue;
            }
            const int nameId = entry != nullptr ? entry->nameId : kdm::sid::kUnlisted;
            if (row == 2) {
                Put(program, 257, 19, 0, column, kdm::LoadString(nameId));
                Put(program, 257, 19, 1, column, letter);
            }
            Put(program, 257, 19, row, column, kdm::FormatValue(value));
            if (column < 19 && row < 257 && EndsWithMark(dump, at)) program.SetCellSuspect(true);
        }
    }

    static std::vector<std::size_t> StxIndexes(const std::string& dump) {
        std::vector<std::size_t> at;
        for (std::size_t i = 0; i < dump.size(); ++i) {
            if (dump[i] == '\x02') at.push_back(i);
        }
        return at;
    }
};

// Same cells written, same texts; every mark the walk filling sets is set, and the only other marks
// are on values from damaged records, which the model flags where the read's mark alone would not tell.
void ExpectSameTables(const std::string& dump) {
    WalkFilling walked;
    walked.Fill(dump);
    MemoryGrid system;
    MemoryGrid program;
    kdm::ParameterTables tables(system, program);
    tables.ShowDump(dump);
    const kdm::FilledTables pure = kdm::FillTables(kdm::ParseParameterSet(dump).set);
    const struct {
        const MemoryGrid& expected;
        const MemoryGrid& actual;
        const kdm::TableContents& contents;
    } pairs[] = {{walked.system, system, pure.system}, {walked.program, program, pure.program}};
    int marks = 0;
    for (const auto& pair : pairs) {
        ASSERT_EQ(pair.actual.Rows(), pair.expected.Rows());
        ASSERT_EQ(pair.actual.Cols(), pair.expected.Cols());
        EXPECT_EQ(pair.actual.Enabled(), pair.expected.Enabled());
        EXPECT_EQ(pair.actual.RejectedWrites(), 0);
        for (int r = 0; r < pair.expected.Rows(); ++r) {
            for (int c = 0; c < pair.expected.Cols(); ++c) {
                const kdm::TableCell& cell = pair.contents.Cell(r, c);
                const bool marked = pair.actual.Suspect(r, c);
                const bool same = pair.actual.Cell(r, c) == pair.expected.Cell(r, c) &&
                                  pair.actual.Alignment(r, c) == pair.expected.Alignment(r, c) &&
                                  cell.text == pair.expected.Cell(r, c) &&
                                  marked == (cell.suspect != kdm::Suspect::kNone) &&
                                  (marked == pair.expected.Suspect(r, c) ||
                                   (marked && cell.suspect == kdm::Suspect::kDamaged));
                ASSERT_TRUE(same) << "cell " << r << "," << c << ": \"" << pair.actual.Cell(r, c)
                                  << "\" marked " << marked << ", expected \"" << pair.expected.Cell(r, c)
                                  << "\" marked " << pair.expected.Suspect(r, c);
                marks += marked ? 1 : 0;
            }
        }
    }
    EXPECT_EQ(tables.SuspectValues(), marks);
}

using kdmtest::Random;

std::string MutatedFraming(std::string text, Random& random) {
    static const std::string kBytes = std::string("\x02\x03\r\n\r !QSPg0123456789+-") + '\0';
    const std::size_t steps = 1 + random.Below(4);
    for (std::size_t i = 0; i < steps; ++i) {
        const std::size_t at = random.Below(text.size() + 1);
        const char byte = kBytes[random.Below(kBytes.size())];
        switch (random.Below(4)) {
            case 0:
                if (at < text.size()) text[at] = byte;
                break;
            case 1:
                text.insert(at, 1, byte);
                break;
            case 2:
                if (at < text.size()) text.erase(at, 1 + random.Below(20));
                break;
            default:
                text.resize(at);
                break;
        }
    }
    return text;
}

std::vector<std::string> CorpusTexts() {
    std::vector<std::string> texts;
    const std::filesystem::path root = std::filesystem::path(KDMXP_SOURCE_DIR) / "tests/fuzz/corpus/dump";
    for (const auto& entry : std::filesystem::directory_iterator(root)) {
        std::ifstream in(entry.path(), std::ios::binary);
        texts.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return texts;
}

TEST(TableFilling, CorpusFilesFillAsTheWalksDo) {
    for (const std::string& text : CorpusTexts()) {
        ExpectSameTables(text);
        if (HasFatalFailure()) return;
    }
}

TEST(TableFilling, DamagedVariantsFillAsTheWalksDo) {
    Random random(4242);
    int variants = 0;
    for (const std::string& original : CorpusTexts()) {
        for (int i = 0; i < 30; ++i, ++variants) {
            const std::string text = MutatedFraming(original, random);
            ExpectSameTables(text);
            if (HasFatalFailure()) {
                ADD_FAILURE() << "variant " << i << " of a corpus file, " << text.size() << " bytes";
                return;
            }
        }
    }
    EXPECT_GE(variants, 300);
}

TEST(TableFilling, ACutRecordIsMarkedDamagedWhereTheMarkAloneWouldNotShow) {
    const std::string dump = kdmtest::DumpBuilder("I10")
                                 .Program(1)
                                 .Add('N', kdmtest::Value(1))
                                 .Raw(
                                     "\x02"
                                     "0u+12")
                                 .Text();
    const kdm::FilledTables tables = kdm::FillTables(kdm::ParseParameterSet(dump).set);
    EXPECT_EQ(tables.program.Cell(2, 3).text, " 12");
    EXPECT_EQ(tables.program.Cell(2, 3).suspect, kdm::Suspect::kDamaged);
    EXPECT_EQ(tables.program.Cell(2, 2).suspect, kdm::Suspect::kNone);
    EXPECT_EQ(tables.program.SuspectCells(), 1);
}

TEST(TableFilling, ContentsKnowWhatWasWritten) {
    const kdm::FilledTables tables = kdm::FillTables(
        kdm::ParseParameterSet(kdmtest::DumpBuilder("X99").Add('d', kdmtest::Value(1)).Text()).set);
    // Type 0: the heading row alone, its first cell written empty.
    EXPECT_TRUE(tables.system.Cell(0, 0).written);
    EXPECT_EQ(tables.system.Cell(0, 0).text, "");
    EXPECT_FALSE(tables.system.Cell(0, 1).written);
    EXPECT_EQ(tables.system.Cell(0, 2).text, "0g+X99000--");
    EXPECT_FALSE(tables.system.Cell(1, 2).written);
    EXPECT_FALSE(tables.system.Cell(99, 99).written);
    EXPECT_TRUE(tables.program.acceptsInput);
    EXPECT_FALSE(tables.program.Cell(0, 0).written);
    EXPECT_EQ(tables.system.widths, (std::vector<int>{2500, 500, 2000}));
}

// Each value cell names the record it shows, so that an editor changes that one; where a block holds a
// letter twice, the cell shows (and names) the later record. Names, letters and headings name none.
TEST(TableFilling, ValueCellsNameTheirRecords) {
    const std::string dump = kdmtest::DumpBuilder("I1P")
                                 .Add('h', kdmtest::Value(19))   // record 1
                                 .Add('v', kdmtest::Value(235))  // record 2
                                 .Add('h', kdmtest::Value(20))   // record 3: shown for 'h'
                                 .Program(1)                     // record 4
                                 .Add('J', kdmtest::Value(2))    // record 5
                                 .Program(2)                     // record 6
                                 .Add('J', kdmtest::Value(95))   // record 7
                                 .Text();
    const kdm::ParameterSet set = kdm::ParseParameterSet(dump).set;
    const kdm::FilledTables tables = kdm::FillTables(set);
    // Every value cell's record holds the letter of its row (system) or column (program) and the value
    // the cell shows.
    int values = 0;
    const auto check = [&](const kdm::TableContents& table, int firstRow, bool byRow) {
        for (int row = 0; row < table.rows; ++row) {
            for (int col = 0; col < table.cols; ++col) {
                const kdm::TableCell& cell = table.Cell(row, col);
                const bool value = row >= firstRow && cell.written && (byRow ? col == 2 : true);
                if (!value) {
                    EXPECT_EQ(cell.record, kdm::kNoRecord) << row << ',' << col;
                    continue;
                }
                ASSERT_LT(cell.record, set.Records().size()) << row << ',' << col;
                const kdm::Record record = set.Records()[cell.record];
                const std::string letter = byRow ? table.Cell(row, 1).text : table.Cell(1, col).text;
                EXPECT_EQ(record.Letter(), letter) << row << ',' << col;
                EXPECT_EQ(kdm::FormatValue(record.Value()), cell.text);
                ++values;
            }
        }
    };
    check(tables.system, 1, true);
    check(tables.program, 2, false);
    EXPECT_EQ(values, 6);  // h, v; P and J of each program
    struct Case {
        const kdm::TableContents* table;
        int row;
        char letter;
        std::size_t record;
    };
    for (const Case& c : {Case{&tables.system, -1, 'h', 3}, Case{&tables.system, -1, 'v', 2},
                          Case{&tables.program, 3, 'J', 7}, Case{&tables.program, 2, 'P', 4}}) {
        SCOPED_TRACE(c.letter);
        bool found = false;
        for (int row = 0; row < c.table->rows && !found; ++row) {
            for (int col = 0; col < c.table->cols && !found; ++col) {
                const bool system = c.table == &tables.system;
                const std::string& letter = system ? c.table->Cell(row, 1).text : c.table->Cell(1, col).text;
                if (letter != std::string(1, c.letter) || (!system && row != c.row) || (system && col != 2))
                    continue;
                EXPECT_EQ(c.table->Cell(row, col).record, c.record);
                found = true;
            }
        }
        EXPECT_TRUE(found);
    }
}

}  // namespace
