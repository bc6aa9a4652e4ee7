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

CTable::CTable(int headerRows, QWidget* parent) : QTableWidget(parent), headerRows_(headerRows) {
    // The grid's own header rows are cells of the table, so Qt's headers stay hidden.
    horizontalHeader()->hide();
    verticalHeader()->hide();
    QFont cellFont(QStringLiteral("Tahoma"));
    cellFont.setStyleHint(QFont::SansSerif);  // most desktops have no Tahoma: take their sans font
    cellFont.setPointSize(8);
    setFont(cellFont);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(QFontMetrics(cellFont).height() + 4);
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
}

void CTable::EndUpdate() {
    if (updateDepth_ > 0 && --updateDepth_ == 0) {
        blockSignals(false);
        setUpdatesEnabled(true);
        viewport()->update();
    }
}

void CTable::SetRows(int rows) {
    setRowCount(std::max(0, rows));
}

void CTable::SetCols(int cols) {
    setColumnCount(std::max(0, cols));
}

int CTable::TwipsToPixels(int twips) const {
    return static_cast<int>(static_cast<long long>(twips) * logicalDpiX() / 1440);
}

void CTable::SetColWidth(int col, int widthTwips) {
    if (col < 0 || col >= columnCount()) return;
    setColumnWidth(col, TwipsToPixels(std::max(0, widthTwips)));
}

QTableWidgetItem* CTable::CurrentItem() {
    // Writes outside the table are dropped, as the grid control rejected them.
    if (row_ < 0 || col_ < 0 || row_ >= rowCount() || col_ >= columnCount()) return nullptr;
    QTableWidgetItem* cell = item(row_, col_);
    if (cell == nullptr) {
        cell = new QTableWidgetItem;
        cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        StyleHeaderItem(row_, cell);
        setItem(row_, col_, cell);
    }
    return cell;
}

void CTable::StyleHeaderItem(int row, QTableWidgetItem* cell) const {
    if (row >= headerRows_) return;
    QFont bold = font();
    bold.setBold(true);
    cell->setFont(bold);
    cell->setBackground(QColor(224, 224, 224));
}

void CTable::SetText(std::string_view text) {
    QTableWidgetItem* cell = CurrentItem();
    if (cell == nullptr) return;
    cell->setText(CellText(text));
    // Header names are often wider than their 1000-twip columns: the whole name on hover.
    if (row_ < headerRows_) cell->setToolTip(cell->text());
}

void CTable::SetCellAlignment(short alignment) {
    QTableWidgetItem* cell = CurrentItem();
    if (cell == nullptr) return;
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
    cell->setTextAlignment(chosen);
}

void CTable::SetEnabled(bool enabled) {
    // Input here means selecting and copying: values typed into the table would not be saved anywhere,
    // so the cells stay read-only.
    acceptsInput_ = enabled;
    setSelectionMode(enabled ? QAbstractItemView::ExtendedSelection : QAbstractItemView::NoSelection);
    setFocusPolicy(enabled ? Qt::StrongFocus : Qt::NoFocus);
}

void CTable::SetCellSuspect(bool suspect) {
    QTableWidgetItem* cell = CurrentItem();
    if (cell == nullptr) return;
    if (suspect) {
        cell->setForeground(QColor(200, 0, 0));
        cell->setToolTip(QString::fromLatin1(kSuspectToolTip));
    } else {
        cell->setData(Qt::ForegroundRole, QVariant());
        cell->setToolTip(QString());
    }
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
        const QTableWidgetItem* cell = item(index.row(), index.column());
        line[index.column() - left] = cell != nullptr ? cell->text() : QString();
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
    QTableWidget::keyPressEvent(event);
}

namespace {

// How near a border the pointer must be to grab it, and the narrowest a column can be dragged.
constexpr int kBorderGrip = 3;
constexpr int kNarrowestColumn = 8;

}  // namespace

int CTable::HeaderBorderAt(const QPoint& pos) const {
    const int row = rowAt(pos.y());
    if (row < 0 || row >= headerRows_) return -1;
    for (int col = 0; col < columnCount(); ++col) {
        const int right = columnViewportPosition(col) + columnWidth(col);
        if (std::abs(pos.x() - right) <= kBorderGrip) return col;
    }
    return -1;
}

void CTable::FitColumnToHeader(int col) {
    if (col < 0 || col >= columnCount()) return;
    int widest = 0;
    for (int row = 0; row < std::min(headerRows_, rowCount()); ++row) {
        const QTableWidgetItem* cell = item(row, col);
        if (cell == nullptr) continue;
        widest = std::max(widest, QFontMetrics(cell->font()).horizontalAdvance(cell->text()));
    }
    if (widest == 0) return;
    // Room for the cell's margins and the grid line, as the cells are drawn.
    const int margin = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 6;
    setColumnWidth(col, widest + margin);
    emit columnWidthChangedByUser(col);
}

QList<int> CTable::ColumnWidths() const {
    QList<int> widths;
    for (int col = 0; col < columnCount(); ++col)
        widths.append(columnWidth(col));
    return widths;
}

bool CTable::ApplyColumnWidths(const QList<int>& widths) {
    if (widths.size() != columnCount()) return false;
    for (int col = 0; col < columnCount(); ++col)
        setColumnWidth(col, std::max(kNarrowestColumn, widths[col]));
    return true;
}

QSize CTable::FullContentSize() const {
    int width = 0;
    for (int col = 0; col < columnCount(); ++col)
        width += columnWidth(col);
    int height = 0;
    for (int row = 0; row < rowCount(); ++row)
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
    if (!wantsWholeTable_) return QTableWidget::sizeHint();
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
    QTableWidget::mousePressEvent(event);
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
    QTableWidget::mouseMoveEvent(event);
}

void CTable::mouseReleaseEvent(QMouseEvent* event) {
    if (dragColumn_ >= 0) {
        const int col = dragColumn_;
        dragColumn_ = -1;
        if (columnWidth(col) != dragStartWidth_) emit columnWidthChangedByUser(col);
        event->accept();
        return;
    }
    QTableWidget::mouseReleaseEvent(event);
}

void CTable::mouseDoubleClickEvent(QMouseEvent* event) {
    const int col = event->button() == Qt::LeftButton ? HeaderBorderAt(event->position().toPoint()) : -1;
    if (col >= 0) {
        dragColumn_ = -1;
        FitColumnToHeader(col);
        event->accept();
        return;
    }
    QTableWidget::mouseDoubleClickEvent(event);
}
