// Filling the system-parameter and program-parameter tables from a parameter set.
#include "data/tables.h"

#include <algorithm>
#include <climits>
#include <cstddef>

#include "data/strings.h"
#include "files/data_file.h"
#include "link/wire.h"

namespace kdm {
namespace {

constexpr int kSystemCursorStart = 3;
constexpr int kProgramCursorStart = 10;

// Cursors are ints; a dump beyond this is cut (the file reader refuses anything near it).
constexpr std::size_t kMaxDump = INT_MAX / 2;

std::string_view Bounded(std::string_view dump) {
    return dump.substr(0, std::min(dump.size(), kMaxDump));
}

// Index of the first `c` at or after `start`, or -1; a negative start finds nothing.
int Find(std::string_view text, char c, int start) {
    if (start < 0) return -1;
    const std::size_t at = text.find(c, static_cast<std::size_t>(start));
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

std::string Field(std::string_view text, int start, std::size_t count) {
    if (start < 0 || static_cast<std::size_t>(start) >= text.size()) return {};
    return std::string(text.substr(static_cast<std::size_t>(start), count));
}

// A letter matches a character only when it is exactly that one character.
bool IsLetter(std::string_view letter, char c) {
    return letter.size() == 1 && letter[0] == c;
}

const TableCell kNoCell;

TableContents Sized(int rows, int cols, std::vector<int> widths) {
    TableContents table;
    table.rows = rows;
    table.cols = cols;
    table.widths = std::move(widths);
    return table;
}

// Rows come into being as cells are written in them, so a table of a few programs stays small.
TableCell* At(TableContents& table, int row, int col) {
    if (row < 0 || row >= table.rows || col < 0 || col >= table.cols) return nullptr;
    const auto r = static_cast<std::size_t>(row);
    if (r >= table.cells.size()) table.cells.resize(r + 1);
    std::vector<TableCell>& cells = table.cells[r];
    if (cells.empty()) cells.resize(static_cast<std::size_t>(table.cols));
    return &cells[static_cast<std::size_t>(col)];
}

// Later writes replace earlier ones, as in a grid; writes outside the table are dropped.
void Put(TableContents& table, int row, int col, std::string_view text) {
    if (TableCell* cell = At(table, row, col)) {
        cell->text.assign(text);
        cell->written = true;
    }
}

// A value cell: its text and the record it comes from (a later record of the letter replaces both).
void PutValue(TableContents& table, int row, int col, std::string_view value, std::size_t record) {
    Put(table, row, col, FormatValue(value));
    if (TableCell* cell = At(table, row, col)) cell->record = record;
}

// A mark stays on its cell, whatever is written there afterwards.
void Mark(TableContents& table, int row, int col, Suspect suspect) {
    if (suspect == Suspect::kNone) return;
    if (TableCell* cell = At(table, row, col)) cell->suspect = suspect;
}

}  // namespace

const TableCell& TableContents::Cell(int row, int col) const {
    if (row < 0 || col < 0 || col >= cols || static_cast<std::size_t>(row) >= cells.size()) return kNoCell;
    const std::vector<TableCell>& cellsOfRow = cells[static_cast<std::size_t>(row)];
    if (static_cast<std::size_t>(col) >= cellsOfRow.size()) return kNoCell;
    return cellsOfRow[static_cast<std::size_t>(col)];
}

int TableContents::SuspectCells() const {
    int count = 0;
    for (const std::vector<TableCell>& row : cells) {
        for (const TableCell& cell : row)
            count += cell.suspect != Suspect::kNone ? 1 : 0;
    }
    return count;
}

TableContents FillSystemTable(const ParameterSet& set, const Layout* layout) {
    TableContents table = Sized(kSystemRows, kSystemCols, {2500, 500, 2000});
    Put(table, 0, 0, "");
    Put(table, 0, 2, set.Heading());
    if (layout == nullptr) return table;
    Put(table, 0, 0, LoadString(sid::kSystemParameter));

    const LayoutLetters letters(*layout);
    int unlisted = layout->firstUnlisted;
    for (const std::size_t k : set.SystemSection()) {
        const Record& record = set.Records()[k];
        const std::string_view letter = record.Letter();
        const int nameId = letters.ShownNameId(letter, record.Value());
        if (nameId == 0) continue;
        const LayoutEntry* entry = letters.Entry(letter);
        const int row = entry != nullptr ? entry->position : unlisted++;
        // Past the last row nothing lands (a noisy file has millions of records there).
        if (row >= table.rows) continue;
        Put(table, row, 0, LoadString(nameId));
        Put(table, row, 1, letter);
        PutValue(table, row, 2, record.Value(), k);
        Mark(table, row, 2, record.Suspicion());
    }
    return table;
}

TableContents FillProgramTable(const ParameterSet& set, const Layout* layout) {
    TableContents table = Sized(kProgramRows, kProgramCols, std::vector<int>(kProgramCols, 1000));
    table.acceptsInput = true;
    if (layout == nullptr) return table;
    Put(table, 0, 0, LoadString(sid::kProgramParameters));

    const LayoutLetters letters(*layout);
    int unlisted = layout->firstUnlisted;
    int row = 1;
    for (const std::size_t k : set.ProgramSection()) {
        const Record& record = set.Records()[k];
        const std::string_view letter = record.Letter();
        const bool program = IsLetter(letter, 'P');
        // Each 'P' record opens the next row, the first one row 2.
        if (program) ++row;
        const int nameId = letters.ShownNameId(letter, record.Value());
        if (nameId == 0) continue;
        const LayoutEntry* entry = letters.Entry(letter);
        const int column = entry != nullptr ? entry->position : unlisted++;
        if (entry != nullptr && program) unlisted = layout->firstUnlisted;
        // Outside the table nothing lands.
        if (row >= table.rows || column >= table.cols) continue;
        // Only the first program writes the column headers.
        if (row == 2) {
            Put(table, 0, column, LoadString(nameId));
            Put(table, 1, column, letter);
        }
        PutValue(table, row, column, record.Value(), k);
        Mark(table, row, column, record.Suspicion());
    }
    table.programsLeftOut = std::max(0, row - (kProgramRows - 1));
    return table;
}

FilledTables FillTables(const ParameterSet& set) {
    const Layout* system = SystemLayout(set.DeviceType());
    const Layout* program = ProgramLayout(set.DeviceType());
    // A type has both layouts or none.
    if (system == nullptr || program == nullptr)
        return {FillSystemTable(set, nullptr), FillProgramTable(set, nullptr)};
    return {FillSystemTable(set, system), FillProgramTable(set, program)};
}

void WriteTable(const TableContents& table, IGrid& grid) {
    if (table.acceptsInput) grid.SetEnabled(true);
    grid.SetCols(table.cols);
    grid.SetRows(table.rows);
    for (int col = 0; col < table.cols; ++col)
        grid.SetColWidth(col, table.widths[static_cast<std::size_t>(col)]);
    for (int row = 0; row < static_cast<int>(table.cells.size()); ++row) {
        for (int col = 0; col < table.cols; ++col) {
            const TableCell& cell = table.Cell(row, col);
            if (!cell.written) continue;
            grid.SetTextMatrix(row, col, cell.text);
            // Right after its text, so the grid's current cell is the one marked.
            if (cell.suspect != Suspect::kNone) grid.SetCellSuspect(true);
            if (cell.record != kNoRecord) grid.SetCellRecord(cell.record);
        }
    }
}

ParameterTables::ParameterTables(IGrid& systemTable, IGrid& programTable)
    : system_(systemTable), program_(programTable) {}

int ParameterTables::ShowDump(std::string_view dump) {
    return ShowParameterSet(ParseParameterSet(dump).set);
}

int ParameterTables::ShowParameterSet(const ParameterSet& set) {
    // A walk a caller broke off must not carry over to the next one.
    systemCursor_ = kSystemCursorStart;
    programCursor_ = kProgramCursorStart;
    programFound_ = false;
    const FilledTables tables = FillTables(set);
    WriteTable(tables.system, system_);
    WriteTable(tables.program, program_);
    suspect_ = tables.system.SuspectCells() + tables.program.SuspectCells();
    programsLeftOut_ = tables.program.programsLeftOut;
    return set.DeviceType();
}

bool ParameterTables::NextSystemRecord(std::string_view dump, std::string& letter, std::string& value) {
    dump = Bounded(dump);
    // The first search starts at index 4, past the STX of the identification record.
    systemCursor_ = Find(dump, STX, systemCursor_ + 1);
    if (systemCursor_ < 0) {
        systemCursor_ = kSystemCursorStart;
        return false;
    }
    letter = Field(dump, systemCursor_ + 2, 1);
    value = Field(dump, systemCursor_ + 3, 9);
    // The first program record ends the system block.
    if (IsLetter(letter, 'P')) {
        systemCursor_ = kSystemCursorStart;
        return false;
    }
    if (systemCursor_ < static_cast<int>(dump.size()) - 14) return true;
    // A record among the last 14 characters is not shown.
    systemCursor_ = kSystemCursorStart;
    return false;
}

bool ParameterTables::NextProgramRecord(std::string_view dump, std::string& letter, std::string& value) {
    dump = Bounded(dump);
    if (!programFound_) {
        // The search starts past the device code of the identification record; a "P" that is a record's
        // letter puts the cursor three characters before that record's STX.
        const int p = Find(dump, 'P', programCursor_ + 1);
        programCursor_ = p < 0 ? -1 : p - 5;
        programFound_ = true;
    }
    programCursor_ = programCursor_ < 0 ? -1 : Find(dump, STX, programCursor_ + 1);
    if (programCursor_ < 0) {
        programCursor_ = kProgramCursorStart;
        programFound_ = false;
        return false;
    }
    letter = Field(dump, programCursor_ + 2, 1);
    value = Field(dump, programCursor_ + 3, 9);
    if (IsLetter(letter, 'g')) {
        programCursor_ = kProgramCursorStart;
        programFound_ = false;
        return false;
    }
    return true;
}

int ShowDataFile(ParameterTables& tables, const std::string& path, std::string& reason) {
    std::string text;
    long length = 0;
    if (!ReadWholeFile(path, text, length, reason)) return 0;
    tables.ShowDump(text);
    return 1;
}

}  // namespace kdm
