// Filling the system-parameter and program-parameter tables from a dump.
#include "data/tables.h"

#include <algorithm>
#include <climits>
#include <cstddef>

#include "data/catalogue.h"
#include "data/dump.h"
#include "data/strings.h"
#include "files/data_file.h"

namespace kdm {
namespace {

constexpr char kStx = 0x02;
constexpr int kSystemCursorStart = 3;
constexpr int kProgramCursorStart = 10;
constexpr int kUnnamed = sid::kUnlisted;
constexpr std::string_view kMismatchMark = " !!!";

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

// A record ends at its terminator; one cut short ends at the next STX or the end of the dump.
bool RecordCarriesMismatch(std::string_view dump, int stx) {
    const std::size_t from = static_cast<std::size_t>(stx) + 1;
    // Look for the terminator only up to the next STX, so a dump without terminators stays linear.
    std::size_t end = dump.find(kStx, from);
    if (end == std::string_view::npos) end = dump.size();
    const std::size_t terminator = dump.substr(0, end).find(kRecordTerminator, from);
    if (terminator != std::string_view::npos) end = terminator;
    const std::string_view record =
        dump.substr(static_cast<std::size_t>(stx), end - static_cast<std::size_t>(stx));
    return record.ends_with(kMismatchMark);
}

// A letter matches a character only when it is exactly that one character.
bool IsLetter(std::string_view letter, char c) {
    return letter.size() == 1 && letter[0] == c;
}

const LayoutEntry* Named(const Layout& layout, std::string_view letter) {
    return letter.size() == 1 ? layout.Find(letter[0]) : nullptr;
}

bool PassedOver(const Layout& layout, std::string_view letter) {
    return letter.size() == 1 && layout.PassesOver(letter[0]);
}

bool InSystemTable(int column, int row) {
    return column >= 0 && column < kSystemCols && row >= 0 && row < kSystemRows;
}

bool InProgramTable(int column, int row) {
    return column >= 0 && column < kProgramCols && row >= 0 && row < kProgramRows;
}

}  // namespace

ParameterTables::ParameterTables(IGrid& systemTable, IGrid& programTable)
    : system_(systemTable), program_(programTable) {}

int ParameterTables::ShowDump(std::string_view dump) {
    // Every walk leaves its cursor at the start; a walk broken off by a direct caller must not leak
    // into the next filling.
    systemCursor_ = kSystemCursorStart;
    programCursor_ = kProgramCursorStart;
    programFound_ = false;
    suspect_ = 0;

    std::string heading;
    const int type = DetectDeviceType(dump, heading);
    InitSystemTable();
    InitProgramTable();
    SetSystemCell(0, 0, "");
    SetSystemCell(2, 0, heading);
    if (SystemLayout(type) != nullptr && ProgramLayout(type) != nullptr) {
        FillSystemTable(type, dump);
        FillProgramTable(type, dump);
    }
    return type;
}

void ParameterTables::InitSystemTable() {
    system_.SetCols(kSystemCols);
    system_.SetRows(kSystemRows);
    system_.SetColWidth(0, 2500);
    system_.SetColWidth(1, 500);
    system_.SetColWidth(2, 2000);
}

void ParameterTables::InitProgramTable() {
    program_.SetEnabled(true);
    program_.SetCols(kProgramCols);
    program_.SetRows(kProgramRows);
    for (int col = 0; col < kProgramCols; ++col)
        program_.SetColWidth(col, 1000);
}

void ParameterTables::SetSystemCell(int column, int row, std::string_view text) {
    if (InSystemTable(column, row)) system_.SetTextMatrix(row, column, text);
}

void ParameterTables::SetProgramCell(int column, int row, std::string_view text) {
    if (InProgramTable(column, row)) program_.SetTextMatrix(row, column, text);
}

void ParameterTables::PutSystemParameter(int column, int row, int nameId, std::string_view letter,
                                         std::string_view value) {
    SetSystemCell(column, row, LoadString(nameId));
    SetSystemCell(column + 1, row, letter);
    SetSystemCell(column + 2, row, FormatValue(value));
}

void ParameterTables::PutProgramParameter(int column, int row, int nameId, std::string_view letter,
                                          std::string_view value) {
    // Only the first program writes the column headers.
    if (row == 2) {
        SetProgramCell(column, 0, LoadString(nameId));
        SetProgramCell(column, 1, letter);
    }
    SetProgramCell(column, row, FormatValue(value));
}

bool ParameterTables::NextSystemRecord(std::string_view dump, std::string& letter, std::string& value) {
    dump = Bounded(dump);
    // The first search starts at index 4, past the STX of the identification record.
    systemCursor_ = Find(dump, kStx, systemCursor_ + 1);
    if (systemCursor_ < 0) {
        systemCursor_ = kSystemCursorStart;
        return false;
    }
    letter = Field(dump, systemCursor_ + 2, 1);
    value = Field(dump, systemCursor_ + 3, 9);
    lastRecordSuspect_ = RecordCarriesMismatch(dump, systemCursor_);
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
    programCursor_ = programCursor_ < 0 ? -1 : Find(dump, kStx, programCursor_ + 1);
    if (programCursor_ < 0) {
        programCursor_ = kProgramCursorStart;
        programFound_ = false;
        return false;
    }
    letter = Field(dump, programCursor_ + 2, 1);
    value = Field(dump, programCursor_ + 3, 9);
    lastRecordSuspect_ = RecordCarriesMismatch(dump, programCursor_);
    if (IsLetter(letter, 'g')) {
        programCursor_ = kProgramCursorStart;
        programFound_ = false;
        return false;
    }
    return true;
}

void ParameterTables::FillSystemTable(int type, std::string_view dump) {
    const Layout* layout = SystemLayout(type);
    if (layout == nullptr) return;
    std::string heading;
    DetectDeviceType(dump, heading);
    SetSystemCell(0, 0, LoadString(sid::kSystemParameter));
    SetSystemCell(2, 0, heading);

    int unlisted = layout->firstUnlisted;
    std::string letter;
    std::string value;
    while (NextSystemRecord(dump, letter, value)) {
        int row = -1;
        if (PassedOver(*layout, letter)) continue;
        if (const LayoutEntry* entry = Named(*layout, letter)) {
            row = entry->position;
            PutSystemParameter(0, row, entry->nameId, letter, value);
        } else if (value.find('g') == std::string::npos) {
            row = unlisted++;
            PutSystemParameter(0, row, kUnnamed, letter, value);
        }
        MarkIfSuspect(system_, InSystemTable(2, row));
    }
}

void ParameterTables::FillProgramTable(int type, std::string_view dump) {
    const Layout* layout = ProgramLayout(type);
    if (layout == nullptr) return;
    SetProgramCell(0, 0, LoadString(sid::kProgramParameters));

    int unlisted = layout->firstUnlisted;
    int row = 1;
    std::string letter;
    std::string value;
    while (NextProgramRecord(dump, letter, value)) {
        const bool program = IsLetter(letter, 'P');
        if (program) ++row;
        if (PassedOver(*layout, letter)) continue;
        int column = -1;
        if (const LayoutEntry* entry = Named(*layout, letter)) {
            column = entry->position;
            PutProgramParameter(column, row, entry->nameId, letter, value);
            if (program) unlisted = layout->firstUnlisted;
        } else if (value.find('g') == std::string::npos) {
            column = unlisted++;
            PutProgramParameter(column, row, kUnnamed, letter, value);
        }
        MarkIfSuspect(program_, InProgramTable(column, row));
    }
}

// Called right after a value cell was written, so the grid's current cell is that value cell.
void ParameterTables::MarkIfSuspect(IGrid& grid, bool valueWritten) {
    if (!valueWritten || !lastRecordSuspect_) return;
    grid.SetCellSuspect(true);
    ++suspect_;
}

int ShowDataFile(ParameterTables& tables, const std::string& path, std::string& reason) {
    std::string text;
    long length = 0;
    if (!ReadWholeFile(path, text, length, reason)) return 0;
    tables.ShowDump(text);
    return 1;
}

}  // namespace kdm
