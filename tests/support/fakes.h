// Test doubles for the core's seams: a fake clock, a scripted serial port and a settings store in memory.
// Everything runs in memory and in fake time, so a conversation of minutes takes microseconds.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/serial_port.h"
#include "platform/settings_store.h"

namespace kdmtest {

class FakeClock final : public kdm::IClock {
  public:
    std::int64_t NowMs() override { return now; }
    void SleepMs(int ms) override {
        sleeps.push_back(ms);
        now += ms;
    }
    std::int64_t now = 0;
    std::vector<int> sleeps;
};

// A set of ports "COM1".."COM30". Each existing port delivers a scripted stream: one byte per read,
// a silent read (100 ms of fake time) where the script says so or when it has run dry, or "line gone".
// Rules answer writes: when a write contains `trigger`, `reply` is appended to that port's stream.
// A port may take only a few bytes per write, or fail its writes, as real lines sometimes do.
class ScriptedPort final : public kdm::ISerialPort {
  public:
    explicit ScriptedPort(FakeClock& clock) : clock_(clock) {}

    // Port `n` exists and can be opened (or exists but is busy when `openable` is false).
    void AddPort(int n, bool openable = true);
    void Feed(int n, const std::string& bytes);
    void FeedSilence(int n, int reads);
    // From this point of the script on, every read reports the line as gone.
    void FeedHangup(int n);
    // A telegram frame: STX, the 14 characters, ETX.
    static std::string Frame(const std::string& fourteen);
    // Replies to a write containing `trigger` on port `n`, `times` times (-1: always).
    void OnWrite(int n, const std::string& trigger, const std::string& reply, int times = -1);
    void FailLineSettings(int n) { badSettings_[n] = true; }
    // Port `n` takes at most `bytes` bytes per write. A trigger then counts when it went out across
    // several writes, too.
    void LimitWrites(int n, std::size_t bytes) { writeLimit_[n] = bytes; }
    // Writes on port `n` fail with `error` once the port has taken `after` more bytes.
    void FailWrites(int n, int error, std::size_t after = 0) { writeFailure_[n] = {error, after}; }

    // ISerialPort
    kdm::Status Open(const std::string& name) override;
    kdm::Status ApplyLineSettings() override;
    void Close() override;
    bool IsOpen() const override { return open_ != 0; }
    kdm::Result<unsigned char> ReadByte() override;
    kdm::Result<std::size_t> Write(const void* data, std::size_t count) override;

    // What happened.
    std::vector<std::string> openAttempts;  // every name Open was called with, in order
    std::vector<int> opened;                // ports actually opened, in order
    std::vector<std::string> writes;        // the bytes offered to every Write call, in order
    std::string line;                       // every byte an open port took, in order
    std::map<int, int> readsOn;             // one-byte reads per port
    int reads = 0;
    int emptyReads = 0;
    int closes = 0;
    int OpenPortNumber() const { return open_; }

  private:
    struct Item {
        enum Kind { kByte, kSilence, kHangup } kind;
        unsigned char byte = 0;
    };
    struct Rule {
        std::string trigger;
        std::string reply;
        int times;
    };
    FakeClock& clock_;
    std::map<int, bool> ports_;  // number -> openable
    std::map<int, std::deque<Item>> streams_;
    std::map<int, std::vector<Rule>> rules_;
    std::map<int, bool> badSettings_;
    std::map<int, bool> gone_;
    std::map<int, std::size_t> writeLimit_;
    struct WriteFailure {
        int error;
        std::size_t after;
    };
    std::map<int, WriteFailure> writeFailure_;
    std::map<int, std::string> carry_;  // the tail of the last limited write, where a trigger may begin
    int open_ = 0;
};

class MemorySettingsStore final : public kdm::ISettingsStore {
  public:
    bool CreateKey(std::string_view key, bool volatileKey) override;
    bool KeyExists(std::string_view key) override;
    bool ReadValue(std::string_view key, std::string_view name, kdm::StoredValue& value) override;
    bool WriteValue(std::string_view key, std::string_view name, const kdm::StoredValue& value) override;

    struct Key {
        bool isVolatile = false;
        std::map<std::string, kdm::StoredValue> values;
    };
    std::map<std::string, Key> keys;
    bool failWrites = false;
};

}  // namespace kdmtest
