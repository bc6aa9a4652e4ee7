#include "cli/port_board.h"

#include <algorithm>

#include "link/waits.h"

namespace kdmcli {

PortBoard::PortBoard(BoardMode mode, std::vector<std::string> ports, std::FILE* out,
                     std::function<long long()> nowMs, std::size_t width)
    : mode_(mode), out_(out), nowMs_(std::move(nowMs)), width_(width) {
    for (std::string& port : ports) {
        portWidth_ = std::max(portWidth_, port.size());
        PortRow row;
        row.port = std::move(port);
        row.phase = "waiting";
        rows_.push_back(std::move(row));
    }
    times_.resize(rows_.size());
}

void PortBoard::Print(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), out_);
    std::fputc('\n', out_);
}

void PortBoard::Erase() {
    if (mode_ != BoardMode::kLive || !drawn_) return;
    // Up to the first line, and everything from there down cleared.
    std::fprintf(out_, "\033[%zuA\r\033[J", rows_.size());
    drawn_ = false;
}

void PortBoard::Draw(bool force) {
    if (mode_ != BoardMode::kLive) return;
    const long long now = nowMs_();
    if (!force && drawn_ && now - lastDraw_ < kRedrawMs) return;
    lastDraw_ = now;
    if (drawn_) std::fprintf(out_, "\033[%zuA", rows_.size());
    for (const PortRow& row : rows_) {
        std::string line = RowText(row, portWidth_);
        if (width_ > 1 && line.size() >= width_) line.resize(width_ - 1);
        std::fputs("\r\033[K", out_);
        Print(line);
    }
    std::fflush(out_);
    drawn_ = true;
}

void PortBoard::Change(std::size_t index, const std::function<void(PortRow&)>& change) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (index >= rows_.size()) return;
    PortRow& row = rows_[index];
    const PortRow before = row;
    change(row);
    if (row.phase != before.phase) times_[index] = RemainingTime();
    const long long now = nowMs_();
    times_[index].Sample(now, row.done, row.total);
    row.remainingMs = times_[index].RemainingMs(now);
    const bool newPhase = row.phase != before.phase;
    const bool newWait = !row.wait.empty() && before.wait.empty();
    if (mode_ == BoardMode::kLines) {
        if (newPhase) Print(row.port + ": " + row.phase);
        if (newWait) Print(row.port + ": " + row.wait);
        if (newPhase || newWait) std::fflush(out_);
    }
    Draw(newPhase || newWait || row.wait != before.wait);
}

void PortBoard::Aside(const std::function<void()>& work) {
    std::lock_guard<std::mutex> lock(mutex_);
    Erase();
    std::fflush(out_);
    work();
    std::fflush(stdout);
    Draw(true);
}

void PortBoard::End(std::size_t index, bool failed, const std::string& summary) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (index >= rows_.size()) return;
    PortRow& row = rows_[index];
    // One line per port: a message of several lines is joined, or the redraw in place would go astray.
    row.outcome.clear();
    for (const char c : summary) {
        if (c == '\n') {
            row.outcome += "; ";
        } else {
            row.outcome += c;
        }
    }
    row.wait.clear();
    if (mode_ == BoardMode::kLines || (mode_ == BoardMode::kQuiet && failed)) {
        Print(row.port + ": " + row.outcome);
        std::fflush(out_);
    }
    Draw(true);
}

void PortObserver::OnStatus(int stringId) {
    lastStatus_ = stringId;
}

void PortObserver::OnWait(const kdm::WaitNotice& notice) {
    const std::string text = notice.seconds > 0 ? kdm::DescribeWait(notice) : std::string();
    board_.Change(index_, [&text](PortRow& row) { row.wait = text; });
}

void PortObserver::OnProgramNumber(const std::string& number) {
    board_.Change(index_, [&number](PortRow& row) { row.program = number; });
}

void PortObserver::OnIdentified(const std::string& identification) {
    if (onIdentified_) onIdentified_(identification);
}

void PortObserver::OnRecordStored(const kdm::ReadCounts& counts) {
    // The records stored so far: a count that goes on across both blocks.
    board_.Change(index_, [&counts](PortRow& row) {
        row.unit = "telegrams";
        row.done = counts.stored;
    });
}

void PortObserver::OnWriteProgramNumber(const std::string& number) {
    board_.Change(index_, [&number](PortRow& row) { row.program = number; });
}

void PortObserver::OnFrameSent(const std::string&) {
    board_.Change(index_, [](PortRow& row) {
        row.unit = "frames";
        ++row.done;
    });
}

void PortObserver::ShowError(const std::string& text) {
    lastError_ = text;
}

bool PortObserver::ChooseSavePath(std::string& path) {
    if (saveOffered_ || savePath_.empty()) return false;
    saveOffered_ = true;
    path = savePath_;
    return true;
}

}  // namespace kdmcli
