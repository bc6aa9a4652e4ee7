// CTable: one parameter table of the table window, a table view driven through the core's write-only
// grid interface. Its cells live in a GridModel (ui/grid_model.h), which the view asks for the cells in
// sight only. The first `headerRows` rows are ordinary cells that the table filling writes header texts
// into; they are drawn bold on grey so they read as headers.
//
// Frozen headings: a second view over the same cells shows the header rows above the scrolling rows, so
// that the names and letters stay in sight at program 200 (the scrolling view hides its own copy of
// them). Column widths and the horizontal scroll follow the table; column borders are grabbed there.
//
// Editing: value cells (those that show a record) take an optional sign and up to six digits, started
// by a double click, F2 or typing. Anything else is refused in the cell (entryRefused); a value entered
// goes to whoever listens to the cells' valueEntered, the cell itself stays as it is until the table
// is filled again.
#pragma once

#include <QTableView>
#include <cstddef>
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
    void SetCellRecord(std::size_t record) override;

    // Value cells take values from an editor (see above).
    void SetEditable(bool editable);
    // Why an entry was refused in the cell.
    enum class Refusal { kCharacter, kIncomplete };

    // Keeps the header rows in sight (see above).
    void SetFrozenHeadings(bool frozen);
    // The view that shows the header rows: the headings view when they are frozen, else the table.
    QTableView* HeadingsView();
    // The height the frozen header rows take above the scrolling rows; 0 when they are not frozen.
    int HeadingsHeight() const { return headingsHeight_; }

    // Widens columns whose header text is cut to show it whole, as far as the table has room to the
    // right of its columns, left to right, starting from the widths the filling set. With `fits`, the
    // table does so again whenever it is resized, until the user sets a width himself.
    void FitHeadingsToRoom();
    void SetFitsHeadingsToRoom(bool fits);
    // Rows up to the last one the filling wrote.
    int RowsInUse() const;

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
    // The column whose right border lies at `pos` (viewport coordinates of HeadingsView()) in a header
    // row, or -1.
    int HeaderBorderAt(const QPoint& pos) const;
    // Widens or narrows `col` to the widest of its header texts.
    void FitColumnToHeader(int col);
    // The column widths in pixels, left to right.
    QList<int> ColumnWidths() const;
    // Sets the widths when there is one for every column; false (and nothing changed) otherwise.
    bool ApplyColumnWidths(const QList<int>& widths);
    // Wide enough for every column and high enough for every row, without scroll bars.
    QSize FullContentSize() const;
    // The same for the rows in use only (RowsInUse).
    QSize UsedContentSize() const;
    // When set, the table asks its layout for the size of its rows in use (plus a scroll bar while it
    // has one) instead of a fixed default.
    void SetWantsWholeTable(bool wants);
    QSize sizeHint() const override;

  signals:
    // The user changed a column's width (drag or double click).
    void columnWidthChangedByUser(int col);
    // A character or a value was refused in a value cell's editor.
    void entryRefused(CTable::Refusal refusal);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void updateGeometries() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Column border grabbing in the header rows, at `pos` in HeadingsView()'s viewport. True when the
    // event was about a border.
    bool BorderPress(const QPoint& pos, Qt::MouseButton button);
    bool BorderMove(const QPoint& pos);
    bool BorderRelease();
    bool BorderDoubleClick(const QPoint& pos, Qt::MouseButton button);
    // The width that shows the column's widest header text whole.
    int HeaderFitWidth(int col) const;
    int HeightOfRows(int rows) const;
    void UpdateHeadings();

    GridModel* cells_;
    int headerRows_;
    int row_ = 0;
    int col_ = 0;
    int updateDepth_ = 0;
    bool acceptsInput_ = false;
    bool wantsWholeTable_ = false;
    QTableView* headings_ = nullptr;
    int headingsHeight_ = 0;
    QList<int> filledWidths_;  // the widths the filling set, in pixels
    bool fitsHeadings_ = false;
    int dragColumn_ = -1;  // column whose border is being dragged
    int dragStartX_ = 0;
    int dragStartWidth_ = 0;
};
