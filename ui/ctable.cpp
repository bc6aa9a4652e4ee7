#include "ui/ctable.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <algorithm>
#include <cstdlib>
#include <map>

#include "ui/display_text.h"

namespace {

// The editor of a value cell: it takes no character that could not begin a value of a sign and six
// digits, and hands on only a whole value.
class ValueDelegate final : public QStyledItemDelegate {
  public:
    explicit ValueDelegate(CTable& table) : QStyledItemDelegate(&table), table_(table) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        (void)option;
        (void)index;
        auto* editor = new QLineEdit(parent);
        editor->setObjectName(QStringLiteral("valueEditor"));
        editor->setFrame(false);
        editor->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[+-]?[0-9]{0,6}")), editor));
        CTable* table = &table_;
        QObject::connect(editor, &QLineEdit::inputRejected, table,
                         [table] { emit table->entryRefused(CTable::Refusal::kCharacter); });
        return editor;
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        const auto* line = qobject_cast<QLineEdit*>(editor);
        if (line == nullptr) return;
        static const QRegularExpression kWhole(QStringLiteral("\\A[+-]?[0-9]{1,6}\\z"));
        if (!kWhole.match(line->text()).hasMatch()) {
            emit table_.entryRefused(CTable::Refusal::kIncomplete);
            return;
        }
        model->setData(index, line->text(), Qt::EditRole);
    }

  private:
    CTable& table_;
};

}  // namespace

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
        UpdateHeadings();
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
    const int width = TwipsToPixels(std::max(0, widthTwips));
    setColumnWidth(col, width);
    // The filling sets every column's width, each time it fills.
    if (filledWidths_.size() != Cols()) filledWidths_.resize(Cols());
    filledWidths_[col] = width;
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
    // Input here means selecting and copying; editing values is SetEditable's.
    acceptsInput_ = enabled;
    const bool editable = editTriggers() != QAbstractItemView::NoEditTriggers;
    setSelectionMode(enabled    ? QAbstractItemView::ExtendedSelection
                     : editable ? QAbstractItemView::SingleSelection
                                : QAbstractItemView::NoSelection);
    setFocusPolicy(enabled || editable ? Qt::StrongFocus : Qt::NoFocus);
}

void CTable::SetCellSuspect(bool suspect) {
    cells_->SetSuspect(row_, col_, suspect);
}

void CTable::SetCellRecord(std::size_t record) {
    cells_->SetRecord(row_, col_, record);
}

void CTable::SetEditable(bool editable) {
    cells_->SetEditable(editable);
    if (!editable) {
        setEditTriggers(QAbstractItemView::NoEditTriggers);
        return;
    }
    setItemDelegate(new ValueDelegate(*this));
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    // A cell to edit needs a current cell, and keys.
    if (selectionMode() == QAbstractItemView::NoSelection)
        setSelectionMode(QAbstractItemView::SingleSelection);
    setFocusPolicy(Qt::StrongFocus);
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
    const QTableView* view = headings_ != nullptr ? headings_ : this;
    const int row = view->rowAt(pos.y());
    if (row < 0 || row >= headerRows_) return -1;
    for (int col = 0; col < Cols(); ++col) {
        const int right = view->columnViewportPosition(col) + view->columnWidth(col);
        if (std::abs(pos.x() - right) <= kBorderGrip) return col;
    }
    return -1;
}

void CTable::FitColumnToHeader(int col) {
    if (col < 0 || col >= Cols()) return;
    const int width = HeaderFitWidth(col);
    if (width == 0) return;
    setColumnWidth(col, width);
    fitsHeadings_ = false;
    emit columnWidthChangedByUser(col);
}

int CTable::HeaderFitWidth(int col) const {
    int widest = 0;
    for (int row = 0; row < std::min(headerRows_, Rows()); ++row) {
        if (!Written(row, col)) continue;
        const QModelIndex cell = Cell(row, col);
        const QFont cellFont =
            cell.data(Qt::FontRole).isValid() ? cell.data(Qt::FontRole).value<QFont>() : font();
        widest = std::max(widest, QFontMetrics(cellFont).horizontalAdvance(cell.data().toString()));
    }
    if (widest == 0) return 0;
    // Room for the cell's margins and the grid line, as the cells are drawn.
    const int margin = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 6;
    return widest + margin;
}

void CTable::FitHeadingsToRoom() {
    if (filledWidths_.size() != Cols()) return;
    int used = 0;
    for (int col = 0; col < Cols(); ++col) {
        setColumnWidth(col, filledWidths_[col]);
        used += filledWidths_[col];
    }
    int spare = viewport()->width() - used - (showGrid() ? 1 : 0);
    for (int col = 0; col < Cols() && spare > 0; ++col) {
        const int more = std::min(spare, HeaderFitWidth(col) - columnWidth(col));
        if (more <= 0) continue;
        setColumnWidth(col, columnWidth(col) + more);
        spare -= more;
    }
}

void CTable::SetFitsHeadingsToRoom(bool fits) {
    fitsHeadings_ = fits;
    if (fits) FitHeadingsToRoom();
}

void CTable::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    if (fitsHeadings_) FitHeadingsToRoom();
}

int CTable::RowsInUse() const {
    for (int row = Rows() - 1; row >= 0; --row) {
        for (int col = 0; col < Cols(); ++col) {
            if (Written(row, col)) return row + 1;
        }
    }
    return 0;
}

int CTable::HeightOfRows(int rows) const {
    int height = headingsHeight_;
    for (int row = 0; row < std::min(rows, Rows()); ++row)
        height += rowHeight(row);  // 0 for the header rows the headings view shows instead
    return height;
}

void CTable::SetFrozenHeadings(bool frozen) {
    if (frozen == (headings_ != nullptr)) return;
    if (!frozen) {
        delete headings_;
        headings_ = nullptr;
        for (int row = 0; row < std::min(headerRows_, Rows()); ++row)
            setRowHidden(row, false);
        headingsHeight_ = 0;
        horizontalHeader()->hide();
        return;
    }
    headings_ = new QTableView(this);
    headings_->setObjectName(QStringLiteral("headings"));
    headings_->setModel(cells_);
    headings_->setFont(font());
    headings_->horizontalHeader()->hide();
    headings_->verticalHeader()->hide();
    headings_->verticalHeader()->setMinimumSectionSize(1);
    headings_->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    headings_->setFrameShape(QFrame::NoFrame);
    headings_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    headings_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    headings_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    headings_->setSelectionMode(QAbstractItemView::NoSelection);
    headings_->setFocusPolicy(Qt::NoFocus);
    headings_->setWordWrap(false);
    headings_->setHorizontalScrollMode(horizontalScrollMode());
    headings_->viewport()->setMouseTracking(true);
    headings_->viewport()->installEventFilter(this);
    connect(horizontalHeader(), &QHeaderView::sectionResized, headings_,
            [this](int col, int, int width) { headings_->setColumnWidth(col, width); });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, headings_->horizontalScrollBar(),
            &QScrollBar::setValue);
    UpdateHeadings();
    headings_->show();
}

QTableView* CTable::HeadingsView() {
    return headings_ != nullptr ? headings_ : this;
}

void CTable::UpdateHeadings() {
    if (headings_ == nullptr) return;
    int height = 0;
    for (int row = 0; row < std::min(headerRows_, Rows()); ++row) {
        setRowHidden(row, true);
        height += headings_->rowHeight(row);
    }
    for (int col = 0; col < Cols(); ++col)
        headings_->setColumnWidth(col, columnWidth(col));
    // The table keeps the room of its own (empty) column header above the rows for them, where the
    // headings view covers it: the scrolling rows never pass under the headings.
    if (height != headingsHeight_) {
        headingsHeight_ = height;
        horizontalHeader()->setFixedHeight(height);
    }
    horizontalHeader()->setVisible(height > 0);
    updateGeometries();
}

void CTable::updateGeometries() {
    QTableView::updateGeometries();
    if (headings_ == nullptr) return;
    headings_->setGeometry(horizontalHeader()->geometry());
    headings_->raise();
    headings_->horizontalScrollBar()->setRange(horizontalScrollBar()->minimum(),
                                               horizontalScrollBar()->maximum());
    headings_->horizontalScrollBar()->setValue(horizontalScrollBar()->value());
}

bool CTable::eventFilter(QObject* watched, QEvent* event) {
    if (headings_ == nullptr || watched != headings_->viewport())
        return QTableView::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            return BorderPress(mouse->position().toPoint(), mouse->button());
        }
        case QEvent::MouseMove:
            return BorderMove(static_cast<QMouseEvent*>(event)->position().toPoint());
        case QEvent::MouseButtonRelease:
            return BorderRelease();
        case QEvent::MouseButtonDblClick: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            return BorderDoubleClick(mouse->position().toPoint(), mouse->button());
        }
        default:
            return false;
    }
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
    const int frame = 2 * frameWidth();
    return QSize(width + frame + (showGrid() ? 1 : 0), HeightOfRows(Rows()) + frame + (showGrid() ? 1 : 0));
}

QSize CTable::UsedContentSize() const {
    const QSize full = FullContentSize();
    const int frame = 2 * frameWidth();
    return QSize(full.width(), HeightOfRows(RowsInUse()) + frame + (showGrid() ? 1 : 0));
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
    QSize full = UsedContentSize();
    if (verticalScrollBar()->maximum() > 0) full.rwidth() += verticalScrollBar()->sizeHint().width();
    return full.expandedTo(minimumSize());
}

bool CTable::BorderPress(const QPoint& pos, Qt::MouseButton button) {
    const int col = button == Qt::LeftButton ? HeaderBorderAt(pos) : -1;
    if (col < 0) return false;
    dragColumn_ = col;
    dragStartX_ = pos.x();
    dragStartWidth_ = columnWidth(col);
    return true;
}

bool CTable::BorderMove(const QPoint& pos) {
    if (dragColumn_ >= 0) {
        setColumnWidth(dragColumn_, std::max(kNarrowestColumn, dragStartWidth_ + pos.x() - dragStartX_));
        return true;
    }
    // The pointer tells where a border can be grabbed, as on a header.
    if (HeaderBorderAt(pos) >= 0) {
        HeadingsView()->viewport()->setCursor(Qt::SplitHCursor);
    } else {
        HeadingsView()->viewport()->unsetCursor();
    }
    return false;
}

bool CTable::BorderRelease() {
    if (dragColumn_ < 0) return false;
    const int col = dragColumn_;
    dragColumn_ = -1;
    if (columnWidth(col) != dragStartWidth_) {
        fitsHeadings_ = false;
        emit columnWidthChangedByUser(col);
    }
    return true;
}

bool CTable::BorderDoubleClick(const QPoint& pos, Qt::MouseButton button) {
    const int col = button == Qt::LeftButton ? HeaderBorderAt(pos) : -1;
    if (col < 0) return false;
    dragColumn_ = -1;
    FitColumnToHeader(col);
    return true;
}

// With frozen headings the header rows are not in this viewport: their events come through the
// event filter.
void CTable::mousePressEvent(QMouseEvent* event) {
    if (headings_ == nullptr && BorderPress(event->position().toPoint(), event->button())) {
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void CTable::mouseMoveEvent(QMouseEvent* event) {
    if (headings_ == nullptr && BorderMove(event->position().toPoint())) {
        event->accept();
        return;
    }
    QTableView::mouseMoveEvent(event);
}

void CTable::mouseReleaseEvent(QMouseEvent* event) {
    if (headings_ == nullptr && BorderRelease()) {
        event->accept();
        return;
    }
    QTableView::mouseReleaseEvent(event);
}

void CTable::mouseDoubleClickEvent(QMouseEvent* event) {
    if (headings_ == nullptr && BorderDoubleClick(event->position().toPoint(), event->button())) {
        event->accept();
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
}
