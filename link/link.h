// The device link: one open port at a time, the exchanges every conversation is built from, and the
// search for the port on which a device identifies itself.
//
// A Link object owns the process-wide "open port" state. It is not thread-safe: one thread runs a
// conversation at a time. Another thread may only call RequestStop().
//
// Return values follow the program's convention: 1 success, 0 failure, details in out-parameters;
// SearchDevice alone returns 1, 0, -1 or -2.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <string_view>

#include "platform/serial_port.h"
#include "platform/settings_store.h"

namespace kdm {

// Where the device search keeps the port on which it last found a device (a decimal text value).
inline constexpr std::string_view kSearchKey = "Software\\Dorvik\\KDM_XP";
inline constexpr std::string_view kPortValueName = "ComNr";

// SearchDevice results.
inline constexpr int kSearchFound = 1;
inline constexpr int kSearchNoDevice = 0;
inline constexpr int kSearchNoPort = -1;
inline constexpr int kSearchStatusFailed = -2;

// Bounds of the waits, in one-byte reads of at most 100 ms each.
inline constexpr int kStartReadLimit = 100;  // a start byte can be found by at most 99 reads
inline constexpr int kBodyReadLimit = 100;
inline constexpr int kStatusReceiveLimit = 600;
inline constexpr int kAcknowledgeReceiveLimit = 2;

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

    // Exchanges.
    int SendRequest(int index);
    int ReceiveTelegram(std::string& text);
    int ReceiveIdentification(std::string& identification);
    int RequestDeviceStatus(int& errorNumber);
    int SearchDevice(std::string& identification);
    // Returns the telegram text (empty when nothing came); `annotated` is meaningful only then.
    // Unlike ReceiveTelegram, a frame damaged on the line (cut short by the next STX or by the end of
    // the wait, a telegram whose STX was lost, a byte 15 that is not ETX) is returned as it came, and its
    // annotated text always ends with " !!!", so that nothing that arrived is dropped or passes as good.
    std::string ReceiveParameter(std::string& annotated);
    // True when the text of the last ReceiveParameter was such a damaged frame.
    bool LastFrameDamaged() const { return lastFrameDamaged_; }
    int ReceiveAcknowledge(int& errorNumber);
    int SendFrame(std::string_view text, int byteCount);

    // Called with each port number the search is about to open (for progress displays).
    void SetSearchObserver(std::function<void(int portNumber)> observer);

    // Asks a running wait to end: every receive fails from the next one-byte read on and the search
    // stops trying ports. Safe to call from any thread. ClearStop() re-arms the link.
    void RequestStop();
    void ClearStop();
    bool StopRequested() const;

  private:
    // One-byte read through the port; false when no byte came (time-out, line gone or stop).
    // Sets lineGone_ when the port reported the line as vanished.
    bool ReadOne(unsigned char& byte);
    bool TryPort(int portNumber, bool storeBeforeStatus, std::string& identification, int& result);
    enum class Frame { kNone, kComplete, kDamaged };
    // One frame off the line within the bounds of ReceiveTelegram; kDamaged with what came of it.
    Frame ReceiveFrame(std::string& text);

    ISerialPort& port_;
    ISettingsStore& settings_;
    std::function<void(int)> searchObserver_;
    std::atomic<bool> stop_{false};
    bool lineGone_ = false;    // the last receive ended because the port reported the line as gone
    bool pendingStx_ = false;  // an STX that cut a damaged frame starts the next one
    bool lastFrameDamaged_ = false;
};

}  // namespace kdm
