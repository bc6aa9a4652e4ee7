// MemoryGrid: the cells of one table in memory, with the size rules of a grid control.
#include "data/grid.h"

#include <algorithm>
#include <cstddef>

namespace kdm {
namespace {

const std::string kEmpty;

std::size_t Index(int row, int col, int cols) {
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(cols) + static_cast<std::size_t>(col);
}

}  // namespace

void MemoryGrid::SetRows(int rows) {
    const int oldRows = rows_;
    rows_ = std::max(rows, 0);
    Resize(oldRows, cols_);
}

void MemoryGrid::SetCols(int cols) {
    const int oldCols = cols_;
    cols_ = std::max(cols, 0);
    widths_.resize(static_cast<std::size_t>(cols_), 0);
    Resize(rows_, oldCols);
}

// Keeps every cell that still lies inside the new size, as a grid control does.
void MemoryGrid::Resize(int oldRows, int oldCols) {
    std::vector<CellData> cells(static_cast<std::size_t>(rows_) * static_cast<std::size_t>(cols_));
    const int keepRows = std::min(oldRows, rows_);
    const int keepCols = std::min(oldCols, cols_);
    for (int r = 0; r < keepRows; ++r) {
        for (int c = 0; c < keepCols; ++c) {
            cells[Index(r, c, cols_)] = std::move(cells_[Index(r, c, oldCols)]);
        }
    }
    cells_ = std::move(cells);
}

void MemoryGrid::SetColWidth(int col, int widthTwips) {
    if (col < 0 || col >= cols_) {
        ++rejected_;
        return;
    }
    widths_[static_cast<std::size_t>(col)] = widthTwips;
}

MemoryGrid::CellData* MemoryGrid::Current() {
    if (row_ < 0 || row_ >= rows_ || col_ < 0 || col_ >= cols_) return nullptr;
    return &cells_[Index(row_, col_, cols_)];
}

void MemoryGrid::SetText(std::string_view text) {
    CellData* cell = Current();
    if (cell == nullptr) {
        ++rejected_;
        return;
    }
    cell->text.assign(text);
    ++writes_;
}

void MemoryGrid::SetCellAlignment(short alignment) {
    CellData* cell = Current();
    if (cell == nullptr) {
        ++rejected_;
        return;
    }
    cell->alignment = alignment;
}

void MemoryGrid::SetCellSuspect(bool suspect) {
    CellData* cell = Current();
    if (cell == nullptr) {
        ++rejected_;
        return;
    }
    cell->suspect = suspect;
}

int MemoryGrid::ColWidth(int col) const {
    if (col < 0 || col >= cols_) return 0;
    return widths_[static_cast<std::size_t>(col)];
}

const std::string& MemoryGrid::Cell(int row, int col) const {
    if (row < 0 || row >= rows_ || col < 0 || col >= cols_) return kEmpty;
    return cells_[Index(row, col, cols_)].text;
}

short MemoryGrid::Alignment(int row, int col) const {
    if (row < 0 || row >= rows_ || col < 0 || col >= cols_) return 0;
    return cells_[Index(row, col, cols_)].alignment;
}

bool MemoryGrid::Suspect(int row, int col) const {
    if (row < 0 || row >= rows_ || col < 0 || col >= cols_) return false;
    return cells_[Index(row, col, cols_)].suspect;
}

}  // namespace kdm
