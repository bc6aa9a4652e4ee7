#include "support/fakes.h"

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

bool ScriptedPort::Open(const std::string& name) {
    openAttempts.push_back(name);
    const int n = kdm::PortNumberOfName(name);
    auto it = ports_.find(n);
    if (open_ != 0 || it == ports_.end() || !it->second) return false;
    open_ = n;
    opened.push_back(n);
    return true;
}

bool ScriptedPort::ApplyLineSettings() {
    return open_ != 0 && !badSettings_[open_];
}

void ScriptedPort::Close() {
    if (open_ != 0) ++closes;
    open_ = 0;
}

int ScriptedPort::ReadByte(unsigned char& byte) {
    ++reads;
    if (open_ == 0) {
        ++emptyReads;
        clock_.now += 100;
        return 0;
    }
    ++readsOn[open_];
    auto& stream = streams_[open_];
    if (gone_[open_]) {
        ++emptyReads;
        return -1;
    }
    if (stream.empty()) {
        ++emptyReads;
        clock_.now += 100;
        return 0;
    }
    const Item item = stream.front();
    stream.pop_front();
    switch (item.kind) {
        case Item::kByte:
            byte = item.byte;
            clock_.now += 2;
            return 1;
        case Item::kSilence:
            ++emptyReads;
            clock_.now += 100;
            return 0;
        case Item::kHangup:
            gone_[open_] = true;
            ++emptyReads;
            return -1;
    }
    return 0;
}

long ScriptedPort::Write(const void* data, std::size_t count) {
    std::string bytes(static_cast<const char*>(data), count);
    writes.push_back(bytes);
    if (open_ == 0) return 0;
    for (auto& rule : rules_[open_]) {
        if (rule.times != 0 && bytes.find(rule.trigger) != std::string::npos) {
            if (rule.times > 0) --rule.times;
            Feed(open_, rule.reply);
            break;
        }
    }
    return static_cast<long>(count);
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
