// What a transfer window would have shown, recorded in order with the fake time of each call, and the
// answers the user gives to the boxes and dialogs.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "data/strings.h"
#include "support/fakes.h"
#include "transfer/write_engine.h"
#include "ui/transfer_controls.h"

namespace kdmtest {

struct ShownEvent {
    enum Kind {
        kStatus,
        kStatusText,
        kControl,
        kRange,
        kPos,
        kSearchPort,
        kError,
        kInfo,
        kSave,
        kDiscard,
        kOpen,
        kWait,
        kIncomplete
    };
    Kind kind;
    int id = 0;    // string id, control id, port number, range low, position or seconds waited
    int high = 0;  // range high; for a wait, its kind
    std::string text;
    std::int64_t atMs = 0;
};

// The transfer's events as the windows show them: texts in controls by id and in the status line.
class RecordingObserver final : public kdm::TransferControlsObserver {
  public:
    explicit RecordingObserver(FakeClock& clock) : clock_(clock) {}

    void OnStatus(int stringId) override { Add({ShownEvent::kStatus, stringId, 0, {}}); }
    void OnStatusText(const std::string& text) override { Add({ShownEvent::kStatusText, 0, 0, text}); }
    void OnControlText(int controlId, const std::string& text) override {
        Add({ShownEvent::kControl, controlId, 0, text});
    }
    void OnProgressRange(int low, int high) override { Add({ShownEvent::kRange, low, high, {}}); }
    void OnProgressPos(int position) override { Add({ShownEvent::kPos, position, 0, {}}); }
    void OnSearchPort(int portNumber) override { Add({ShownEvent::kSearchPort, portNumber, 0, {}}); }
    void OnWait(const kdm::WaitNotice& notice) override {
        Add({ShownEvent::kWait, notice.seconds, static_cast<int>(notice.kind), kdm::DescribeWait(notice)});
    }
    void ShowError(const std::string& text) override { Add({ShownEvent::kError, 0, 0, text}); }
    // A write that ended part-way: frames sent and in the file, and the device's error box or "stopped".
    void OnWriteIncomplete(const kdm::IncompleteWrite& write) override {
        Add({ShownEvent::kIncomplete, write.framesSent, write.framesInFile,
             write.end == kdm::WriteEnd::kStopped ? std::string("stopped")
                                                  : kdm::DeviceErrorText(write.errorNumber)});
    }
    // The information box that a complete write ends with.
    void OnWriteComplete() override {
        Add({ShownEvent::kInfo, 0, 0,
             std::string(kdm::kInformationTitle) + "|" +
                 std::string(kdm::LoadString(kdm::sid::kTerminated))});
    }
    bool ChooseSavePath(std::string& path) override {
        Add({ShownEvent::kSave, 0, 0, {}});
        if (savePaths.empty() || !savePaths.front()) {
            if (!savePaths.empty()) savePaths.pop_front();
            return false;
        }
        path = *savePaths.front();
        savePaths.pop_front();
        return true;
    }
    bool AskDiscardUnsaved() override {
        Add({ShownEvent::kDiscard, 0, 0, {}});
        if (discardAnswers.empty()) return true;
        const bool yes = discardAnswers.front();
        discardAnswers.pop_front();
        return yes;
    }
    bool ChooseFileToWrite(std::string& path) override {
        Add({ShownEvent::kOpen, 0, 0, {}});
        if (!fileToWrite) return false;
        path = *fileToWrite;
        return true;
    }
    // The question about records marked " !!!": kept apart from the events, answered by answerMarked
    // (No when there is none).
    bool AskWriteMarkedRecords(const kdm::WriteCheck& check) override {
        const std::string text = kdm::DescribeWriteCheck(check);
        markedQuestions.push_back(text);
        return answerMarked && answerMarked(text);
    }

    // The question before a write sends anything: kept apart from the events, answered by
    // answerConfirm (Yes when there is none, as the command line answers).
    bool ConfirmWrite(const std::string& identification) override {
        confirmQuestions.push_back(identification);
        return !answerConfirm || answerConfirm(identification);
    }

    // Answers, used in order; a missing save answer means Cancel, a missing discard answer Yes.
    std::deque<std::optional<std::string>> savePaths;
    std::deque<bool> discardAnswers;
    std::optional<std::string> fileToWrite;
    std::function<bool(const std::string&)> answerMarked;
    std::vector<std::string> markedQuestions;
    std::function<bool(const std::string&)> answerConfirm;
    std::vector<std::string> confirmQuestions;
    // Called after each event is recorded (to stop an engine at a chosen moment).
    std::function<void(const ShownEvent&)> onEvent;

    std::vector<ShownEvent> events;

    std::vector<int> Statuses() const {
        std::vector<int> ids;
        for (const auto& e : events)
            if (e.kind == ShownEvent::kStatus) ids.push_back(e.id);
        return ids;
    }
    std::vector<std::string> Texts(ShownEvent::Kind kind, int id = -1) const {
        std::vector<std::string> texts;
        for (const auto& e : events)
            if (e.kind == kind && (id < 0 || e.id == id)) texts.push_back(e.text);
        return texts;
    }
    int Count(ShownEvent::Kind kind) const {
        int n = 0;
        for (const auto& e : events)
            n += e.kind == kind ? 1 : 0;
        return n;
    }
    // Index of the first event of `kind` with `id` (status or control id), or -1.
    int IndexOf(ShownEvent::Kind kind, int id) const {
        for (std::size_t i = 0; i < events.size(); ++i)
            if (events[i].kind == kind && events[i].id == id) return static_cast<int>(i);
        return -1;
    }

  private:
    void Add(ShownEvent e) {
        e.atMs = clock_.now;
        events.push_back(e);
        if (onEvent) onEvent(events.back());
    }
    FakeClock& clock_;
};

}  // namespace kdmtest
