#include "ui/history_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>

#include "data/parameter_story.h"
#include "data/strings.h"
#include "ui/app_services.h"
#include "ui/compare_view.h"
#include "ui/core_text.h"
#include "ui/ctable.h"
#include "ui/document.h"
#include "ui/pictures.h"
#include "ui/table_window.h"

namespace {

// Entry facts are stored as bytes; host and user names may be UTF-8.
QString FromBytes(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The parameter sets of `entries`, in their order; false (`why` set) when one cannot be read.
bool ReadSets(kdm::IHistory& history, const std::vector<kdm::HistoryEntry>& entries,
              std::vector<kdm::ParameterSet>& sets, std::string& why) {
    for (const kdm::HistoryEntry& entry : entries) {
        std::string text;
        const kdm::HistoryResult read = history.ReadContents(entry, text);
        if (!read.ok) {
            why = read.reason;
            return false;
        }
        sets.push_back(kdm::ParseParameterSet(text).set);
    }
    return true;
}

}  // namespace

QString HistoryWindow::KindText(const kdm::HistoryEntry& entry) {
    QString text = HistoryKindWords(entry.kind);
    if (entry.kind == kdm::HistoryKind::kWrite && entry.verify != kdm::VerifyOutcome::kNotAsked)
        text += QCoreApplication::translate("History", ", verify ") + VerifyOutcomeWords(entry.verify);
    if (entry.Incomplete())
        text += QCoreApplication::translate("History", ", incomplete: %1 of %2 frames")
                    .arg(entry.framesSent)
                    .arg(entry.framesInFile);
    return text;
}

namespace {

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
    setRemote_ = new QPushButton(QCoreApplication::translate("History", "Set &remote..."), this);
    setRemote_->setObjectName(QStringLiteral("historySetRemote"));
    auto* remoteRow = new QHBoxLayout();
    remoteRow->addWidget(remote_, 1);
    remoteRow->addWidget(setRemote_);
    layout->addLayout(remoteRow);

    filter_ = new QLineEdit(this);
    filter_->setObjectName(QStringLiteral("historyFilter"));
    filter_->setClearButtonEnabled(true);
    filter_->setPlaceholderText(QCoreApplication::translate("History", "Filter by machine or device"));
    layout->addWidget(filter_);

    table_ = new QTableWidget(0, kColumnCount, this);
    table_->setObjectName(QStringLiteral("historyTable"));
    table_->setHorizontalHeaderLabels(
        {QCoreApplication::translate("History", "Time (%1)")
             .arg(QLatin1String(kdm::kHistoryTimeZone.data(),
                                static_cast<qsizetype>(kdm::kHistoryTimeZone.size()))),
         QCoreApplication::translate("History", "Kind"), QCoreApplication::translate("History", "Machine"),
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
    story_ = new QPushButton(QCoreApplication::translate("History", "Parameter s&tory"), this);
    story_->setObjectName(QStringLiteral("historyStory"));
    name_ = new QPushButton(QCoreApplication::translate("History", "&Name machine..."), this);
    name_->setObjectName(QStringLiteral("historyName"));
    sync_ = new QPushButton(QCoreApplication::translate("History", "&Synchronise"), this);
    sync_->setObjectName(QStringLiteral("historySync"));
    close_ = new QPushButton(QCoreApplication::translate("History", "Close"), this);
    close_->setObjectName(QStringLiteral("historyClose"));
    buttons->addWidget(open_);
    buttons->addWidget(compare_);
    buttons->addWidget(story_);
    buttons->addWidget(name_);
    buttons->addStretch(1);
    buttons->addWidget(sync_);
    buttons->addWidget(close_);
    layout->addLayout(buttons);
    open_->setDefault(true);

    connect(open_, &QPushButton::clicked, this, [this] { OnOpen(); });
    connect(compare_, &QPushButton::clicked, this, [this] { OnCompareWithPrevious(); });
    connect(story_, &QPushButton::clicked, this, [this] { OnParameterStory(); });
    connect(name_, &QPushButton::clicked, this, [this] { OnNameMachine(); });
    connect(setRemote_, &QPushButton::clicked, this, [this] { OnSetRemote(); });
    connect(filter_, &QLineEdit::textChanged, this, [this] { ApplyFilter(); });
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

QString HistoryWindow::TimeText(const std::string& time) {
    const QDateTime parsed = QDateTime::fromString(FromBytes(time), Qt::ISODateWithMs);
    if (!parsed.isValid()) return FromBytes(time);
    return FromBytes(kdm::ShownHistoryTime(time));
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
            TimeText(entry.time),
            KindText(entry),
            FromBytes(entry.name),
            FromBytes(entry.device),
            entry.deviceType > 0 ? QString::number(entry.deviceType) : QString(),
            FromBytes(entry.host),
            FromBytes(entry.user),
            FromBytes(entry.port),
            FromBytes(entry.ShortId()),
        };
        for (int column = 0; column < kColumnCount; ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if (column == kTime) item->setToolTip(FromBytes(entry.time));
            if (column == kEntry) item->setToolTip(FromBytes(entry.id));
            if (column == kDevice) item->setToolTip(FromBytes(entry.identification));
            table_->setItem(row, column, item);
        }
        if (!entry.source.empty()) table_->item(row, kKind)->setToolTip(FromBytes(entry.source));
        if (entry.id == selectedId) reselect = row;
    }
    table_->resizeColumnsToContents();
    ApplyFilter();
    if (reselect >= 0 && RowShown(reselect)) table_->selectRow(reselect);

    std::string url;
    const kdm::HistoryResult remote = history_.Remote(url);
    hasRemote_ = remote.ok && !url.empty();
    if (!remote.ok) {
        remote_->setText(QCoreApplication::translate("History", "Shared remote: unknown (%1)")
                             .arg(FromBytes(remote.reason)));
    } else if (url.empty()) {
        remote_->setText(QCoreApplication::translate(
            "History", "Not shared: no remote is set (Set remote..., or kdmxp-cli history remote URL)"));
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
    story_->setEnabled(idle && chosen);
    name_->setEnabled(idle && chosen);
    setRemote_->setEnabled(idle);
    sync_->setEnabled(idle && hasRemote_);
    sync_->setToolTip(
        hasRemote_ ? QString() : QCoreApplication::translate("History", "Set a remote to share the history"));
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

void HistoryWindow::ShowTable(const std::string& path, const kdm::HistoryEntry& shown,
                              const kdm::HistoryEntry* previous, const std::string& previousPath,
                              const std::function<void(CKDM_XPDlg&)>& story) {
    DataDocument document;
    document.Open(path);
    CKDM_XPDlg window(services_, document, this);
    window.OnInitDialog();
    // The temporary copy is no file of the user's: the title names the machine and the moment.
    window.ShowAs(QCoreApplication::translate("History", "%1, %2 %3 (history entry %4)")
                      .arg(FromBytes(kdm::MachineOf(shown)), KindText(shown), TimeText(shown.time),
                           FromBytes(shown.ShortId())));
    if (story) story(window);
    if (previous != nullptr) {
        const QString label = QCoreApplication::translate("History", "entry %1 (%2, %3)")
                                  .arg(FromBytes(previous->ShortId()), TimeText(previous->time),
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
    ShowTable(path, chosen, nullptr, {});
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
                .arg(FromBytes(chosen.ShortId()), FromBytes(kdm::MachineOf(chosen))),
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
    ShowTable(path, chosen, &previous, previousPath);
    return true;
}

bool HistoryWindow::Synchronising() const {
    return syncThread_ != nullptr;
}

void HistoryWindow::SetFilter(const QString& text) {
    filter_->setText(text);
}

bool HistoryWindow::RowShown(int row) const {
    return row >= 0 && row < table_->rowCount() && !table_->isRowHidden(row);
}

void HistoryWindow::ApplyFilter() {
    const QString text = filter_->text().trimmed();
    int shown = 0;
    for (int row = 0; row < static_cast<int>(entries_.size()); ++row) {
        const kdm::HistoryEntry& entry = entries_[static_cast<std::size_t>(row)];
        const bool match = text.isEmpty() || FromBytes(entry.name).contains(text, Qt::CaseInsensitive) ||
                           FromBytes(entry.device).contains(text, Qt::CaseInsensitive);
        table_->setRowHidden(row, !match);
        if (match) ++shown;
    }
    if (const kdm::HistoryEntry* entry = Selected(); entry != nullptr) {
        const int row = static_cast<int>(entry - entries_.data());
        if (!RowShown(row)) table_->clearSelection();
    }
    if (!text.isEmpty()) {
        status_->setText(QCoreApplication::translate("History", "%1 of %2 shown")
                             .arg(EntriesText(shown))
                             .arg(static_cast<int>(entries_.size())));
    } else if (filtered_) {
        status_->setText(EntriesText(static_cast<int>(entries_.size())));
    }
    filtered_ = !text.isEmpty();
    UpdateButtons();
}

bool HistoryWindow::OnNameMachine() {
    const kdm::HistoryEntry* entry = Selected();
    if (entry == nullptr || Synchronising()) return false;
    QString name = FromBytes(entry->name);
    bool wholeMachine = true;
    if (askName) {
        if (!askName(name, wholeMachine)) return false;
        return NameSelected(name, wholeMachine);
    }
    QDialog ask(this);
    ask.setObjectName(QStringLiteral("historyNameDialog"));
    ask.setWindowTitle(QCoreApplication::translate("History", "Name machine"));
    auto* form = new QVBoxLayout(&ask);
    auto* label = new QLabel(QCoreApplication::translate("History", "Machine of entry %1 (device %2):")
                                 .arg(FromBytes(entry->ShortId()), FromBytes(entry->device)),
                             &ask);
    form->addWidget(label);
    auto* names = new QComboBox(&ask);
    names->setEditable(true);
    for (const std::string& known : kdm::MachineNames(entries_))
        names->addItem(FromBytes(known));
    names->setCurrentText(name);
    form->addWidget(names);
    auto* only = new QCheckBox(QCoreApplication::translate("History",
                                                           "This entry &only (it was given another "
                                                           "machine's name)"),
                               &ask);
    only->setEnabled(!entry->name.empty());
    form->addWidget(only);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &ask);
    connect(box, &QDialogButtonBox::accepted, &ask, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, &ask, &QDialog::reject);
    form->addWidget(box);
    if (ask.exec() != QDialog::Accepted) return false;
    return NameSelected(names->currentText().trimmed(), !only->isChecked());
}

bool HistoryWindow::NameSelected(const QString& name, bool wholeMachine) {
    const kdm::HistoryEntry* entry = Selected();
    if (entry == nullptr || Synchronising()) return false;
    const std::string id = entry->id;
    const auto now = QDateTime::currentMSecsSinceEpoch();
    kdm::HistoryEntry named;
    const kdm::HistoryResult result =
        history_.Name(id, name.toUtf8().toStdString(), wholeMachine, kdm::FormatHistoryTime(now), named);
    if (!result.ok) {
        status_->setText(QCoreApplication::translate("History", "Not named: ") + FromBytes(result.reason));
        return false;
    }
    Reload();
    status_->setText(QCoreApplication::translate("History", "Entry %1 belongs to machine %2.")
                         .arg(FromBytes(named.ShortId()), FromBytes(named.name)));
    return true;
}

bool HistoryWindow::OnSetRemote() {
    if (Synchronising()) return false;
    std::string current;
    history_.Remote(current);
    QString url = FromBytes(current);
    if (askRemote) {
        if (!askRemote(url)) return false;
    } else {
        bool ok = false;
        url = QInputDialog::getText(
            this, QCoreApplication::translate("History", "Shared remote"),
            QCoreApplication::translate("History",
                                        "The remote this history syncs with (a path, file:// or ssh URL of a "
                                        "git repository):"),
            QLineEdit::Normal, url, &ok);
        if (!ok) return false;
    }
    const kdm::HistoryResult set = history_.SetRemote(url.trimmed().toLocal8Bit().toStdString());
    if (!set.ok) {
        status_->setText(QCoreApplication::translate("History", "Remote not set: ") + FromBytes(set.reason));
        return false;
    }
    Reload();
    return true;
}

bool HistoryWindow::OnParameterStory() {
    const kdm::HistoryEntry* entry = Selected();
    if (entry == nullptr || Synchronising()) return false;
    const std::vector<kdm::HistoryEntry> machine = kdm::EntriesOfMachine(entries_, kdm::MachineOf(*entry));
    if (machine.empty()) return false;
    std::vector<kdm::ParameterSet> sets;
    std::string why;
    if (!ReadSets(history_, machine, sets, why)) {
        status_->setText(QCoreApplication::translate("History", "The parameter story cannot be told: ") +
                         FromBytes(why));
        return false;
    }
    const std::vector<kdm::StoryCell> cells = kdm::ParameterStory(sets);
    const std::string path = WriteOut(machine.front());
    if (path.empty()) return false;
    const kdm::ParameterSet& newest = sets.front();
    const std::size_t entryCount = machine.size();
    ShowTable(path, machine.front(), nullptr, {}, [&](CKDM_XPDlg& window) {
        window.setWindowTitle(window.windowTitle() +
                              QCoreApplication::translate(
                                  "History", " - parameter story of %1 entries, marked: changed in the last")
                                  .arg(entryCount));
        const auto places =
            CompareView::CellsOfRecords(newest, *window.SystemTable(), *window.ProgramTable());
        for (const kdm::StoryCell& cell : cells) {
            const auto place = places.find(cell.record);
            if (place == places.end()) continue;
            const kdm::HistoryEntry& since = machine[cell.since];
            QString note = QCoreApplication::translate("History", "since %1 (%2) by %3@%4, entry %5")
                               .arg(TimeText(since.time), KindText(since), FromBytes(since.user),
                                    FromBytes(since.host), FromBytes(since.ShortId()));
            if (cell.flagged)
                note += QCoreApplication::translate("History",
                                                    "; a telegram that cannot be trusted ends the run");
            place->second.table->SetMark(place->second.row, place->second.col,
                                         cell.changedInLast ? CompareView::MarkBrush() : QBrush(), note);
        }
    });
    return true;
}

void HistoryWindow::OnSynchronise() {
    if (Synchronising() || !hasRemote_) return;
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
