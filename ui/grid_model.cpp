#include "ui/grid_model.h"

#include <QColor>
#include <algorithm>

#include "ui/display_text.h"

namespace {

const QColor kHeaderBackground(224, 224, 224);
const QColor kSuspectForeground(200, 0, 0);
// Pale blue, apart from the comparison's yellow marks, the header grey and the suspect red.
const QColor kEditedBackground(198, 226, 255);

}  // namespace

GridModel::GridModel(int headerRows, QObject* parent)
    : QAbstractTableModel(parent), headerRows_(headerRows) {}

void GridModel::BeginFill() {
    if (fillDepth_++ > 0) return;
    for (Cell& cell : cells_)
        cell = Cell();
    editedNotes_.clear();
}

void GridModel::EndFill() {
    if (fillDepth_ == 0 || --fillDepth_ > 0) return;
    // One notice for everything written meanwhile: views fetch the cells in sight again.
    if (rows_ > 0 && cols_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1));
}

void GridModel::Resize(int rows, int cols) {
    std::vector<Cell> resized(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols));
    for (int row = 0; row < std::min(rows, rows_); ++row) {
        for (int col = 0; col < std::min(cols, cols_); ++col) {
            resized[static_cast<std::size_t>(row) * static_cast<std::size_t>(cols) +
                    static_cast<std::size_t>(col)] =
                std::move(cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(cols_) +
                                 static_cast<std::size_t>(col)]);
        }
    }
    cells_ = std::move(resized);
    rows_ = rows;
    cols_ = cols;
    for (auto mark = marks_.begin(); mark != marks_.end();) {
        mark = mark->first.first >= rows || mark->first.second >= cols ? marks_.erase(mark) : std::next(mark);
    }
    for (auto note = editedNotes_.begin(); note != editedNotes_.end();) {
        note = note->first.first >= rows || note->first.second >= cols ? editedNotes_.erase(note)
                                                                       : std::next(note);
    }
}

// Rows and columns come and go as insertions and removals, as in any table model, so that a view
// keeps the widths of the columns that stay.
void GridModel::SetRows(int rows) {
    rows = std::max(0, rows);
    if (rows > rows_) {
        beginInsertRows(QModelIndex(), rows_, rows - 1);
        Resize(rows, cols_);
        endInsertRows();
    } else if (rows < rows_) {
        beginRemoveRows(QModelIndex(), rows, rows_ - 1);
        Resize(rows, cols_);
        endRemoveRows();
    }
}

void GridModel::SetCols(int cols) {
    cols = std::max(0, cols);
    if (cols > cols_) {
        beginInsertColumns(QModelIndex(), cols_, cols - 1);
        Resize(rows_, cols);
        endInsertColumns();
    } else if (cols < cols_) {
        beginRemoveColumns(QModelIndex(), cols, cols_ - 1);
        Resize(rows_, cols);
        endRemoveColumns();
    }
}

const GridModel::Cell* GridModel::At(int row, int col) const {
    if (row < 0 || col < 0 || row >= rows_ || col >= cols_) return nullptr;
    return &cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(cols_) +
                   static_cast<std::size_t>(col)];
}

GridModel::Cell* GridModel::Write(int row, int col) {
    Cell* cell = const_cast<Cell*>(At(row, col));
    if (cell != nullptr) cell->written = true;
    return cell;
}

void GridModel::Changed(int row, int col) {
    if (fillDepth_ > 0) return;
    const QModelIndex changed = index(row, col);
    emit dataChanged(changed, changed);
}

void GridModel::SetText(int row, int col, std::string_view text) {
    Cell* cell = Write(row, col);
    if (cell == nullptr) return;
    cell->text.assign(text);
    if (row < headerRows_) cell->tip = Tip::kText;
    Changed(row, col);
}

void GridModel::SetAlignment(int row, int col, Qt::Alignment alignment) {
    Cell* cell = Write(row, col);
    if (cell == nullptr) return;
    cell->alignment = alignment;
    cell->aligned = true;
    Changed(row, col);
}

void GridModel::SetSuspect(int row, int col, bool suspect) {
    Cell* cell = Write(row, col);
    if (cell == nullptr) return;
    cell->suspect = suspect;
    cell->tip = suspect ? Tip::kSuspect : Tip::kNone;
    Changed(row, col);
}

void GridModel::SetRecord(int row, int col, std::size_t record) {
    Cell* cell = Write(row, col);
    if (cell == nullptr) return;
    cell->record = record;
    Changed(row, col);
}

std::optional<std::size_t> GridModel::RecordAt(int row, int col) const {
    const Cell* cell = At(row, col);
    if (cell == nullptr || !cell->written || cell->record == kNoRecord) return std::nullopt;
    return cell->record;
}

bool GridModel::Editable(const QModelIndex& index) const {
    return editable_ && index.isValid() && index.row() >= headerRows_ &&
           RecordAt(index.row(), index.column()).has_value();
}

void GridModel::SetEditedNote(int row, int col, const QString& note) {
    if (At(row, col) == nullptr) return;
    editedNotes_[{row, col}] = note;
    Changed(row, col);
}

bool GridModel::EditedNoted(int row, int col) const {
    return editedNotes_.count({row, col}) > 0;
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !Editable(index)) return false;
    emit valueEntered(*RecordAt(index.row(), index.column()), value.toString());
    // The document the table shows decides, and fills the table again when it takes the value.
    return false;
}

bool GridModel::Written(int row, int col) const {
    const Cell* cell = At(row, col);
    return cell != nullptr && cell->written;
}

void GridModel::SetMark(int row, int col, const QBrush& background, const QString& note) {
    if (At(row, col) == nullptr) return;
    // Two differences may land on one cell (a letter a program holds twice): both notes show.
    const auto [mark, added] = marks_.try_emplace({row, col}, Mark{background, note});
    if (!added) mark->second = Mark{background, mark->second.note + QLatin1Char('\n') + note};
    Changed(row, col);
}

void GridModel::ClearMarks() {
    std::map<std::pair<int, int>, Mark> cleared;
    cleared.swap(marks_);
    for (const auto& [place, mark] : cleared)
        Changed(place.first, place.second);
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : cols_;
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    // Selectable for copying; value cells of an editable table also take a value.
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return Editable(index) ? flags | Qt::ItemIsEditable : flags;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    const Cell* cell = index.isValid() ? At(index.row(), index.column()) : nullptr;
    if (cell == nullptr) return QVariant();
    const auto mark = marks_.find({index.row(), index.column()});
    const bool marked = mark != marks_.end();
    const bool header = cell->written && index.row() < headerRows_;
    const auto edited = editedNotes_.find({index.row(), index.column()});
    const bool noted = edited != editedNotes_.end();
    switch (role) {
        case Qt::DisplayRole:
            return cell->written ? QVariant(CellText(cell->text)) : QVariant();
        case Qt::EditRole:
            // What an editor starts from: the shown value without the blanks around it ("-000150").
            return cell->written ? QVariant(CellText(cell->text).trimmed()) : QVariant();
        case Qt::TextAlignmentRole:
            return cell->aligned ? QVariant::fromValue(cell->alignment) : QVariant();
        case Qt::FontRole:
            return header ? QVariant(headerFont_) : QVariant();
        case Qt::BackgroundRole:
            if (marked) return mark->second.background;
            if (noted) return QVariant(QBrush(kEditedBackground));
            return header ? QVariant(QBrush(kHeaderBackground)) : QVariant();
        case Qt::ForegroundRole:
            return cell->suspect ? QVariant(QBrush(kSuspectForeground)) : QVariant();
        case Qt::ToolTipRole: {
            QString tip;
            if (cell->tip == Tip::kText) tip = CellText(cell->text);
            if (cell->tip == Tip::kSuspect) tip = QString::fromLatin1(kSuspectToolTip);
            if (noted) tip = tip.isEmpty() ? edited->second : tip + QLatin1Char('\n') + edited->second;
            // A suspect cell keeps its own note above the comparison's.
            if (marked) tip = tip.isEmpty() ? mark->second.note : tip + QLatin1Char('\n') + mark->second.note;
            return tip.isEmpty() ? QVariant() : QVariant(tip);
        }
        default:
            return QVariant();
    }
}
