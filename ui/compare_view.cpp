#include "ui/compare_view.h"

#include <QAction>
#include <QBoxLayout>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTemporaryDir>
#include <map>

#include "data/catalogue.h"
#include "data/strings.h"
#include "files/data_file.h"
#include "ui/app_services.h"
#include "ui/ctable.h"
#include "ui/display_text.h"
#include "ui/document.h"
#include "ui/menu.h"

namespace {

QString FromLocal(const std::string& text) {
    return QString::fromLocal8Bit(text.c_str());
}

QString ValueText(const kdm::DiffSide& side) {
    if (!side.value) return QCoreApplication::translate("Compare", "(none)");
    QString text =
        side.value->empty() ? QCoreApplication::translate("Compare", "(blank)") : CellText(*side.value);
    if (side.suspect == kdm::Suspect::kMismatch)
        text += QCoreApplication::translate("Compare", " (checksum mismatch)");
    if (side.suspect == kdm::Suspect::kDamaged)
        text += QCoreApplication::translate("Compare", " (damaged telegram)");
    return text;
}

// Where the table filling puts each record's value: (row, column) by record index. The walks are those
// of FillSystemTable and FillProgramTable, so a mark lands on the cell that shows the value.
struct Places {
    std::map<std::size_t, std::pair<int, int>> system;
    std::map<std::size_t, std::pair<int, int>> program;
};

Places PlacesOf(const kdm::ParameterSet& set) {
    Places places;
    const kdm::Layout* systemLayout = kdm::SystemLayout(set.DeviceType());
    const kdm::Layout* programLayout = kdm::ProgramLayout(set.DeviceType());
    if (systemLayout == nullptr || programLayout == nullptr) return places;
    int unlisted = systemLayout->firstUnlisted;
    for (const std::size_t k : set.SystemSection()) {
        const kdm::Record& record = set.Records()[k];
        const std::string_view letter = record.Letter();
        if (kdm::ShownNameId(*systemLayout, letter, record.Value()) == 0) continue;
        const kdm::LayoutEntry* entry = letter.size() == 1 ? systemLayout->Find(letter[0]) : nullptr;
        places.system[k] = {entry != nullptr ? entry->position : unlisted++, 2};
    }
    unlisted = programLayout->firstUnlisted;
    int row = 1;
    for (const std::size_t k : set.ProgramSection()) {
        const kdm::Record& record = set.Records()[k];
        const std::string_view letter = record.Letter();
        const bool program = letter == "P";
        if (program) ++row;
        if (kdm::ShownNameId(*programLayout, letter, record.Value()) == 0) continue;
        const kdm::LayoutEntry* entry = letter.size() == 1 ? programLayout->Find(letter[0]) : nullptr;
        const int column = entry != nullptr ? entry->position : unlisted++;
        if (entry != nullptr && program) unlisted = programLayout->firstUnlisted;
        places.program[k] = {row, column};
    }
    return places;
}

}  // namespace

CompareView::CompareView(AppServices& services, QWidget& window, const DataDocument& document,
                         CTable& systemTable, CTable& programTable)
    : QWidget(&window),
      services_(services),
      window_(window),
      document_(document),
      systemTable_(systemTable),
      programTable_(programTable) {
    setObjectName(QStringLiteral("compareView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("compareCount"));
    count_->setWordWrap(true);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("compareList"));
    list_->setMaximumHeight(list_->fontMetrics().height() * 7);
    layout->addWidget(count_);
    layout->addWidget(list_);
    connect(list_, &QListWidget::currentRowChanged, this, &CompareView::JumpTo);
    connect(list_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { JumpTo(list_->row(item)); });
    hide();
    AddToWindowLayout();
    AddMenu();
}

void CompareView::AddToWindowLayout() {
    // Under the tables, above the window's own status line and buttons, whatever shape the layout has.
    if (auto* box = qobject_cast<QBoxLayout*>(window_.layout())) {
        box->insertWidget(std::max(0, box->count() - 1), this);
    } else if (auto* grid = qobject_cast<QGridLayout*>(window_.layout())) {
        grid->addWidget(this, grid->rowCount(), 0, 1, std::max(1, grid->columnCount()));
    }
}

void CompareView::AddMenu() {
    QMenuBar* bar =
        window_.layout() != nullptr ? qobject_cast<QMenuBar*>(window_.layout()->menuBar()) : nullptr;
    if (bar == nullptr) bar = window_.findChild<QMenuBar*>();
    if (bar == nullptr) return;
    menu_ = new QMenu(QCoreApplication::translate("Compare", "&Compare"), bar);
    menu_->setObjectName(QStringLiteral("compareMenu"));
    QAction* withFile = menu_->addAction(QCoreApplication::translate("Compare", "Compare with &file..."));
    withFile->setObjectName(QStringLiteral("compareWithFile"));
    connect(withFile, &QAction::triggered, this, [this] { OnCompareWithFile(); });
    QAction* withDevice = menu_->addAction(QCoreApplication::translate("Compare", "Compare with &device..."));
    withDevice->setObjectName(QStringLiteral("compareWithDevice"));
    connect(withDevice, &QAction::triggered, this, [this] { OnCompareWithDevice(); });
    // Before the Help menu, beside the data commands; found by name, as its title is in the user's
    // language.
    QAction* before = nullptr;
    for (QAction* action : bar->actions()) {
        if (action->menu() != nullptr && action->menu()->objectName() == QLatin1String(kHelpMenuName)) {
            before = action;
            break;
        }
    }
    bar->insertMenu(before, menu_);
}

bool CompareView::OnCompareWithFile() {
    QString path;
    if (chooseFile) {
        if (!chooseFile(path)) return false;
    } else {
        QFileDialog dialog(&window_, QCoreApplication::translate("Compare", "Compare with file"));
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilters({QStringLiteral("KDM DataFiles (*.KDM *.kdm)"),
                               QCoreApplication::translate("Compare", "All files (*)")});
        dialog.setDirectory(QFileInfo(FromLocal(document_.Path())).absolutePath());
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
        path = dialog.selectedFiles().constFirst();
    }
    if (CompareWithFile(path.toLocal8Bit().toStdString(), QFileInfo(path).fileName())) return true;
    QMessageBox box(QMessageBox::Warning, QString::fromLatin1(kdm::kErrorTitle), failure_, QMessageBox::Ok,
                    &window_);
    box.setObjectName(QStringLiteral("compareFailureBox"));
    box.exec();
    return false;
}

namespace {

bool LoadSet(const std::string& path, kdm::ParameterSet& set, QString& failure) {
    std::string text;
    std::string reason;
    long length = 0;
    if (kdm::ReadWholeFile(path, text, length, reason) == 0) {
        failure = FromLocal(reason.empty() ? "The file " + path + " cannot be read." : reason);
        return false;
    }
    kdm::ParsedParameterSet parsed = kdm::ParseParameterSet(text);
    if (!parsed.ok) {
        failure = FromLocal(path + ": " + parsed.reason);
        return false;
    }
    set = std::move(parsed.set);
    return true;
}

}  // namespace

bool CompareView::CompareWithFile(const std::string& path, const QString& otherName) {
    failure_.clear();
    if (!document_.Loaded()) {
        failure_ = FromLocal(document_.LoadFailure());
        return false;
    }
    kdm::ParameterSet other;
    if (!LoadSet(path, other, failure_)) return false;
    ShowComparison(document_.Parameters(), other, otherName);
    return true;
}

bool CompareView::OnCompareWithDevice() {
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        QMessageBox::warning(
            &window_, QString::fromLatin1(kdm::kErrorTitle),
            QCoreApplication::translate("Compare", "No temporary directory for the device's data."));
        return false;
    }
    const QString savePath = scratch.filePath(QStringLiteral("device.KDM"));
    // This one read goes to the scratch directory; every other read still to the start-up directory.
    ReadRequest request;
    request.tempFilePath = scratch.filePath(QStringLiteral("KDM.tmp")).toLocal8Bit().toStdString();
    request.chooseSavePath = [savePath](QWidget*, QString& path) {
        path = savePath;
        return true;
    };
    request.onReadWindow = onReadWindow;
    const std::string saved = services_.RunRead(&window_, request);
    if (saved.empty()) return false;
    const bool compared = CompareWithFile(saved, QCoreApplication::translate("Compare", "the device"));
    if (!compared) {
        QMessageBox::warning(&window_, QString::fromLatin1(kdm::kErrorTitle), failure_);
    }
    return compared;
}

std::map<std::size_t, CompareView::Cell> CompareView::CellsOfRecords(const kdm::ParameterSet& shown,
                                                                     CTable& systemTable,
                                                                     CTable& programTable) {
    std::map<std::size_t, Cell> cells;
    const Places places = PlacesOf(shown);
    for (auto [byRecord, table] :
         {std::pair{&places.system, &systemTable}, std::pair{&places.program, &programTable}}) {
        for (const auto& [record, place] : *byRecord) {
            const auto [row, col] = place;
            if (row >= 0 && col >= 0 && row < table->Rows() && col < table->Cols())
                cells[record] = Cell{table, row, col};
        }
    }
    return cells;
}

void CompareView::PlaceCells(const kdm::ParameterSet& shown) {
    const Places places = PlacesOf(shown);
    const kdm::Layout* systemLayout = kdm::SystemLayout(shown.DeviceType());
    const kdm::Layout* programLayout = kdm::ProgramLayout(shown.DeviceType());
    CTable* systemTable = &systemTable_;
    CTable* programTable = &programTable_;
    auto inTable = [](CTable* table, int row, int col) -> std::optional<Cell> {
        if (row < 0 || col < 0 || row >= table->Rows() || col >= table->Cols()) return std::nullopt;
        return Cell{table, row, col};
    };
    cells_.clear();
    for (const kdm::ParameterDifference& difference : diff_.differences) {
        const bool system = difference.block == kdm::DiffBlock::kSystem;
        std::optional<Cell> cell;
        if (difference.a.record) {
            const auto& byRecord = system ? places.system : places.program;
            if (const auto found = byRecord.find(*difference.a.record); found != byRecord.end())
                cell =
                    inTable(system ? systemTable : programTable, found->second.first, found->second.second);
        } else if (difference.letter.size() == 1 && systemLayout != nullptr && programLayout != nullptr) {
            // Only the other side has it: the empty cell where this window would show it, when the
            // layout names the letter (and, in the program block, this window has the program).
            if (system) {
                if (const kdm::LayoutEntry* entry = systemLayout->Find(difference.letter[0]))
                    cell = inTable(systemTable, entry->position, 2);
            } else if (difference.letter != "P" && difference.program) {
                const kdm::Program* program = shown.FindProgram(*difference.program);
                const kdm::LayoutEntry* entry = programLayout->Find(difference.letter[0]);
                if (program != nullptr && program->number && entry != nullptr) {
                    if (const auto found = places.program.find(program->number->record);
                        found != places.program.end())
                        cell = inTable(programTable, found->second.first, entry->position);
                }
            }
        }
        cells_.push_back(cell);
    }
}

void CompareView::MarkCell(const Cell& cell, const QString& toolTip) {
    cell.table->SetMark(cell.row, cell.col, MarkBrush(), toolTip);
}

void CompareView::ShowComparison(const kdm::ParameterSet& shown, const kdm::ParameterSet& other,
                                 const QString& otherName) {
    Clear();
    diff_ = kdm::CompareParameterSets(shown, other);
    otherName_ = otherName;
    PlaceCells(shown);

    if (diff_.DeviceTypeDiffers()) {
        auto* item =
            new QListWidgetItem(QCoreApplication::translate("Compare", "Device type %1 here, %2 in %3")
                                    .arg(diff_.deviceTypeA)
                                    .arg(diff_.deviceTypeB)
                                    .arg(otherName_),
                                list_);
        item->setData(Qt::UserRole, -1);
    }
    for (std::size_t i = 0; i < diff_.differences.size(); ++i) {
        const kdm::ParameterDifference& d = diff_.differences[i];
        QString where = d.block == kdm::DiffBlock::kSystem
                            ? QCoreApplication::translate("Compare", "System")
                            : QCoreApplication::translate("Compare", "Program %1")
                                  .arg(d.program ? QString::number(*d.program)
                                                 : QCoreApplication::translate("Compare", "(no number)"));
        const QString name = d.name.empty()
                                 ? CellText(d.letter)
                                 : QStringLiteral("%1 (%2)").arg(CellText(d.name), CellText(d.letter));
        QString text;
        switch (d.Kind()) {
            case kdm::DiffKind::kChanged:
                text = QCoreApplication::translate("Compare", "%1, %2: %3 here, %4 in %5")
                           .arg(where, name, ValueText(d.a), ValueText(d.b), otherName_);
                break;
            case kdm::DiffKind::kOnlyInA:
                text = QCoreApplication::translate("Compare", "%1, %2: %3 here, not in %4")
                           .arg(where, name, ValueText(d.a), otherName_);
                break;
            case kdm::DiffKind::kOnlyInB:
                text = QCoreApplication::translate("Compare", "%1, %2: only in %3, %4")
                           .arg(where, name, otherName_, ValueText(d.b));
                break;
            case kdm::DiffKind::kSuspect:
                text = QCoreApplication::translate("Compare", "%1, %2: %3 here, %4 in %5 - not to be trusted")
                           .arg(where, name, ValueText(d.a), ValueText(d.b), otherName_);
                break;
        }
        auto* item = new QListWidgetItem(text, list_);
        item->setData(Qt::UserRole, static_cast<int>(i));
        if (cells_[i]) {
            const QString tip =
                d.b.value
                    ? QCoreApplication::translate("Compare", "In %1: %2").arg(otherName_, ValueText(d.b))
                    : QCoreApplication::translate("Compare", "Not in %1").arg(otherName_);
            MarkCell(*cells_[i], tip);
        } else {
            item->setToolTip(QCoreApplication::translate("Compare", "No cell in this window's tables"));
        }
    }
    count_->setText(CountText());
    show();
}

QString CompareView::CountText() const {
    if (diff_.Same())
        return QCoreApplication::translate("Compare", "No differences from %1.").arg(otherName_);
    const int count = static_cast<int>(diff_.differences.size());
    QString text =
        count == 1
            ? QCoreApplication::translate("Compare", "1 difference from %1").arg(otherName_)
            : QCoreApplication::translate("Compare", "%1 differences from %2").arg(count).arg(otherName_);
    QStringList parts;
    const int changed = diff_.Count(kdm::DiffKind::kChanged);
    const int onlyHere = diff_.Count(kdm::DiffKind::kOnlyInA);
    const int onlyThere = diff_.Count(kdm::DiffKind::kOnlyInB);
    const int suspect = diff_.Count(kdm::DiffKind::kSuspect);
    if (changed > 0) parts << QCoreApplication::translate("Compare", "%1 changed").arg(changed);
    if (onlyHere > 0) parts << QCoreApplication::translate("Compare", "%1 only here").arg(onlyHere);
    if (onlyThere > 0)
        parts << QCoreApplication::translate("Compare", "%1 only in %2").arg(onlyThere).arg(otherName_);
    if (suspect > 0)
        parts << QCoreApplication::translate("Compare", "%1 alike but not to be trusted").arg(suspect);
    if (!parts.isEmpty()) text += QStringLiteral(" (%1)").arg(parts.join(QStringLiteral(", ")));
    if (diff_.DeviceTypeDiffers())
        text += QCoreApplication::translate("Compare", "; the device type differs");
    return text +
           QCoreApplication::translate("Compare", ". Marked cells show the other value in their tooltip.");
}

std::optional<CompareView::Cell> CompareView::CellOf(std::size_t difference) const {
    return difference < cells_.size() ? cells_[difference] : std::nullopt;
}

void CompareView::JumpTo(int row) {
    const QListWidgetItem* item = list_->item(row);
    if (item == nullptr) return;
    const int index = item->data(Qt::UserRole).toInt();
    if (index < 0) return;
    const std::optional<Cell> cell = CellOf(static_cast<std::size_t>(index));
    if (!cell) return;
    const QModelIndex shown = cell->table->Cell(cell->row, cell->col);
    cell->table->setCurrentIndex(shown);
    cell->table->scrollTo(shown);
}

QBrush CompareView::MarkBrush() {
    return QBrush(QColor(255, 226, 140));
}

void CompareView::Clear() {
    systemTable_.ClearMarks();
    programTable_.ClearMarks();
    cells_.clear();
    list_->clear();
    diff_ = kdm::ParameterDiff();
    count_->clear();
    hide();
}
