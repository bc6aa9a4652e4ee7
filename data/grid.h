// The write-only table interface the table filling talks to. The desktop's CTable implements it over a
// Qt table; MemoryGrid keeps the cells in memory for the command line and the tests.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kdm {

inline constexpr int kAlignLeftCenter = 1;

class IGrid {
  public:
    virtual ~IGrid() = default;
    virtual void SetRows(int rows) = 0;
    virtual void SetCols(int cols) = 0;
    virtual void SetColWidth(int col, int widthTwips) = 0;
    virtual void SetRow(int row) = 0;
    virtual void SetCol(int col) = 0;
    virtual void SetText(std::string_view text) = 0;
    virtual void SetCellAlignment(short alignment) = 0;
    // Accepts input (the program table is enabled before it is filled).
    virtual void SetEnabled(bool enabled) = 0;
    // Marks the current cell as holding a value whose telegram failed its checksum.
    virtual void SetCellSuspect(bool suspect) { (void)suspect; }
    // Names the record whose value the current cell shows (index into ParameterSet::Records()), for a
    // grid that lets the user change it. Grids that only show the values ignore it.
    virtual void SetCellRecord(std::size_t record) { (void)record; }

    // Column, row, alignment 1, text: always in this order.
    void SetTextMatrix(int row, int col, std::string_view text) {
        SetCol(col);
        SetRow(row);
        SetCellAlignment(kAlignLeftCenter);
        SetText(text);
    }
};

// Cells in memory. Writes outside the current size are ignored, as a grid control would reject them.
class MemoryGrid final : public IGrid {
  public:
    void SetRows(int rows) override;
    void SetCols(int cols) override;
    void SetColWidth(int col, int widthTwips) override;
    void SetRow(int row) override { row_ = row; }
    void SetCol(int col) override { col_ = col; }
    void SetText(std::string_view text) override;
    void SetCellAlignment(short alignment) override;
    void SetEnabled(bool enabled) override { enabled_ = enabled; }
    void SetCellSuspect(bool suspect) override;

    int Rows() const { return rows_; }
    int Cols() const { return cols_; }
    int ColWidth(int col) const;
    bool Enabled() const { return enabled_; }
    // Empty text for cells never written or outside the table.
    const std::string& Cell(int row, int col) const;
    short Alignment(int row, int col) const;
    bool Suspect(int row, int col) const;
    long CellWrites() const { return writes_; }
    // Writes (text, alignment, mark, width) aimed outside the current size, which were ignored.
    long RejectedWrites() const { return rejected_; }

  private:
    struct CellData {
        std::string text;
        short alignment = 0;
        bool suspect = false;
    };
    CellData* Current();
    void Resize(int oldRows, int oldCols);

    int rows_ = 0;
    int cols_ = 0;
    int row_ = 0;
    int col_ = 0;
    bool enabled_ = false;
    long writes_ = 0;
    long rejected_ = 0;
    std::vector<int> widths_;
    std::vector<CellData> cells_;  // row-major, rows_ x cols_
};

}  // namespace kdm
