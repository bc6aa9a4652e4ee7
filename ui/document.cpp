#include "ui/document.h"

#include <QUndoCommand>
#include <utility>

#include "data/write_check.h"
#include "files/data_file.h"
#include "platform/atomic_save.h"
#include "platform/file_ops.h"

// One value set: the record's bytes before and after, so that undo and redo replace them exactly.
class SetValueCommand final : public QUndoCommand {
  public:
    SetValueCommand(DataDocument& document, kdm::RecordEdit edit)
        : document_(document), edit_(std::move(edit)) {}

    void redo() override { document_.Apply(edit_, false); }
    void undo() override { document_.Apply(edit_, true); }
    int id() const override { return kId; }

    // The same value edited again right away (typed in twice, corrected at once) is one step back.
    // QUndoStack never merges into the step the document was saved at.
    bool mergeWith(const QUndoCommand* other) override {
        if (other->id() != kId) return false;
        const kdm::RecordEdit& next = static_cast<const SetValueCommand*>(other)->edit_;
        if (next.record != edit_.record || next.offset != edit_.offset || next.before != edit_.after)
            return false;
        edit_.after = next.after;
        edit_.newValue = next.newValue;
        // Back where it started: the step goes (and with it, perhaps, the unsaved state).
        setObsolete(edit_.after == edit_.before);
        return true;
    }

  private:
    static constexpr int kId = 1;
    DataDocument& document_;
    kdm::RecordEdit edit_;
};

DataDocument::DataDocument(QObject* parent) : QObject(parent) {
    connect(&undoStack_, &QUndoStack::cleanChanged, this, &DataDocument::cleanChanged);
}

DataDocument::~DataDocument() {
    // The stack's own destructor clears it, and would tell this half-destroyed document it is clean.
    disconnect(&undoStack_, nullptr, this, nullptr);
}

bool DataDocument::Open(const std::string& path) {
    undoStack_.clear();
    const bool renaming = path != path_;
    path_ = path;
    text_.clear();
    cutAtNul_ = false;
    set_ = kdm::ParameterSet();
    savedSet_ = kdm::ParameterSet();
    editedSinceSaved_ = false;
    loadFailure_.clear();
    std::string text;
    long length = 0;
    std::string reason;
    if (kdm::ReadWholeFile(path, text, length, reason) == 0) {
        loadFailure_ = reason.empty() ? "The file " + path + " cannot be read." : reason;
    } else if (kdm::ParsedParameterSet parsed = kdm::ParseParameterSet(text); !parsed.ok) {
        loadFailure_ = path + ": " + parsed.reason;
    } else if (!kdm::HasIdentificationTelegram(parsed.set)) {
        // Tables of device type 0 would pass for an empty device.
        loadFailure_ = path + ": not a data file (it does not begin with an identification telegram)";
    } else {
        cutAtNul_ = static_cast<std::size_t>(length) > text.size();
        text_ = std::move(text);
        set_ = std::move(parsed.set);
        savedSet_ = set_;
    }
    if (renaming) emit renamed();
    emit changed();
    return Loaded();
}

kdm::EditRefusal DataDocument::SetValue(const kdm::ParameterAddress& where, std::string_view value) {
    return Push(kdm::PlanEdit(text_, set_, where, value));
}

kdm::EditRefusal DataDocument::SetRecordValue(std::size_t record, std::string_view value) {
    return Push(kdm::PlanRecordEdit(text_, set_, record, value));
}

kdm::EditRefusal DataDocument::Push(const kdm::EditPlan& plan) {
    if (!plan.Ok()) return plan.refusal;
    if (plan.edit.after != plan.edit.before) undoStack_.push(new SetValueCommand(*this, plan.edit));
    return kdm::EditRefusal::kNone;
}

void DataDocument::Apply(const kdm::RecordEdit& edit, bool undo) {
    // The stack makes and undoes edits in order, so each finds the bytes it replaces.
    if (!(undo ? kdm::RevertEdit(text_, edit) : kdm::ApplyEdit(text_, edit))) return;
    editedSinceSaved_ = true;
    set_ = kdm::ParseParameterSet(text_).set;
    emit changed();
}

std::vector<std::pair<std::size_t, std::string>> DataDocument::EditedRecords() const {
    std::vector<std::pair<std::size_t, std::string>> edited;
    // Not the stack's clean state: an edit is made (and the tables shown again) before the stack counts
    // it. Nothing to compare before the first edit since the file was opened or saved: a large file is
    // opened without a second pass over it.
    if (!Loaded() || !editedSinceSaved_) return edited;
    const kdm::RecordList now = set_.Records();
    const kdm::RecordList then = savedSet_.Records();
    // An edit replaces one record by one: the records stand at the same indexes.
    if (now.size() != then.size()) return edited;
    for (std::size_t k = 0; k < now.size(); ++k) {
        const kdm::Record before = then[k];
        if (now[k].BytesView() != before.BytesView() || now[k].Marked() != before.Marked())
            edited.emplace_back(k, kdm::FormatValue(before.Value()));
    }
    return edited;
}

void DataDocument::Revert() {
    if (!Modified()) return;
    if (undoStack_.cleanIndex() >= 0) {
        undoStack_.setIndex(undoStack_.cleanIndex());
    } else {
        // The saved state was merged away: the file holds it.
        Open(path_);
    }
}

bool DataDocument::SaveTo(const std::string& path, std::string& reason) {
    if (!Loaded()) {
        reason = "nothing to save: " + loadFailure_;
        return false;
    }
    if (cutAtNul_) {
        reason = path_ + " holds a NUL byte; saving would drop what follows it";
        return false;
    }
    kdm::PosixFileOps real;
    return kdm::SaveBytesAtomically(path, text_, reason, fileOps_ != nullptr ? *fileOps_ : real) == 1;
}

bool DataDocument::Save(std::string& reason) {
    if (!SaveTo(path_, reason)) return false;
    savedSet_ = set_;
    editedSinceSaved_ = false;
    undoStack_.setClean();
    emit saved();
    return true;
}

bool DataDocument::SaveAs(const std::string& path, std::string& reason) {
    if (!SaveTo(path, reason)) return false;
    path_ = path;
    savedSet_ = set_;
    editedSinceSaved_ = false;
    undoStack_.setClean();
    emit renamed();
    emit saved();
    return true;
}
