// Filling the two parameter tables from a dump, through the layout of its device type.
//
// ParameterTables holds the two walking cursors that survive between the steps of one walk and return
// to their start values when a walk ends. It writes only inside the tables: letters that do not fit and
// programs beyond the 255th are left out.
#pragma once

#include <string>
#include <string_view>

#include "data/grid.h"
#include "data/parameter_model.h"

namespace kdm {

inline constexpr int kSystemRows = 25;
inline constexpr int kSystemCols = 3;
inline constexpr int kProgramRows = 257;
inline constexpr int kProgramCols = 19;

class ParameterTables {
  public:
    ParameterTables(IGrid& systemTable, IGrid& programTable);

    // Sizes and fills both tables; returns the device type.
    int ShowDump(std::string_view dump);

    void InitSystemTable();
    void InitProgramTable();
    void SetSystemCell(int column, int row, std::string_view text);
    void SetProgramCell(int column, int row, std::string_view text);
    void PutSystemParameter(int column, int row, int nameId, std::string_view letter, std::string_view value);
    void PutProgramParameter(int column, int row, int nameId, std::string_view letter,
                             std::string_view value);
    bool NextSystemRecord(std::string_view dump, std::string& letter, std::string& value);
    bool NextProgramRecord(std::string_view dump, std::string& letter, std::string& value);
    void FillSystemTable(int type, std::string_view dump);
    void FillProgramTable(int type, std::string_view dump);

    // Values shown whose telegram record carries the checksum-mismatch mark, in the last ShowDump.
    int SuspectValues() const { return suspect_; }

  private:
    void MarkIfSuspect(IGrid& grid, bool valueWritten);

    IGrid& system_;
    IGrid& program_;
    int systemCursor_ = 3;
    int programCursor_ = 10;
    bool programFound_ = false;
    int suspect_ = 0;
    bool lastRecordSuspect_ = false;  // the record the cursors handed out last carries " !!!"
};

// Reads the whole file at `path` and shows it with ShowDump. A file that cannot be read fills nothing:
// 0 with the reason; 1 once the tables are filled.
int ShowDataFile(ParameterTables& tables, const std::string& path, std::string& reason);

}  // namespace kdm
