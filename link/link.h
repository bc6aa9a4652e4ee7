// The device link: one open port at a time, the exchanges every conversation is built from, and the
// search for the port on which a device identifies itself.
//
// A Link object owns the process-wide "open port" state. It is not thread-safe: one thread runs a
// conversation at a time. Another thread may only call RequestStop().
//
// The protocol functions return the program's own codes: 1 success, 0 failure, details in
// out-parameters; SearchDevice alone returns 1, 0, -1 or -2. Below them, every port call gives a Result
// (platform/result.h); why the last send failed stays readable through LastSendStatus().
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "link/waits.h"
#include "platform/serial_port.h"
#include "platform/settings_store.h"

namespace kdm {

// Where the device search keeps the port on which it last found a device (a decimal text value).
inline constexpr std::string_view kSearchKey = "Software\\Dorvik\\KDM_XP";
inline constexpr std::string_view kPortValueName = "ComNr";

// Where the port dialog keeps the port the user chose (a 32-bit number, 1..30). The search tries it
// first; only the dialog writes it.
inline constexpr std::string_view kPortDialogKey = "Software\\Dorvik\\KDM7\\ComNr";
inline constexpr std::string_view kPortDialogValueName = "ComNr";

// SearchDevice results.
inline constexpr int kSearchFound = 1;
inline constexpr int kSearchNoDevice = 0;
inline constexpr int kSearchNoPort = -1;
inline constexpr int kSearchStatusFailed = -2;

// Bounds of the waits, in one-byte reads of at most 100 ms each.
inline constexpr int kStartReadLimit = 100;  // a start byte can be found by at most 99 reads
inline constexpr int kBodyReadLimit = 100;
inline constexpr int kStatusReceiveLimit = 600;  // within the bounds of link/waits.h
inline constexpr int kAcknowledgeReceiveLimit = 2;

// What became of one port the search tried.
enum class PortOutcome {
    kNotOpened,       // it could not be opened (missing, busy, no permission ...)
    kNoLineSettings,  // it refused the line settings
    kNoAnswer,        // not one byte arrived while the search waited
    kNotIdentified,   // bytes arrived, but no identification telegram
    kLineGone,        // the line went away (hang-up, unplugged adapter)
    kStatusFailed,    // a device identified itself, but its status request failed
    kStopped,         // the search was stopped while it waited here
    kFound,
};

struct SearchAttempt {
    std::string portName;  // "COM3", or the device path of a direct port
    PortOutcome outcome = PortOutcome::kNotOpened;
    int errorNumber = 0;  // kStatusFailed: the device's error number (kNoDeviceResponse: no 'F' came)
};

class Link {
  public:
    Link(ISerialPort& port, ISettingsStore& settings);
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    // Port layer. OpenPort maps 2..9 to "COM2".."COM9" and every other number to "COM1".
    int OpenPort(int portNumber);
    int ApplyLineSettings();
    int ClosePort();  // always 1
    bool IsPortOpen() const;

    // Stored port number of the search: 1..9, or 0 when none is stored or it is unreadable.
    int LoadPortNumber();
    int StorePortNumber(int portNumber);

    // Exchanges. A send returns 0 when not every byte went out (LastSendStatus says why); a request
    // whose bytes did not all go out is not waited for.
    int SendRequest(int index);
    int ReceiveTelegram(std::string& text);
    int ReceiveIdentification(std::string& identification);
    // Waits for the reply within kStatusSilentReadLimit and kStatusReadLimit (link/waits.h) as well.
    int RequestDeviceStatus(int& errorNumber);
    int SearchDevice(std::string& identification);
    // Returns the telegram text (empty when nothing came); `annotated` is meaningful only then.
    // Unlike ReceiveTelegram, a frame damaged on the line (cut short by the next STX or by the end of
    // the wait, a telegram whose STX was lost, a byte 15 that is not ETX) is returned as it came, and its
    // annotated text always ends with " !!!", so that nothing that arrived is dropped or passes as good.
    std::string ReceiveParameter(std::string& annotated);
    // True when the text of the last ReceiveParameter was such a damaged frame.
    bool LastFrameDamaged() const { return lastFrameDamaged_; }
    // After a send that failed (a frame that did not go out whole), no acknowledgement can come: 0 at
    // once, with kNoDeviceResponse.
    int ReceiveAcknowledge(int& errorNumber);
    int SendFrame(std::string_view text, int byteCount);
    // The last send's outcome: Ok, or why its bytes did not all go out. Opening a port clears it.
    const Status& LastSendStatus() const { return lastSend_; }

    // Called with each port number the search is about to open (for progress displays); 0 for a
    // direct port given by its device path.
    void SetSearchObserver(std::function<void(int portNumber)> observer);

    // Called when a wait has lasted kWaitNoticeReads silent reads, again every kWaitNoticeStepReads more,
    // and once with 0 seconds when an announced wait is over. A read's wait goes on from one
    // ReceiveParameter to the next while they bring nothing. Called on the thread that runs the link.
    void SetWaitObserver(std::function<void(const WaitNotice&)> observer);

    // The port numbers the search scans after the port dialog's choice and its own stored port, in
    // order; asked at each search. Unset, or answering nothing usable, the scan is COM1 to COM9.
    void SetScanOrder(std::function<std::vector<int>()> order);
    // Confines the following searches to one port, a name ("COM12") or a device path: no other port is
    // tried, and nothing is stored. Empty: the usual search.
    void SetDirectPort(std::string name);
    // Every port the last search tried, in order, with what became of it.
    const std::vector<SearchAttempt>& LastSearchAttempts() const { return attempts_; }
    // The port dialog's choice, 1..30; 0 when there is none.
    int LoadDialogPortNumber();

    // Asks a running wait to end: every receive fails from the next one-byte read on and the search
    // stops trying ports. Safe to call from any thread. ClearStop() re-arms the link.
    void RequestStop();
    void ClearStop();
    bool StopRequested() const;

  private:
    // One-byte read through the port; fails when no byte came (time-out, line gone, stop or a spent
    // budget). Sets lineGone_ when the port reported the line as vanished.
    Result<unsigned char> ReadOne();
    Status OpenNamed(const std::string& name);
    // Every write of the link goes through here; the outcome is kept in lastSend_.
    Status Send(const void* data, std::size_t count);
    // The ports of a search in the order they are tried, each once; `firstTry` is the one that stores
    // the port before the status request.
    std::vector<int> SearchOrder(int& firstTry);
    // One port of the search. `storeAs` is the number to remember the port by (0: do not store);
    // `storeBeforeStatus` stores it as soon as the device identifies itself.
    bool TryPort(const std::string& name, int observedNumber, int storeAs, bool storeBeforeStatus,
                 std::string& identification, int& result);
    // A wait of `kind` starts: its silence is counted from here. EndWait tells the observer that an
    // announced wait is over.
    void BeginWait(WaitKind kind);
    void EndWait();
    // Counts a read of the current wait; false (and budgetSpent_) once the wait's budget is used up.
    bool CountRead(bool silent);
    enum class Frame { kNone, kComplete, kDamaged };
    // One frame off the line within the bounds of ReceiveTelegram; kDamaged with what came of it.
    Frame ReceiveFrame(std::string& text);

    ISerialPort& port_;
    ISettingsStore& settings_;
    std::function<void(int)> searchObserver_;
    std::function<std::vector<int>()> scanOrder_;
    std::function<void(const WaitNotice&)> waitObserver_;
    std::string portName_;  // the port opened last
    bool waiting_ = false;
    WaitKind waitKind_ = WaitKind::kTelegram;
    int waitSilentReads_ = 0;
    bool waitAnnounced_ = false;
    // Reads the current wait may still take (-1: unbounded beyond the receive limits).
    int silentBudget_ = -1;
    int readBudget_ = -1;
    bool budgetSpent_ = false;
    std::string directPort_;
    std::vector<SearchAttempt> attempts_;
    int bytesRead_ = 0;  // bytes that arrived since the port was opened
    std::atomic<bool> stop_{false};
    bool lineGone_ = false;    // the last receive ended because the port reported the line as gone
    bool pendingStx_ = false;  // an STX that cut a damaged frame starts the next one
    bool lastFrameDamaged_ = false;
    Status lastSend_;
};

}  // namespace kdm
