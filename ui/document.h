// DataDocument: one open data file, and the one owner of everything about it: its path, its text as
// every reader takes it, the parameter set parsed from that text, and the edits made to it. Views (the
// table window) are handed a document and show it; they keep nothing of the file themselves.
//
// Edits are commands on the document's QUndoStack: "unsaved changes" is the stack's clean state and
// nothing else. An edit changes one record as kdm::PlanEdit plans it (data/parameter_edit.h); editing
// the same value again right away merges into the same undo step, unless the document was saved in
// between.
//
// Saving goes through the one atomic save (platform/atomic_save.h): the file holds the old text or the
// new one at every moment. A save that fails (a full disk, a directory that cannot be written) leaves
// the file, the document's path and its unsaved changes as they were.
//
// Use from the user-interface thread only.
#pragma once

#include <QObject>
#include <QUndoStack>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "data/parameter_edit.h"
#include "data/parameter_model.h"

namespace kdm {
class IFileOps;
}

class DataDocument final : public QObject {
    Q_OBJECT
  public:
    explicit DataDocument(QObject* parent = nullptr);
    ~DataDocument() override;

    // Reads the file at `path` whole and parses it, and forgets every edit. A file that cannot be read,
    // or that does not begin with an identification record, leaves the document empty with the reason
    // in LoadFailure(); the path is kept either way, so that a view can say which file it is about.
    bool Open(const std::string& path);

    const std::string& Path() const { return path_; }
    // The text as every reader takes it: the file's bytes up to the first NUL byte, with the edits.
    const std::string& Text() const { return text_; }
    const kdm::ParameterSet& Parameters() const { return set_; }
    bool Loaded() const { return loadFailure_.empty(); }
    // Why the file could not be opened; empty when it was.
    const std::string& LoadFailure() const { return loadFailure_; }

    // There are edits that are not saved.
    bool Modified() const { return !undoStack_.isClean(); }
    QUndoStack& UndoStack() { return undoStack_; }

    // Sets a parameter through the undo stack (a table cell knows its record). A refusal pushes
    // nothing; nor does a value that changes no byte.
    kdm::EditRefusal SetValue(const kdm::ParameterAddress& where, std::string_view value);
    kdm::EditRefusal SetRecordValue(std::size_t record, std::string_view value);

    // The records whose bytes differ from the file as last opened or saved, each with the value its
    // table cell showed then (FormatValue). Empty when the text is as last opened or saved.
    std::vector<std::pair<std::size_t, std::string>> EditedRecords() const;
    // Forgets the unsaved changes: the text as last opened or saved.
    void Revert();

    // Saves the text to Path(), or to `path`, which then becomes the document's path. False with the
    // reason when nothing was saved: a document that was never opened, a file that holds a NUL byte
    // (saving would drop what follows it), or a failed save.
    bool Save(std::string& reason);
    bool SaveAs(const std::string& path, std::string& reason);

    // Test hook: the system calls a save makes, so that any of them can fail. Null: the real ones.
    void SetFileOps(kdm::IFileOps* ops) { fileOps_ = ops; }

  signals:
    // Text and parameters are new: opened, edited, an edit undone or redone.
    void changed();
    // The text is on disk at Path().
    void saved();
    // The document has a new path: Save As, or Open of another file.
    void renamed();
    // The unsaved state changed (the undo stack's clean state).
    void cleanChanged(bool clean);

  private:
    friend class SetValueCommand;
    // Makes (or undoes) an edit planned on the current text, and parses the text again.
    void Apply(const kdm::RecordEdit& edit, bool undo);
    kdm::EditRefusal Push(const kdm::EditPlan& plan);
    bool SaveTo(const std::string& path, std::string& reason);

    std::string path_;
    std::string text_;
    // The file holds a NUL byte: the text ends before it, and the bytes after it are not kept.
    bool cutAtNul_ = false;
    kdm::ParameterSet set_;
    // The set as last opened or saved, for what the edits changed.
    kdm::ParameterSet savedSet_;
    bool editedSinceSaved_ = false;
    std::string loadFailure_ = "no file opened";
    QUndoStack undoStack_;
    kdm::IFileOps* fileOps_ = nullptr;
};
