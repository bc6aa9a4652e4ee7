// CTable: one parameter table of the table window, a table view driven through the core's write-only
// grid interface. Its cells live in a GridModel (ui/grid_model.h), which the view asks for the cells in
// sight only. The first `headerRows` rows are ordinary cells that the table filling writes header texts
// into; they are drawn bold on grey so they read as headers.
#pragma once

#include <QTableView>
#include <string_view>

#include "data/grid.h"
#include "ui/grid_model.h"

class CTable final : public QTableView, public kdm::IGrid {
    Q_OBJECT
  public:
    CTable(int headerRows, QWidget* parent);

    // Suspends painting while a table is filled; pairs nest.
    void BeginUpdate();
    void EndUpdate();

    // The cells.
    GridModel* Cells() const { return cells_; }
    int Rows() const;
    int Cols() const;
    // The model index of a cell, for its data in any role; invalid outside the table.
    QModelIndex Cell(int row, int col) const;
    // The table filling wrote the cell (an empty text included).
    bool Written(int row, int col) const;

    // kdm::IGrid
    void SetRows(int rows) override;
    void SetCols(int cols) override;
    void SetColWidth(int col, int widthTwips) override;
    void SetRow(int row) override { row_ = row; }
    void SetCol(int col) override { col_ = col; }
    void SetText(std::string_view text) override;
    void SetCellAlignment(short alignment) override;
    void SetEnabled(bool enabled) override;
    void SetCellSuspect(bool suspect) override;

    // Twips (1/1440 inch) to pixels at this widget's logical resolution.
    int TwipsToPixels(int twips) const;
    bool AcceptsInput() const { return acceptsInput_; }
    // The selected cells as tab-separated lines (rows in order, one line per selected row).
    QString SelectionAsText() const;

    static constexpr const char* kSuspectToolTip = GridModel::kSuspectToolTip;

    // A comparison's mark on a cell: a background, and `note` under the cell's own tooltip. Marks leave
    // what the filling wrote as it was; ClearMarks removes them all.
    void SetMark(int row, int col, const QBrush& background, const QString& note);
    void ClearMarks();

    // Column widths as the user sets them: the border at the right of a column, within the header
    // rows, can be dragged, and a double click on it fits the column to its header texts.
    // The column whose right border lies at `pos` (viewport coordinates) in a header row, or -1.
    int HeaderBorderAt(const QPoint& pos) const;
    // Widens or narrows `col` to the widest of its header texts.
    void FitColumnToHeader(int col);
    // The column widths in pixels, left to right.
    QList<int> ColumnWidths() const;
    // Sets the widths when there is one for every column; false (and nothing changed) otherwise.
    bool ApplyColumnWidths(const QList<int>& widths);
    // Wide enough for every column and high enough for every row, without scroll bars.
    QSize FullContentSize() const;
    // When set, the table asks its layout for its full content size (plus a scroll bar while it
    // has one) instead of a fixed default.
    void SetWantsWholeTable(bool wants);
    QSize sizeHint() const override;

  signals:
    // The user changed a column's width (drag or double click).
    void columnWidthChangedByUser(int col);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    GridModel* cells_;
    int headerRows_;
    int row_ = 0;
    int col_ = 0;
    int updateDepth_ = 0;
    bool acceptsInput_ = false;
    bool wantsWholeTable_ = false;
    int dragColumn_ = -1;  // column whose border is being dragged
    int dragStartX_ = 0;
    int dragStartWidth_ = 0;
};
