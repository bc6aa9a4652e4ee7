#include "support/fakes.h"

#include <algorithm>
#include <cerrno>

#include "link/telegram.h"
#include "platform/port_map.h"

namespace kdmtest {

void ScriptedPort::AddPort(int n, bool openable) {
    ports_[n] = openable;
}

void ScriptedPort::Feed(int n, const std::string& bytes) {
    for (char c : bytes)
        streams_[n].push_back({Item::kByte, static_cast<unsigned char>(c)});
}

void ScriptedPort::FeedSilence(int n, int count) {
    for (int i = 0; i < count; ++i)
        streams_[n].push_back({Item::kSilence});
}

void ScriptedPort::FeedHangup(int n) {
    streams_[n].push_back({Item::kHangup});
}

std::string ScriptedPort::Frame(const std::string& fourteen) {
    return std::string(1, kdm::STX) + fourteen + std::string(1, kdm::ETX);
}

void ScriptedPort::OnWrite(int n, const std::string& trigger, const std::string& reply, int times) {
    rules_[n].push_back({trigger, reply, times});
}

kdm::Status ScriptedPort::Open(const std::string& name) {
    openAttempts.push_back(name);
    const int n = kdm::PortNumberOfName(name);
    auto it = ports_.find(n);
    if (open_ != 0) return kdm::Failure(EBUSY, name + ": a port is open already");
    if (it == ports_.end()) return kdm::Failure(ENOENT, name + ": no such port");
    if (!it->second) return kdm::Failure(EBUSY, name + ": busy");
    open_ = n;
    opened.push_back(n);
    carry_[n].clear();
    return {};
}

kdm::Status ScriptedPort::ApplyLineSettings() {
    if (open_ == 0) return kdm::Failure(EBADF, "no port is open");
    if (badSettings_[open_]) return kdm::Failure(EINVAL, "line settings refused");
    return {};
}

void ScriptedPort::Close() {
    if (open_ != 0) ++closes;
    open_ = 0;
}

kdm::Result<unsigned char> ScriptedPort::ReadByte() {
    const auto silent = [] { return kdm::Failure(kdm::kReadTimedOut, "no byte within 100 ms"); };
    const auto hungUp = [] { return kdm::Failure(kdm::kErrorHungUp, "the line hung up"); };
    ++reads;
    if (open_ == 0) {
        ++emptyReads;
        clock_.now += 100;
        return silent();
    }
    ++readsOn[open_];
    auto& stream = streams_[open_];
    if (gone_[open_]) {
        ++emptyReads;
        return hungUp();
    }
    if (stream.empty()) {
        ++emptyReads;
        clock_.now += 100;
        return silent();
    }
    const Item item = stream.front();
    stream.pop_front();
    switch (item.kind) {
        case Item::kByte:
            clock_.now += 2;
            return item.byte;
        case Item::kSilence:
            ++emptyReads;
            clock_.now += 100;
            return silent();
        case Item::kHangup:
            gone_[open_] = true;
            ++emptyReads;
            return hungUp();
    }
    return silent();
}

kdm::Result<std::size_t> ScriptedPort::Write(const void* data, std::size_t count) {
    std::string bytes(static_cast<const char*>(data), count);
    writes.push_back(bytes);
    if (open_ == 0) return kdm::Failure(EBADF, "no port is open");
    const auto failure = writeFailure_.find(open_);
    if (failure != writeFailure_.end() && failure->second.after == 0 && count > 0) {
        return kdm::Failure(failure->second.error, "COM" + std::to_string(open_) + ": write refused");
    }
    const auto limit = writeLimit_.find(open_);
    const bool limited = limit != writeLimit_.end();
    if (limited && bytes.size() > limit->second) bytes.resize(limit->second);
    if (failure != writeFailure_.end()) {
        if (bytes.size() > failure->second.after) bytes.resize(failure->second.after);
        failure->second.after -= bytes.size();
    }
    line += bytes;
    // Without a limit a trigger must lie within one write, as it always had to.
    std::string& carry = carry_[open_];
    const std::string seen = limited ? carry + bytes : bytes;
    std::size_t longest = 0;
    bool answered = false;
    for (auto& rule : rules_[open_]) {
        longest = std::max(longest, rule.trigger.size());
        if (!answered && rule.times != 0 && seen.find(rule.trigger) != std::string::npos) {
            if (rule.times > 0) --rule.times;
            Feed(open_, rule.reply);
            answered = true;
        }
    }
    const std::size_t keep = answered || longest == 0 ? 0 : std::min(seen.size(), longest - 1);
    carry = seen.substr(seen.size() - keep);
    return bytes.size();
}

bool MemorySettingsStore::CreateKey(std::string_view key, bool volatileKey) {
    auto [it, inserted] = keys.try_emplace(std::string(key));
    if (inserted) it->second.isVolatile = volatileKey;
    return true;
}

bool MemorySettingsStore::KeyExists(std::string_view key) {
    return keys.count(std::string(key)) != 0;
}

bool MemorySettingsStore::ReadValue(std::string_view key, std::string_view name, kdm::StoredValue& value) {
    auto k = keys.find(std::string(key));
    if (k == keys.end()) return false;
    auto v = k->second.values.find(std::string(name));
    if (v == k->second.values.end()) return false;
    value = v->second;
    return true;
}

bool MemorySettingsStore::WriteValue(std::string_view key, std::string_view name,
                                     const kdm::StoredValue& value) {
    auto k = keys.find(std::string(key));
    if (failWrites || k == keys.end()) return false;
    k->second.values[std::string(name)] = value;
    return true;
}

}  // namespace kdmtest
