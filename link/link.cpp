#include "link/link.h"

#include <cerrno>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "link/telegram.h"

namespace kdm {

namespace {

// Ports the search walks through by default, and the ones it remembers.
constexpr int kFirstSearchPort = 1;
constexpr int kLastSearchPort = 9;
// The port dialog offers names up to COM30; the search tries the one chosen there.
constexpr int kLastNamedPort = 30;

// A stored port number is read into a buffer of this size; a longer value counts as none.
constexpr std::size_t kStoredPortNumberBytes = 5;

// Bytes of a telegram text after its STX: the 14 characters and the byte that followed them.
constexpr int kBodyBytes = static_cast<int>(kFrameBytes) - 1;

// The 14 characters and the ETX of a telegram whose STX never arrived, when the bytes skipped while
// waiting for a start end in one: fourteen printable characters and an ETX. Random line noise hardly
// ever looks like that; anything else skipped is noise and stays dropped.
std::string OrphanedTelegramTail(std::string_view skipped) {
    const std::size_t etx = skipped.rfind(ETX);
    if (etx == std::string_view::npos || etx < static_cast<std::size_t>(kBodyBytes - 1)) return {};
    const std::string_view tail = skipped.substr(etx - (kBodyBytes - 1), kBodyBytes);
    for (std::size_t i = 0; i + 1 < tail.size(); ++i) {
        if (tail[i] < 0x20 || tail[i] > 0x7E) return {};
    }
    return std::string(tail);
}

std::string PortNameOf(int portNumber) {
    const int n = (portNumber >= 2 && portNumber <= kLastSearchPort) ? portNumber : 1;
    return "COM" + std::to_string(n);
}

// "COM12" -> 12, for the progress display of a direct port; 0 for a device path or anything else.
int NumberOfPortName(const std::string& name) {
    if (name.size() < 4 || name.size() > 5 || name.compare(0, 3, "COM") != 0 || name[3] == '0') return 0;
    int n = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return 0;
        n = n * 10 + (name[i] - '0');
    }
    return n <= kLastNamedPort ? n : 0;
}

}  // namespace

Link::Link(ISerialPort& port, ISettingsStore& settings) : port_(port), settings_(settings) {}

int Link::OpenPort(int portNumber) {
    return OpenNamed(PortNameOf(portNumber)).Ok() ? 1 : 0;
}

Status Link::OpenNamed(const std::string& name) {
    // Only one port is ever open: opening another must not leak the one before.
    if (port_.IsOpen()) port_.Close();
    EndWait();
    portName_ = name;
    lineGone_ = false;
    pendingStx_ = false;
    bytesRead_ = 0;
    lastSend_ = Status();
    return port_.Open(name);
}

int Link::ApplyLineSettings() {
    return port_.IsOpen() && port_.ApplyLineSettings().Ok() ? 1 : 0;
}

int Link::ClosePort() {
    port_.Close();
    EndWait();
    lineGone_ = false;
    pendingStx_ = false;
    return 1;
}

bool Link::IsPortOpen() const {
    return port_.IsOpen();
}

int Link::LoadPortNumber() {
    StoredValue value;
    if (!settings_.ReadValue(kSearchKey, kPortValueName, value)) return 0;
    if (value.bytes.size() > kStoredPortNumberBytes) return 0;
    // The value is read like a C string: whatever follows a NUL is not part of the number.
    const std::string_view text(value.bytes.data(), value.bytes.size());
    const int n = LeadingInteger(text.substr(0, text.find('\0')));
    // Every port the search can try may be remembered, COM8 and COM9 included.
    return (n >= kFirstSearchPort && n <= kLastSearchPort) ? n : 0;
}

int Link::StorePortNumber(int portNumber) {
    const std::string text = std::to_string(portNumber);
    settings_.CreateKey(kSearchKey, true);  // an existing key stays as it is
    return settings_.WriteValue(kSearchKey, kPortValueName, TextValue(text)) ? 1 : 0;
}

int Link::SendRequest(int index) {
    const std::string_view request = GetRequestTelegram(index);
    if (request.empty()) return 0;
    const char stx = STX;
    const char etx = ETX;
    // The rest of a telegram whose start did not go out would only be noise to the device.
    const bool sent = Send(&stx, 1).Ok() && Send(request.data(), request.size()).Ok() && Send(&etx, 1).Ok();
    return sent ? 1 : 0;
}

Status Link::Send(const void* data, std::size_t count) {
    lastSend_ = WriteAll(port_, data, count);
    return lastSend_;
}

Result<unsigned char> Link::ReadOne() {
    // A stop ends the wait before another 100 ms read starts.
    if (stop_.load(std::memory_order_relaxed)) return Failure(ECANCELED, "stopped");
    if (budgetSpent_) return Failure(kReadTimedOut, "the wait's bound is spent");
    const Result<unsigned char> got = port_.ReadByte();
    const bool silent = !got.Ok() && ReadTimedOut(got);
    if (!got.Ok() && !silent) lineGone_ = true;
    if (got.Ok()) ++bytesRead_;
    CountRead(silent);
    return got;
}

void Link::BeginWait(WaitKind kind) {
    EndWait();
    waiting_ = true;
    waitKind_ = kind;
}

void Link::EndWait() {
    if (waitAnnounced_ && waitObserver_) waitObserver_(WaitNotice{waitKind_, 0, portName_});
    waiting_ = false;
    waitAnnounced_ = false;
    waitSilentReads_ = 0;
    silentBudget_ = -1;
    readBudget_ = -1;
    budgetSpent_ = false;
}

bool Link::CountRead(bool silent) {
    if (!waiting_) return true;
    if (readBudget_ > 0 && --readBudget_ == 0) budgetSpent_ = true;
    if (silent) {
        if (silentBudget_ > 0 && --silentBudget_ == 0) budgetSpent_ = true;
        ++waitSilentReads_;
        const int beyond = waitSilentReads_ - kWaitNoticeReads;
        if (beyond >= 0 && beyond % kWaitNoticeStepReads == 0 && waitObserver_) {
            waitAnnounced_ = true;
            waitObserver_(WaitNotice{waitKind_, waitSilentReads_ * kSilentReadMs / 1000, portName_});
        }
    }
    return !budgetSpent_;
}

Link::Frame Link::ReceiveFrame(std::string& text) {
    text.clear();
    lineGone_ = false;
    // A spent budget ends the wait like a stop: the exchange gives up.
    const auto interrupted = [this] {
        return lineGone_ || budgetSpent_ || stop_.load(std::memory_order_relaxed);
    };

    if (pendingStx_) {
        // The STX that cut the previous frame short was this telegram's start.
        pendingStx_ = false;
    } else {
        std::string skipped;
        bool started = false;
        for (int reads = 0;;) {
            const Result<unsigned char> got = ReadOne();
            // A vanished line or a stop ends the wait now, with the result a time-out would have given.
            if (interrupted()) return Frame::kNone;
            if (++reads >= kStartReadLimit) break;  // a start byte with the last read is too late
            if (got.Ok() && got.value() == static_cast<unsigned char>(STX)) {
                started = true;
                break;
            }
            if (got.Ok()) skipped.push_back(static_cast<char>(got.value()));
        }
        // A telegram whose STX was lost would vanish without a trace among the skipped bytes.
        const std::string tail = OrphanedTelegramTail(skipped);
        if (!tail.empty()) {
            text = STX + tail;
            pendingStx_ = started;
            return Frame::kDamaged;
        }
        if (!started) return Frame::kNone;
    }

    std::string body(1, STX);
    int appended = 0;
    for (int reads = 0;;) {
        const Result<unsigned char> got = ReadOne();
        if (interrupted()) {
            if (lineGone_ && appended > 0 && !StopRequested()) {
                text = std::move(body);
                return Frame::kDamaged;
            }
            return Frame::kNone;
        }
        const bool stx = got.Ok() && got.value() == static_cast<unsigned char>(STX);
        if (stx && appended > 0) {
            // A byte was lost: this STX starts the next telegram. Taking it as body would swallow that
            // telegram without a trace.
            pendingStx_ = true;
            text = std::move(body);
            return Frame::kDamaged;
        }
        // An STX straight after the start byte only repeats it.
        if (got.Ok() && !stx) {
            body.push_back(static_cast<char>(got.value()));
            ++appended;
        }
        if (++reads >= kBodyReadLimit) {  // even when the last byte came with this read
            if (appended == 0) return Frame::kNone;
            text = std::move(body);
            return Frame::kDamaged;
        }
        if (appended == kBodyBytes) break;
    }
    text = std::move(body);
    return Frame::kComplete;
}

int Link::ReceiveTelegram(std::string& text) {
    if (ReceiveFrame(text) == Frame::kComplete) return 1;
    text.clear();
    return 0;
}

int Link::ReceiveIdentification(std::string& identification) {
    std::string text;
    BeginWait(WaitKind::kIdentification);
    ReceiveTelegram(text);
    EndWait();
    identification.clear();
    if (!Contains(text, 'g')) return 0;
    identification = IdentificationTextOf(text);
    // A 'g' telegram whose frame has no ETX after the letter yields no identification text. Accepting
    // it would report a device found and then store or compare an empty identification.
    return identification.empty() ? 0 : 1;
}

int Link::RequestDeviceStatus(int& errorNumber) {
    // A request that did not go out cannot be answered.
    if (!SendRequest(kRequestStatus)) {
        errorNumber = kNoDeviceResponse;
        return 0;
    }
    BeginWait(WaitKind::kStatusReply);
    silentBudget_ = kStatusSilentReadLimit;
    readBudget_ = kStatusReadLimit;
    int result = -1;
    for (int attempt = 0; attempt < kStatusReceiveLimit; ++attempt) {
        std::string text;
        if (ReceiveTelegram(text) && Contains(text, 'F')) {
            errorNumber = ErrorNumberOf(text);
            result = errorNumber == 0 ? 1 : 0;
            break;
        }
        // A vanished line, a stop or a spent budget would only fail the remaining receives one after
        // the other.
        if (lineGone_ || budgetSpent_ || StopRequested()) break;
    }
    EndWait();
    if (result >= 0) return result;
    errorNumber = kNoDeviceResponse;
    return 0;
}

bool Link::TryPort(const std::string& name, int observedNumber, int storeAs, bool storeBeforeStatus,
                   std::string& identification, int& result) {
    if (searchObserver_) searchObserver_(observedNumber);
    SearchAttempt attempt;
    attempt.portName = name;
    const auto done = [this, &attempt](PortOutcome outcome) {
        attempt.outcome = outcome;
        attempts_.push_back(attempt);
    };
    if (!OpenNamed(name).Ok()) {
        result = kSearchNoPort;
        done(PortOutcome::kNotOpened);
        return false;
    }
    result = kSearchNoDevice;
    if (!ApplyLineSettings()) {
        ClosePort();
        done(PortOutcome::kNoLineSettings);
        return false;
    }
    if (!ReceiveIdentification(identification)) {
        // Why, before closing forgets it: the user is told what each port did.
        const PortOutcome outcome = StopRequested()   ? PortOutcome::kStopped
                                    : lineGone_       ? PortOutcome::kLineGone
                                    : bytesRead_ == 0 ? PortOutcome::kNoAnswer
                                                      : PortOutcome::kNotIdentified;
        ClosePort();
        done(outcome);
        return false;
    }
    if (storeBeforeStatus && storeAs > 0) StorePortNumber(storeAs);
    int errorNumber = 0;
    if (RequestDeviceStatus(errorNumber)) {
        if (!storeBeforeStatus && storeAs > 0) StorePortNumber(storeAs);
        result = kSearchFound;
        done(PortOutcome::kFound);
        return true;
    }
    ClosePort();
    // A stopped search is not a cable defect: it ends like a search that found nothing.
    if (StopRequested()) {
        done(PortOutcome::kStopped);
        return false;
    }
    attempt.errorNumber = errorNumber;
    done(PortOutcome::kStatusFailed);
    result = kSearchStatusFailed;
    return true;
}

int Link::LoadDialogPortNumber() {
    StoredValue value;
    std::uint32_t number = 0;
    if (!settings_.ReadValue(kPortDialogKey, kPortDialogValueName, value) || !NumberOf(value, number)) {
        return 0;
    }
    return number >= 1 && number <= static_cast<std::uint32_t>(kLastNamedPort) ? static_cast<int>(number) : 0;
}

std::vector<int> Link::SearchOrder(int& firstTry) {
    std::vector<int> scan;
    if (scanOrder_) {
        for (const int n : scanOrder_()) {
            if (n >= 1 && n <= kLastNamedPort) scan.push_back(n);
        }
    } else {
        for (int n = kFirstSearchPort; n <= kLastSearchPort; ++n)
            scan.push_back(n);
    }
    const int stored = LoadPortNumber();
    const int chosen = LoadDialogPortNumber();
    // The user's choice in the port dialog first, then where a device was found last (or the first
    // port of the scan), then the scan; a port is never tried twice.
    firstTry = stored > 0 ? stored : (scan.empty() ? kFirstSearchPort : scan.front());
    std::vector<int> order;
    if (chosen > 0) order.push_back(chosen);
    order.push_back(firstTry);
    order.insert(order.end(), scan.begin(), scan.end());
    std::vector<int> unique;
    for (const int n : order) {
        bool seen = false;
        for (const int u : unique)
            seen = seen || u == n;
        if (!seen) unique.push_back(n);
    }
    return unique;
}

int Link::SearchDevice(std::string& identification) {
    identification.clear();
    attempts_.clear();
    bool anyOpened = false;
    int result = kSearchNoPort;

    if (!directPort_.empty()) {
        // A port named by the caller is all there is to try, and says nothing about the next search.
        if (!StopRequested()) {
            if (TryPort(directPort_, NumberOfPortName(directPort_), 0, false, identification, result)) {
                return result;
            }
            anyOpened = result != kSearchNoPort;
        }
        ClosePort();
        identification.clear();
        return anyOpened ? kSearchNoDevice : kSearchNoPort;
    }

    // The stored port (or, with none, the first port of the scan) is the first try of the search: it
    // stores the port as soon as the device identifies itself, every other port only after the status
    // request succeeded.
    int firstTry = 0;
    const std::vector<int> order = SearchOrder(firstTry);
    for (const int n : order) {
        if (StopRequested()) break;
        const int storeAs = n <= kLastSearchPort ? n : 0;
        if (TryPort("COM" + std::to_string(n), n, storeAs, n == firstTry, identification, result)) {
            return result;
        }
        anyOpened = anyOpened || result != kSearchNoPort;
    }
    ClosePort();
    identification.clear();
    return anyOpened ? kSearchNoDevice : kSearchNoPort;
}

std::string Link::ReceiveParameter(std::string& annotated) {
    std::string text;
    annotated.clear();
    lastFrameDamaged_ = false;
    // Empty receives in a row are one wait to the user: its silence adds up until a telegram comes.
    if (!waiting_ || waitKind_ != WaitKind::kTelegram) BeginWait(WaitKind::kTelegram);
    const Frame frame = ReceiveFrame(text);
    if (frame == Frame::kNone) return {};
    EndWait();
    const int intact = VerifyTelegram(text, annotated);
    lastFrameDamaged_ = frame == Frame::kDamaged || text.size() != static_cast<std::size_t>(kBodyBytes + 1) ||
                        text.back() != ETX;
    // The checksum cannot see a lost STX or ETX; the mark must not depend on it.
    if (intact && lastFrameDamaged_) annotated += kMismatchMark;
    return text;
}

int Link::ReceiveAcknowledge(int& errorNumber) {
    // Nothing acknowledges a frame that did not go out.
    if (!lastSend_.Ok()) {
        errorNumber = kNoDeviceResponse;
        return 0;
    }
    BeginWait(WaitKind::kAcknowledgement);
    int result = -1;
    for (int attempt = 0; attempt < kAcknowledgeReceiveLimit; ++attempt) {
        std::string text;
        if (ReceiveTelegram(text) && Contains(text, 'F')) {
            errorNumber = ErrorNumberOf(text);
            result = errorNumber == 0 ? 1 : 0;
            break;
        }
        if (lineGone_ || StopRequested()) break;
    }
    EndWait();
    if (result >= 0) return result;
    errorNumber = kNoDeviceResponse;
    return 0;
}

int Link::SendFrame(std::string_view text, int byteCount) {
    // Never send more than the text holds, whatever the caller asks for.
    std::size_t count = byteCount < 0 ? 0 : static_cast<std::size_t>(byteCount);
    if (count > text.size()) count = text.size();
    return Send(text.data(), count).Ok() ? 1 : 0;
}

void Link::SetSearchObserver(std::function<void(int portNumber)> observer) {
    searchObserver_ = std::move(observer);
}

void Link::SetWaitObserver(std::function<void(const WaitNotice&)> observer) {
    waitObserver_ = std::move(observer);
}

void Link::SetScanOrder(std::function<std::vector<int>()> order) {
    scanOrder_ = std::move(order);
}

void Link::SetDirectPort(std::string name) {
    directPort_ = std::move(name);
}

void Link::RequestStop() {
    stop_.store(true, std::memory_order_relaxed);
}

void Link::ClearStop() {
    stop_.store(false, std::memory_order_relaxed);
}

bool Link::StopRequested() const {
    return stop_.load(std::memory_order_relaxed);
}

}  // namespace kdm
