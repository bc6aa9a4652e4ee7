// The two parameter tables of a parameter set, laid out by the layouts of its device type.
//
// Filling is a pure function: FillSystemTable and FillProgramTable turn a parsed set and a layout into
// the contents of one table (size, column widths, cells). The table window and `kdmxp-cli show` both
// consume those contents; ParameterTables writes them into two write-only grids for the window (and
// for memory grids in tests), cell by cell, as a grid control takes them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "data/catalogue.h"
#include "data/grid.h"
#include "data/parameter_model.h"

namespace kdm {

inline constexpr int kSystemRows = 25;
inline constexpr int kSystemCols = 3;
inline constexpr int kProgramRows = 257;
inline constexpr int kProgramCols = 19;

// A cell that shows no record's value.
inline constexpr std::size_t kNoRecord = static_cast<std::size_t>(-1);

struct TableCell {
    std::string text;
    // The record whose value the cell shows (index into ParameterSet::Records()); kNoRecord for names,
    // letters and headings. An editor changes this record when the cell is changed.
    std::size_t record = kNoRecord;
    bool written = false;              // the filling wrote the cell (an empty text included)
    Suspect suspect = Suspect::kNone;  // a value cell whose telegram cannot be trusted
};

struct TableContents {
    int rows = 0;
    int cols = 0;
    std::vector<int> widths;    // one per column, in twips
    bool acceptsInput = false;  // the program table is enabled for input
    // Programs the table had no row for (those past the 255th); the user must be told of them.
    int programsLeftOut = 0;
    // The rows up to the last one written, each empty or of `cols` cells; rows beyond hold nothing.
    std::vector<std::vector<TableCell>> cells;

    // The cell at (row, col); an empty unwritten cell outside the table.
    const TableCell& Cell(int row, int col) const;
    // Value cells marked as coming from a telegram that cannot be trusted.
    int SuspectCells() const;
};

// The system-parameter table: 25 rows of name, letter and shown value. Row 0 holds "System parameter"
// and the identification heading; each parameter goes to the row the layout names it at, unlisted
// letters to the rows after the last named one. Without a layout, row 0 holds only the heading.
TableContents FillSystemTable(const ParameterSet& set, const Layout* layout);

// The program-parameter table: 19 columns; row 0 the names and row 1 the letters (both from the first
// program), then one row per program from row 2. Records of the program section before its first 'P'
// record land in row 1. Without a layout the table stays empty. Nothing lands outside the table: a
// parameter with no room left and programs beyond the 255th are left out.
TableContents FillProgramTable(const ParameterSet& set, const Layout* layout);

struct FilledTables {
    TableContents system;
    TableContents program;
};
// Both tables by the layouts of the set's own device type.
FilledTables FillTables(const ParameterSet& set);

// Sizes `grid` as `table` and writes every written cell with SetTextMatrix, then its suspect mark and
// the record it shows.
void WriteTable(const TableContents& table, IGrid& grid);

class ParameterTables {
  public:
    ParameterTables(IGrid& systemTable, IGrid& programTable);

    // Parses `dump`, sizes and fills both grids; returns the device type. A text too large for a data
    // file leaves sized, empty tables and gives 0.
    int ShowDump(std::string_view dump);
    // Sizes and fills both grids from a parsed set; returns its device type.
    int ShowParameterSet(const ParameterSet& set);

    // The two walks over the records of a dump, a record at a time. Each keeps its cursor between
    // calls and returns to its start when it ends (false). They deliver exactly the records of
    // ParameterSet::SystemSection() and ProgramSection().
    bool NextSystemRecord(std::string_view dump, std::string& letter, std::string& value);
    bool NextProgramRecord(std::string_view dump, std::string& letter, std::string& value);

    // Value cells marked suspect in the last ShowDump or ShowParameterSet.
    int SuspectValues() const { return suspect_; }
    // Programs the program table had no row for in the last ShowDump or ShowParameterSet.
    int ProgramsLeftOut() const { return programsLeftOut_; }

  private:
    IGrid& system_;
    IGrid& program_;
    int systemCursor_ = 3;
    int programCursor_ = 10;
    bool programFound_ = false;
    int suspect_ = 0;
    int programsLeftOut_ = 0;
};

// Reads the whole file at `path` and shows it with ShowDump. A file that cannot be read fills nothing:
// 0 with the reason; 1 once the tables are filled.
int ShowDataFile(ParameterTables& tables, const std::string& path, std::string& reason);

}  // namespace kdm
