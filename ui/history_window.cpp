#include "ui/history_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>

#include "data/strings.h"
#include "ui/app_services.h"
#include "ui/compare_view.h"
#include "ui/core_text.h"
#include "ui/document.h"
#include "ui/pictures.h"
#include "ui/table_window.h"

namespace {

// Entry facts are stored as bytes; host and user names may be UTF-8.
QString FromBytes(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString KindText(const kdm::HistoryEntry& entry) {
    QString text = HistoryKindWords(entry.kind);
    if (entry.kind == kdm::HistoryKind::kWrite && entry.verify != kdm::VerifyOutcome::kNotAsked)
        text += QCoreApplication::translate("History", ", verify ") + VerifyOutcomeWords(entry.verify);
    if (entry.Incomplete())
        text += QCoreApplication::translate("History", ", incomplete: %1 of %2 frames")
                    .arg(entry.framesSent)
                    .arg(entry.framesInFile);
    return text;
}

QString StageText(kdm::SyncStage stage) {
    switch (stage) {
        case kdm::SyncStage::kFetching:
            return QCoreApplication::translate("History", "Asking the remote what it holds...");
        case kdm::SyncStage::kMerging:
            return QCoreApplication::translate("History", "Taking in the entries of other laptops...");
        case kdm::SyncStage::kPushing:
            return QCoreApplication::translate("History", "Sending this laptop's entries...");
    }
    return {};
}

QString EntriesText(int count) {
    return count == 1 ? QCoreApplication::translate("History", "1 entry")
                      : QCoreApplication::translate("History", "%1 entries").arg(count);
}

}  // namespace

HistoryWindow::HistoryWindow(AppServices& services, kdm::IHistory& history, QWidget* parent)
    : QDialog(parent), services_(services), history_(history) {
    setObjectName(QStringLiteral("HistoryWindow"));
    setWindowTitle(QCoreApplication::translate("History", "Device history"));
    setWindowIcon(AppIcon());

    auto* layout = new QVBoxLayout(this);
    remote_ = new QLabel(this);
    remote_->setObjectName(QStringLiteral("historyRemote"));
    remote_->setTextFormat(Qt::PlainText);
    remote_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(remote_);

    table_ = new QTableWidget(0, kColumnCount, this);
    table_->setObjectName(QStringLiteral("historyTable"));
    table_->setHorizontalHeaderLabels(
        {QCoreApplication::translate("History", "Time"), QCoreApplication::translate("History", "Kind"),
         QCoreApplication::translate("History", "Device"), QCoreApplication::translate("History", "Type"),
         QCoreApplication::translate("History", "Host"), QCoreApplication::translate("History", "User"),
         QCoreApplication::translate("History", "Port"), QCoreApplication::translate("History", "Entry")});
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setWordWrap(false);
    layout->addWidget(table_, 1);

    auto* progressRow = new QHBoxLayout();
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("historyStatus"));
    status_->setTextFormat(Qt::PlainText);
    status_->setWordWrap(true);
    progressRow->addWidget(status_, 1);
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("historySyncProgress"));
    progress_->setRange(0, 3);
    progress_->setTextVisible(false);
    progress_->hide();
    progressRow->addWidget(progress_);
    layout->addLayout(progressRow);

    auto* buttons = new QHBoxLayout();
    open_ = new QPushButton(QCoreApplication::translate("History", "&Open"), this);
    open_->setObjectName(QStringLiteral("historyOpen"));
    compare_ = new QPushButton(QCoreApplication::translate("History", "Compare with &previous"), this);
    compare_->setObjectName(QStringLiteral("historyCompare"));
    sync_ = new QPushButton(QCoreApplication::translate("History", "&Synchronise"), this);
    sync_->setObjectName(QStringLiteral("historySync"));
    close_ = new QPushButton(QCoreApplication::translate("History", "Close"), this);
    close_->setObjectName(QStringLiteral("historyClose"));
    buttons->addWidget(open_);
    buttons->addWidget(compare_);
    buttons->addStretch(1);
    buttons->addWidget(sync_);
    buttons->addWidget(close_);
    layout->addLayout(buttons);
    open_->setDefault(true);

    connect(open_, &QPushButton::clicked, this, [this] { OnOpen(); });
    connect(compare_, &QPushButton::clicked, this, [this] { OnCompareWithPrevious(); });
    connect(sync_, &QPushButton::clicked, this, [this] { OnSynchronise(); });
    connect(close_, &QPushButton::clicked, this, &HistoryWindow::reject);
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this] { OnOpen(); });
    connect(table_, &QTableWidget::itemSelectionChanged, this, [this] { UpdateButtons(); });

    Reload();
    resize(QSize(900, 420).expandedTo(sizeHint()));
}

HistoryWindow::~HistoryWindow() {
    if (!syncThread_) return;
    // git cannot be stopped halfway without leaving work for the next sync: let it finish.
    while (!syncThread_->wait(5))
        QCoreApplication::processEvents();
}

QString HistoryWindow::LocalTimeText(const std::string& utc) {
    const QString text = FromBytes(utc);
    QDateTime time = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!time.isValid()) return text;
    return time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

void HistoryWindow::Reload() {
    std::string selectedId;
    if (const kdm::HistoryEntry* entry = Selected()) selectedId = entry->id;
    entries_.clear();
    const kdm::HistoryResult listed = history_.List(entries_);
    table_->setRowCount(static_cast<int>(entries_.size()));
    int reselect = entries_.empty() ? -1 : 0;
    for (int row = 0; row < static_cast<int>(entries_.size()); ++row) {
        const kdm::HistoryEntry& entry = entries_[static_cast<std::size_t>(row)];
        const QString cells[kColumnCount] = {
            LocalTimeText(entry.time), KindText(entry),
            FromBytes(entry.device),   entry.deviceType > 0 ? QString::number(entry.deviceType) : QString(),
            FromBytes(entry.host),     FromBytes(entry.user),
            FromBytes(entry.port),     FromBytes(entry.ShortId()),
        };
        for (int column = 0; column < kColumnCount; ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if (column == kTime) item->setToolTip(FromBytes(entry.time) + QStringLiteral(" (UTC)"));
            if (column == kEntry) item->setToolTip(FromBytes(entry.id));
            if (column == kDevice) item->setToolTip(FromBytes(entry.identification));
            table_->setItem(row, column, item);
        }
        if (!entry.source.empty()) table_->item(row, kKind)->setToolTip(FromBytes(entry.source));
        if (entry.id == selectedId) reselect = row;
    }
    table_->resizeColumnsToContents();
    if (reselect >= 0) table_->selectRow(reselect);

    std::string url;
    const kdm::HistoryResult remote = history_.Remote(url);
    if (!remote.ok) {
        remote_->setText(QCoreApplication::translate("History", "Shared remote: unknown (%1)")
                             .arg(FromBytes(remote.reason)));
    } else if (url.empty()) {
        remote_->setText(QCoreApplication::translate(
            "History", "Not shared: no remote is set (kdmxp-cli history remote URL sets one)"));
    } else {
        remote_->setText(QCoreApplication::translate("History", "Shared through: ") + FromBytes(url));
    }
    remote_->setToolTip(QCoreApplication::translate("History", "Kept in ") + FromBytes(history_.Location()));

    if (!listed.ok) {
        status_->setText(QCoreApplication::translate("History", "The history cannot be listed: ") +
                         FromBytes(listed.reason));
    } else if (entries_.empty()) {
        status_->setText(
            QCoreApplication::translate("History",
                                        "No entries yet: every read, every backup before a write and every "
                                        "write adds one."));
    } else {
        status_->setText(EntriesText(static_cast<int>(entries_.size())));
    }
    UpdateButtons();
}

QString HistoryWindow::RemoteText() const {
    return remote_->text();
}

QString HistoryWindow::StatusText() const {
    return status_->text();
}

const kdm::HistoryEntry* HistoryWindow::Selected() const {
    const QList<QTableWidgetItem*> items = table_->selectedItems();
    if (items.isEmpty()) return nullptr;
    const int row = items.front()->row();
    if (row < 0 || row >= static_cast<int>(entries_.size())) return nullptr;
    return &entries_[static_cast<std::size_t>(row)];
}

void HistoryWindow::UpdateButtons() {
    const bool idle = !Synchronising();
    const bool chosen = Selected() != nullptr;
    open_->setEnabled(idle && chosen);
    compare_->setEnabled(idle && chosen);
    sync_->setEnabled(idle);
    close_->setEnabled(idle);
}

std::string HistoryWindow::WriteOut(const kdm::HistoryEntry& entry) {
    std::string contents;
    const kdm::HistoryResult read = history_.ReadContents(entry, contents);
    if (!read.ok) {
        status_->setText(QCoreApplication::translate("History", "Entry %1 cannot be read: %2")
                             .arg(FromBytes(entry.ShortId()), FromBytes(read.reason)));
        return {};
    }
    if (!scratch_.isValid()) {
        status_->setText(
            QCoreApplication::translate("History", "No temporary directory for the entry's data: ") +
            scratch_.errorString());
        return {};
    }
    // Named by device and entry, so that the table window's title says which entry it shows.
    const QString path = scratch_.filePath(FromBytes(entry.device) + QLatin1Char('_') +
                                           FromBytes(entry.ShortId()) + QStringLiteral(".KDM"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(contents.data(), static_cast<qint64>(contents.size())) !=
            static_cast<qint64>(contents.size())) {
        status_->setText(QCoreApplication::translate("History", "Entry %1 cannot be shown: %2")
                             .arg(FromBytes(entry.ShortId()), file.errorString()));
        return {};
    }
    return path.toLocal8Bit().toStdString();
}

void HistoryWindow::ShowTable(const std::string& path, const kdm::HistoryEntry* previous,
                              const std::string& previousPath) {
    DataDocument document;
    document.Open(path);
    CKDM_XPDlg window(services_, document, this);
    if (previous != nullptr) {
        window.OnInitDialog();
        const QString label = QCoreApplication::translate("History", "entry %1 (%2, %3)")
                                  .arg(FromBytes(previous->ShortId()), LocalTimeText(previous->time),
                                       HistoryKindWords(previous->kind));
        if (!window.Compare()->CompareWithFile(previousPath, label)) {
            QMessageBox box(QMessageBox::Warning, QString::fromLatin1(kdm::kErrorTitle),
                            window.Compare()->Failure(), QMessageBox::Ok, this);
            box.setObjectName(QStringLiteral("historyCompareFailureBox"));
            box.exec();
        }
    }
    if (onTableWindow) onTableWindow(window);
    window.exec();
}

bool HistoryWindow::OnOpen() {
    const kdm::HistoryEntry* entry = Selected();
    if (entry == nullptr || Synchronising()) return false;
    const kdm::HistoryEntry chosen = *entry;
    const std::string path = WriteOut(chosen);
    if (path.empty()) return false;
    ShowTable(path, nullptr, {});
    return true;
}

bool HistoryWindow::OnCompareWithPrevious() {
    const kdm::HistoryEntry* entry = Selected();
    if (entry == nullptr || Synchronising()) return false;
    const kdm::HistoryEntry chosen = *entry;
    const kdm::HistoryEntry* before = kdm::PreviousEntryOfDevice(entries_, chosen.id);
    if (before == nullptr) {
        QMessageBox box(
            QMessageBox::Information, windowTitle(),
            QCoreApplication::translate("History",
                                        "Entry %1 is the first of device %2: there is nothing before it to "
                                        "compare it with.")
                .arg(FromBytes(chosen.ShortId()), FromBytes(chosen.device)),
            QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("historyNoPreviousBox"));
        box.exec();
        return false;
    }
    const kdm::HistoryEntry previous = *before;
    const std::string path = WriteOut(chosen);
    if (path.empty()) return false;
    const std::string previousPath = WriteOut(previous);
    if (previousPath.empty()) return false;
    ShowTable(path, &previous, previousPath);
    return true;
}

bool HistoryWindow::Synchronising() const {
    return syncThread_ != nullptr;
}

void HistoryWindow::OnSynchronise() {
    if (Synchronising()) return;
    report_ = kdm::SyncReport();
    syncResult_ = kdm::HistoryResult();
    progress_->setValue(0);
    progress_->show();
    status_->setText(QCoreApplication::translate("History", "Synchronising..."));
    syncThread_.reset(QThread::create([this] {
        syncResult_ = history_.Sync(report_, [this](kdm::SyncStage stage) {
            QMetaObject::invokeMethod(
                this, [this, stage] { ShowStage(stage); }, Qt::QueuedConnection);
        });
    }));
    syncThread_->setObjectName(QStringLiteral("kdm-history-sync"));
    connect(syncThread_.get(), &QThread::finished, this, &HistoryWindow::OnSyncFinished);
    UpdateButtons();
    syncThread_->start();
}

void HistoryWindow::ShowStage(kdm::SyncStage stage) {
    if (!Synchronising()) return;
    progress_->setValue(static_cast<int>(stage) + 1);
    status_->setText(StageText(stage));
}

void HistoryWindow::OnSyncFinished() {
    syncThread_->wait();
    syncThread_.reset();
    progress_->setValue(progress_->maximum());
    progress_->hide();
    Reload();
    if (syncResult_.ok) {
        status_->setText(QCoreApplication::translate(
                             "History", "Synchronised with %1: %2 received, %3 sent. %4 in the history.")
                             .arg(FromBytes(report_.remote), EntriesText(report_.received),
                                  EntriesText(report_.sent), EntriesText(static_cast<int>(entries_.size()))));
    } else {
        status_->setText(QCoreApplication::translate("History", "Not synchronised: ") +
                         FromBytes(syncResult_.reason));
    }
    UpdateButtons();
    emit synchronised();
}

void HistoryWindow::reject() {
    // The sync's end is shown here and the window lists its result: it stays until then.
    if (Synchronising()) return;
    QDialog::reject();
}

void HistoryWindow::closeEvent(QCloseEvent* event) {
    if (Synchronising()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
