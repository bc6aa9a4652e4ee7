#include "ui/ctable.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <cstdlib>
#include <map>

#include "ui/display_text.h"

CTable::CTable(int headerRows, QWidget* parent)
    : QTableView(parent), cells_(new GridModel(headerRows, this)), headerRows_(headerRows) {
    // The grid's own header rows are cells of the table, so Qt's headers stay hidden.
    horizontalHeader()->hide();
    verticalHeader()->hide();
    QFont cellFont(QStringLiteral("Tahoma"));
    cellFont.setStyleHint(QFont::SansSerif);  // most desktops have no Tahoma: take their sans font
    cellFont.setPointSize(8);
    setFont(cellFont);
    QFont bold = cellFont;
    bold.setBold(true);
    cells_->SetHeaderFont(bold);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(QFontMetrics(cellFont).height() + 4);
    setModel(cells_);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setWordWrap(false);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::NoFocus);
    // Moves without a button pressed show where a column border can be grabbed.
    viewport()->setMouseTracking(true);
}

void CTable::BeginUpdate() {
    if (updateDepth_++ == 0) {
        setUpdatesEnabled(false);
        blockSignals(true);
    }
    cells_->BeginFill();
}

void CTable::EndUpdate() {
    if (updateDepth_ == 0) return;
    cells_->EndFill();
    if (--updateDepth_ == 0) {
        blockSignals(false);
        setUpdatesEnabled(true);
        viewport()->update();
    }
}

int CTable::Rows() const {
    return cells_->rowCount();
}

int CTable::Cols() const {
    return cells_->columnCount();
}

QModelIndex CTable::Cell(int row, int col) const {
    return cells_->index(row, col);
}

bool CTable::Written(int row, int col) const {
    return cells_->Written(row, col);
}

void CTable::SetRows(int rows) {
    cells_->SetRows(rows);
}

void CTable::SetCols(int cols) {
    cells_->SetCols(cols);
}

int CTable::TwipsToPixels(int twips) const {
    return static_cast<int>(static_cast<long long>(twips) * logicalDpiX() / 1440);
}

void CTable::SetColWidth(int col, int widthTwips) {
    if (col < 0 || col >= Cols()) return;
    setColumnWidth(col, TwipsToPixels(std::max(0, widthTwips)));
}

void CTable::SetText(std::string_view text) {
    cells_->SetText(row_, col_, text);
}

void CTable::SetCellAlignment(short alignment) {
    // The grid's codes: 0-2 left, 3-5 centre, 6-8 right; each triple top, centre, bottom.
    static const std::map<int, Qt::Alignment> kAlignments = {
        {0, Qt::AlignLeft | Qt::AlignTop},
        {1, Qt::AlignLeft | Qt::AlignVCenter},
        {2, Qt::AlignLeft | Qt::AlignBottom},
        {3, Qt::AlignHCenter | Qt::AlignTop},
        {4, Qt::AlignCenter},
        {5, Qt::AlignHCenter | Qt::AlignBottom},
        {6, Qt::AlignRight | Qt::AlignTop},
        {7, Qt::AlignRight | Qt::AlignVCenter},
        {8, Qt::AlignRight | Qt::AlignBottom},
    };
    const auto found = kAlignments.find(alignment);
    const Qt::Alignment chosen =
        found != kAlignments.end() ? found->second : (Qt::AlignLeft | Qt::AlignVCenter);
    cells_->SetAlignment(row_, col_, chosen);
}

void CTable::SetEnabled(bool enabled) {
    // Input here means selecting and copying: values typed into the table would not be saved anywhere,
    // so the cells stay read-only.
    acceptsInput_ = enabled;
    setSelectionMode(enabled ? QAbstractItemView::ExtendedSelection : QAbstractItemView::NoSelection);
    setFocusPolicy(enabled ? Qt::StrongFocus : Qt::NoFocus);
}

void CTable::SetCellSuspect(bool suspect) {
    cells_->SetSuspect(row_, col_, suspect);
}

void CTable::SetMark(int row, int col, const QBrush& background, const QString& note) {
    cells_->SetMark(row, col, background, note);
}

void CTable::ClearMarks() {
    cells_->ClearMarks();
}

QString CTable::SelectionAsText() const {
    QModelIndexList indexes = selectedIndexes();
    if (indexes.isEmpty()) return QString();
    std::sort(indexes.begin(), indexes.end(), [](const QModelIndex& a, const QModelIndex& b) {
        return a.row() != b.row() ? a.row() < b.row() : a.column() < b.column();
    });
    int left = indexes.front().column();
    int right = left;
    for (const QModelIndex& index : indexes) {
        left = std::min(left, index.column());
        right = std::max(right, index.column());
    }
    QString text;
    int row = -1;
    QStringList line;
    auto flush = [&] {
        if (row >= 0) text += line.join(QLatin1Char('\t')) + QLatin1Char('\n');
    };
    for (const QModelIndex& index : indexes) {
        if (index.row() != row) {
            flush();
            row = index.row();
            line = QStringList(right - left + 1, QString());
        }
        line[index.column() - left] = index.data().toString();
    }
    flush();
    return text;
}

void CTable::keyPressEvent(QKeyEvent* event) {
    if (acceptsInput_ && event->matches(QKeySequence::Copy)) {
        QApplication::clipboard()->setText(SelectionAsText());
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

namespace {

// How near a border the pointer must be to grab it, and the narrowest a column can be dragged.
constexpr int kBorderGrip = 3;
constexpr int kNarrowestColumn = 8;

}  // namespace

int CTable::HeaderBorderAt(const QPoint& pos) const {
    const int row = rowAt(pos.y());
    if (row < 0 || row >= headerRows_) return -1;
    for (int col = 0; col < Cols(); ++col) {
        const int right = columnViewportPosition(col) + columnWidth(col);
        if (std::abs(pos.x() - right) <= kBorderGrip) return col;
    }
    return -1;
}

void CTable::FitColumnToHeader(int col) {
    if (col < 0 || col >= Cols()) return;
    int widest = 0;
    for (int row = 0; row < std::min(headerRows_, Rows()); ++row) {
        if (!Written(row, col)) continue;
        const QModelIndex cell = Cell(row, col);
        const QFont cellFont =
            cell.data(Qt::FontRole).isValid() ? cell.data(Qt::FontRole).value<QFont>() : font();
        widest = std::max(widest, QFontMetrics(cellFont).horizontalAdvance(cell.data().toString()));
    }
    if (widest == 0) return;
    // Room for the cell's margins and the grid line, as the cells are drawn.
    const int margin = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 6;
    setColumnWidth(col, widest + margin);
    emit columnWidthChangedByUser(col);
}

QList<int> CTable::ColumnWidths() const {
    QList<int> widths;
    for (int col = 0; col < Cols(); ++col)
        widths.append(columnWidth(col));
    return widths;
}

bool CTable::ApplyColumnWidths(const QList<int>& widths) {
    if (widths.size() != Cols()) return false;
    for (int col = 0; col < Cols(); ++col)
        setColumnWidth(col, std::max(kNarrowestColumn, widths[col]));
    return true;
}

QSize CTable::FullContentSize() const {
    int width = 0;
    for (int col = 0; col < Cols(); ++col)
        width += columnWidth(col);
    int height = 0;
    for (int row = 0; row < Rows(); ++row)
        height += rowHeight(row);
    const int frame = 2 * frameWidth();
    return QSize(width + frame + (showGrid() ? 1 : 0), height + frame + (showGrid() ? 1 : 0));
}

void CTable::SetWantsWholeTable(bool wants) {
    if (wants == wantsWholeTable_) return;
    wantsWholeTable_ = wants;
    if (wants) {
        // The wish changes with the widths and with the scroll bar coming and going.
        connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this] { updateGeometry(); });
        connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, [this] { updateGeometry(); });
    }
    updateGeometry();
}

QSize CTable::sizeHint() const {
    if (!wantsWholeTable_) return QTableView::sizeHint();
    QSize full = FullContentSize();
    if (verticalScrollBar()->maximum() > 0) full.rwidth() += verticalScrollBar()->sizeHint().width();
    return full.expandedTo(minimumSize());
}

void CTable::mousePressEvent(QMouseEvent* event) {
    const int col = event->button() == Qt::LeftButton ? HeaderBorderAt(event->position().toPoint()) : -1;
    if (col >= 0) {
        dragColumn_ = col;
        dragStartX_ = event->position().toPoint().x();
        dragStartWidth_ = columnWidth(col);
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void CTable::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (dragColumn_ >= 0) {
        setColumnWidth(dragColumn_, std::max(kNarrowestColumn, dragStartWidth_ + pos.x() - dragStartX_));
        event->accept();
        return;
    }
    // The pointer tells where a border can be grabbed, as on a header.
    if (HeaderBorderAt(pos) >= 0) {
        viewport()->setCursor(Qt::SplitHCursor);
    } else {
        viewport()->unsetCursor();
    }
    QTableView::mouseMoveEvent(event);
}

void CTable::mouseReleaseEvent(QMouseEvent* event) {
    if (dragColumn_ >= 0) {
        const int col = dragColumn_;
        dragColumn_ = -1;
        if (columnWidth(col) != dragStartWidth_) emit columnWidthChangedByUser(col);
        event->accept();
        return;
    }
    QTableView::mouseReleaseEvent(event);
}

void CTable::mouseDoubleClickEvent(QMouseEvent* event) {
    const int col = event->button() == Qt::LeftButton ? HeaderBorderAt(event->position().toPoint()) : -1;
    if (col >= 0) {
        dragColumn_ = -1;
        FitColumnToHeader(col);
        event->accept();
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
}
