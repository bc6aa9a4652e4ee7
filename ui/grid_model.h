// GridModel: the cells of one parameter table, under the CTable that shows them.
//
// The table filling writes every cell of a table at once (257 rows by 19 columns for the largest file);
// the view asks for the cells in sight only, when it paints them. So a cell costs a few bytes until it
// is shown, and the largest file opens as fast as a small one. Texts are kept as the bytes written and
// turned into display text (CellText) when asked for.
//
// The first `headerRows` rows hold header texts: a written cell there is bold on grey, with its whole
// text as its tooltip (names are often wider than their columns). A cell marked suspect is red, with
// the reason as its tooltip. A comparison may mark any cell on top of that (a background, and a note
// under the cell's own tooltip; a second mark adds its note under the first); marks come and go without
// touching what was written.
//
// A value cell knows the record it shows. Where the table is editable such a cell (below the header
// rows) takes a value from an editor: the model does not change itself, it hands the value on
// (valueEntered), and the document it shows changes and fills the table again. A cell whose value
// was changed and not yet saved carries a note (a background, and the note in its tooltip) until the
// next fill.
//
// A fill starts from empty cells: what the last fill wrote, marked suspect or noted as edited does not
// linger in a cell the new fill leaves alone.
//
// Writes outside the table are dropped, as the grid control rejected them. Use from the user-interface
// thread only.
#pragma once

#include <QAbstractTableModel>
#include <QBrush>
#include <QFont>
#include <QString>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class GridModel final : public QAbstractTableModel {
    Q_OBJECT
  public:
    static constexpr const char* kSuspectToolTip = "checksum mismatch or damage in this telegram";

    explicit GridModel(int headerRows, QObject* parent = nullptr);

    // While a table is filled, views are told nothing; at the end they learn the whole table at once (a
    // model reset). Pairs nest.
    void BeginFill();
    void EndFill();

    // Resizing keeps the cells that stay inside the table.
    void SetRows(int rows);
    void SetCols(int cols);
    void SetText(int row, int col, std::string_view text);
    void SetAlignment(int row, int col, Qt::Alignment alignment);
    void SetSuspect(int row, int col, bool suspect);
    void SetRecord(int row, int col, std::size_t record);
    // The record whose value the cell shows; none for names, letters, headings and empty cells.
    std::optional<std::size_t> RecordAt(int row, int col) const;
    // Value cells take values from an editor (valueEntered); off, every cell is read-only.
    void SetEditable(bool editable) { editable_ = editable; }
    bool Editable(const QModelIndex& index) const;
    // The cell's value was changed and not saved: `note` (what it was) in its tooltip. Until the next
    // fill.
    void SetEditedNote(int row, int col, const QString& note);
    bool EditedNoted(int row, int col) const;
    // The font of written header cells (the view's font, bold).
    void SetHeaderFont(const QFont& font) { headerFont_ = font; }

    // The filling wrote the cell (an empty text included).
    bool Written(int row, int col) const;

    void SetMark(int row, int col, const QBrush& background, const QString& note);
    void ClearMarks();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // An editor's text for a value cell: handed on with valueEntered; the cell itself stays as it is.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    static constexpr std::size_t kNoRecord = static_cast<std::size_t>(-1);

  signals:
    // The user entered `text` into the cell that shows `record`.
    void valueEntered(std::size_t record, const QString& text);

  private:
    enum class Tip : unsigned char { kNone, kText, kSuspect };
    struct Cell {
        std::string text;
        Qt::Alignment alignment;
        bool written = false;
        bool aligned = false;
        bool suspect = false;
        Tip tip = Tip::kNone;
        std::size_t record = kNoRecord;
    };
    struct Mark {
        QBrush background;
        QString note;
    };
    // The cell at (row, col), now written; null outside the table.
    Cell* Write(int row, int col);
    const Cell* At(int row, int col) const;
    void Resize(int rows, int cols);
    void Changed(int row, int col);

    int headerRows_;
    int rows_ = 0;
    int cols_ = 0;
    int fillDepth_ = 0;
    bool editable_ = false;
    QFont headerFont_;
    std::vector<Cell> cells_;  // row-major, rows_ x cols_
    std::map<std::pair<int, int>, Mark> marks_;
    std::map<std::pair<int, int>, QString> editedNotes_;
};
