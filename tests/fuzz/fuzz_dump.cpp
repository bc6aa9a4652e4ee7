// Fuzzes everything that reads a dump: the parameter model, device-type detection, both table fillings
// and the checks before a write. Whatever the bytes, the model must give them back exactly and walk the
// same records as the tables, nothing may be written outside the tables, a filling must depend on the
// dump alone, and the checks must agree with their parts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "data/catalogue.h"
#include "data/dump.h"
#include "data/grid.h"
#include "data/parameter_model.h"
#include "data/tables.h"
#include "files/data_file.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool KnownType(int type) {
    if (type == 0) return true;
    for (const int known : kdm::KnownDeviceTypes()) {
        if (known == type) return true;
    }
    return false;
}

// A grid that aborts at the first write outside its size and remembers every cell write in order, so two
// fillings can be compared without keeping 5000 cells per table.
class CheckingGrid final : public kdm::IGrid {
  public:
    explicit CheckingGrid(bool programTable) : programTable_(programTable) {}
    void SetRows(int rows) override { rows_ = rows; }
    void SetCols(int cols) override { cols_ = cols; }
    void SetColWidth(int col, int) override { Check(col >= 0 && col < cols_); }
    void SetRow(int row) override { row_ = row; }
    void SetCol(int col) override { col_ = col; }
    void SetCellAlignment(short alignment) override {
        Check(Inside());
        Check(alignment == kdm::kAlignLeftCenter);
    }
    void SetEnabled(bool) override {}
    void SetCellSuspect(bool) override {
        Check(Inside());
        // Only value cells carry the mark: never the names row, nor the names or letters of the system table.
        Check(programTable_ ? row_ >= 1 : (row_ >= 1 && col_ == 2));
        log_ += "!";
    }
    void SetText(std::string_view text) override {
        Check(Inside());
        // Letters are one character, values at most nine, wherever they land.
        if (!programTable_ && row_ > 0 && col_ == 1) Check(text.size() <= 1);
        if (!programTable_ && row_ > 0 && col_ == 2) Check(text.size() <= 9);
        if (programTable_ && row_ >= 2) Check(text.size() <= 9);
        ++writes_;
        log_ += std::to_string(row_) + "," + std::to_string(col_) + "=" + std::string(text) + "\n";
    }

    int writes_ = 0;
    std::string log_;

  private:
    bool Inside() const { return row_ >= 0 && row_ < rows_ && col_ >= 0 && col_ < cols_; }
    bool programTable_;
    int rows_ = 0;
    int cols_ = 0;
    int row_ = 0;
    int col_ = 0;
};

// The records the cursor walks deliver, one "letter value" line each, from their start state.
std::string Walked(kdm::ParameterTables& tables, std::string_view dump, bool program) {
    std::string letter;
    std::string value;
    std::string out;
    while (program ? tables.NextProgramRecord(dump, letter, value)
                   : tables.NextSystemRecord(dump, letter, value))
        out += letter + " " + value + "\n";
    return out;
}

std::string Modelled(const kdm::ParameterSet& set, bool program) {
    std::string out;
    for (const std::size_t k : program ? set.ProgramSection() : set.SystemSection()) {
        const kdm::Record& record = set.Records()[k];
        out += std::string(record.Letter()) + " " + std::string(record.Value()) + "\n";
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view dump(reinterpret_cast<const char*>(data), size);

    std::string heading;
    const int type = kdm::DetectDeviceType(dump, heading);
    Check(KnownType(type));
    Check(heading.size() <= 11);

    CheckingGrid system(false);
    CheckingGrid program(true);
    kdm::ParameterTables tables(system, program);
    Check(tables.ShowDump(dump) == type);
    if (type == 0) Check(program.writes_ == 0 && system.writes_ == 2);
    const int systemWrites = system.writes_;
    const int programWrites = program.writes_;
    Check(tables.SuspectValues() >= 0 && tables.SuspectValues() <= kdm::kSystemRows * kdm::kSystemCols +
                                                                       kdm::kProgramRows * kdm::kProgramCols);

    Check(system.log_.find("0,2=" + heading + "\n") != std::string::npos);

    // Parsed once, written back byte for byte, with the same type and the records the walks deliver.
    const kdm::ParsedParameterSet parsed = kdm::ParseParameterSet(dump);
    Check(parsed.ok);
    Check(kdm::DataFileTextOf(parsed.set) == dump);
    Check(parsed.set.DeviceType() == type && parsed.set.Heading() == heading);
    Check(Walked(tables, dump, false) == Modelled(parsed.set, false));
    Check(Walked(tables, dump, true) == Modelled(parsed.set, true));

    // The cursors are back at their start: the same object shows the same dump the same way. Checked on
    // every fourth input only, to keep the executions per second up.
    if (size % 4 == 0) {
        const std::string firstSystem = std::move(system.log_);
        const std::string firstProgram = std::move(program.log_);
        system.log_.clear();
        program.log_.clear();
        tables.ShowDump(dump);
        Check(system.log_ == firstSystem && program.log_ == firstProgram);
    }

    // Once in a while through the memory grid the tools use, whose size rules must hold as well (its
    // 5000 cells cost as much as twenty ordinary executions, so only for one length in 512).
    if (size % 512 == 0) {
        kdm::MemoryGrid memorySystem;
        kdm::MemoryGrid memoryProgram;
        kdm::ParameterTables memory(memorySystem, memoryProgram);
        memory.ShowDump(dump);
        Check(memorySystem.RejectedWrites() == 0 && memoryProgram.RejectedWrites() == 0);
        Check(memorySystem.Rows() == kdm::kSystemRows && memorySystem.Cols() == kdm::kSystemCols);
        Check(memoryProgram.Rows() == kdm::kProgramRows && memoryProgram.Cols() == kdm::kProgramCols);
        Check(memorySystem.Cell(0, 2) == heading);
        Check(memorySystem.CellWrites() == systemWrites && memoryProgram.CellWrites() == programWrites);
    }

    // The first bytes stand for the device's identification text, the rest for the file.
    const std::size_t split = size == 0 ? 0 : data[0] % 32;
    const std::string_view identification = dump.substr(0, split < size ? split : size);
    const std::string_view file = dump.substr(identification.size());
    const int matches = kdm::FileMatchesDevice(identification, file);
    Check(matches == 0 || matches == 1);
    Check(kdm::FileMatchesDevice(file, file) == 1);
    Check(kdm::FileMatchesDevice(file, identification) == matches);
    int firstG = 0;
    int failure = 0;
    const long length = static_cast<long>(file.size());
    const int ok = kdm::CheckFileForWrite(identification, file, length, firstG, failure);
    Check(ok == (matches == 1 && length > kdm::kMinimumWriteLength ? 1 : 0));
    if (matches == 0) Check(failure == kdm::kWrongDeviceTypeText && firstG == -1);
    if (matches == 1 && ok == 0) Check(failure == kdm::kParameterFileErrorText);
    if (matches == 1)
        Check(firstG < 0 || (static_cast<std::size_t>(firstG) < file.size() &&
                             file[static_cast<std::size_t>(firstG)] == 'g'));
    return 0;
}
