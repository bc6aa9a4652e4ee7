#include "platform/file_settings_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/atomic_save.h"

namespace kdm {

namespace {

// Bounds: a value file is tiny, and nothing read from disk may make us allocate without limit.
constexpr std::size_t kMaxValueBytes = 4096;
constexpr std::size_t kMaxHeaderBytes = 16;  // "number 4096\n" and room to spare
constexpr std::size_t kMaxComponentBytes = 128;
constexpr std::size_t kMaxKeyComponents = 16;

constexpr std::string_view kTextTag = "text";
constexpr std::string_view kNumberTag = "number";
constexpr std::string_view kValueSuffix = ".value";

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsSafeComponent(std::string_view part) {
    if (part.empty() || part.size() > kMaxComponentBytes || part == "." || part == "..") return false;
    for (const char c : part) {
        if (c == '/' || c == '\\' || c == '\0') return false;
    }
    return true;
}

// "Software\Dorvik\KDM_XP" -> "Software/Dorvik/KDM_XP"; empty for a key that could leave the root.
std::string RelativeKeyPath(std::string_view key) {
    std::string path;
    std::size_t parts = 0;
    std::size_t from = 0;
    while (true) {
        const std::size_t sep = key.find('\\', from);
        const std::string_view part = key.substr(from, sep == std::string_view::npos ? key.npos : sep - from);
        if (!IsSafeComponent(part) || ++parts > kMaxKeyComponents) return {};
        if (!path.empty()) path += '/';
        path += part;
        if (sep == std::string_view::npos) break;
        from = sep + 1;
    }
    return path;
}

std::string ValueFileName(std::string_view name) {
    return std::string(name) + std::string(kValueSuffix);
}

// A root must be ours (or the administrator's) and writable by nobody else: a directory somebody else
// planted, for example in /tmp, could feed us values.
bool RootIsTrusted(const std::string& root) {
    struct stat st {};
    if (stat(root.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    return (st.st_uid == geteuid() || st.st_uid == 0) && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// mkdir -p with private permissions.
bool MakeDirectories(const std::string& path) {
    if (path.empty()) return false;
    std::size_t at = 0;
    while (at != std::string::npos) {
        at = path.find('/', at + 1);
        const std::string prefix = path.substr(0, at);
        if (prefix.empty()) continue;
        if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (!IsDirectory(prefix)) return false;
    }
    return true;
}

bool EnsureRoot(const std::string& root) {
    if (root.empty()) return false;
    if (!IsDirectory(root) && !MakeDirectories(root)) return false;
    return RootIsTrusted(root);
}

bool ReadSmallFile(const std::string& path, std::string& content) {
    // A FIFO planted at the name would block a plain open until someone writes to it, and with it the
    // device search that asks for the stored port; opened without blocking, it is refused below.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
              static_cast<std::size_t>(st.st_size) <= kMaxHeaderBytes + kMaxValueBytes;
    content.clear();
    if (ok) {
        char buffer[512];
        while (true) {
            const ssize_t got = read(fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) {
                ok = false;
                break;
            }
            if (got == 0) break;
            content.append(buffer, static_cast<std::size_t>(got));
            // The file may grow while we read it; the bound holds anyway.
            if (content.size() > kMaxHeaderBytes + kMaxValueBytes) {
                ok = false;
                break;
            }
        }
    }
    close(fd);
    return ok;
}

// Readers never see half a value, and a value file keeps its mode.
bool ReplaceFile(const std::string& directory, const std::string& fileName, const std::string& content) {
    std::string reason;
    return SaveBytesAtomically(directory + "/" + fileName, content, reason) == 1;
}

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

std::string HomeDirectory() {
    std::string home = EnvironmentValue("HOME");
    if (!home.empty()) return home;
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(4096);
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr) {
        home = found->pw_dir;
    }
    return home;
}

}  // namespace

bool ParseStoredValue(std::string_view content, StoredValue& value) {
    const std::size_t newline = content.substr(0, kMaxHeaderBytes).find('\n');
    if (newline == std::string_view::npos) return false;
    const std::string_view header = content.substr(0, newline);
    const std::size_t blank = header.find(' ');
    if (blank == std::string_view::npos) return false;
    const std::string_view tag = header.substr(0, blank);
    const std::string_view digits = header.substr(blank + 1);

    ValueType type;
    if (tag == kTextTag) {
        type = ValueType::kText;
    } else if (tag == kNumberTag) {
        type = ValueType::kNumber;
    } else {
        return false;
    }
    if (digits.empty() || digits.size() > 5) return false;
    std::size_t length = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return false;
        length = length * 10 + static_cast<std::size_t>(c - '0');
    }
    if (length > kMaxValueBytes) return false;
    // The length guards against a truncated or padded file: exactly that many bytes must follow.
    const std::string_view bytes = content.substr(newline + 1);
    if (bytes.size() != length) return false;
    value.type = type;
    value.bytes.assign(bytes);
    return true;
}

std::string SerializeStoredValue(const StoredValue& value) {
    std::string content(value.type == ValueType::kNumber ? kNumberTag : kTextTag);
    content += ' ';
    content += std::to_string(value.bytes.size());
    content += '\n';
    content += value.bytes;
    return content;
}

FileSettingsStore::FileSettingsStore() {
    const std::string confined = EnvironmentValue("KDMXP_SETTINGS_DIR");
    if (!confined.empty()) {
        lasting_ = confined + "/lasting";
        volatile_ = confined + "/volatile";
        return;
    }
    const std::string config = EnvironmentValue("XDG_CONFIG_HOME");
    if (!config.empty() && config.front() == '/') {
        lasting_ = config + "/kdmxp";
    } else {
        const std::string home = HomeDirectory();
        if (!home.empty()) lasting_ = home + "/.config/kdmxp";
    }
    const std::string runtime = EnvironmentValue("XDG_RUNTIME_DIR");
    if (!runtime.empty() && runtime.front() == '/') {
        volatile_ = runtime + "/kdmxp";
    } else {
        volatile_ = "/tmp/kdmxp-" + std::to_string(geteuid());
    }
}

FileSettingsStore::FileSettingsStore(std::string lastingRoot, std::string volatileRoot)
    : lasting_(std::move(lastingRoot)), volatile_(std::move(volatileRoot)) {}

bool FileSettingsStore::CreateKey(std::string_view key, bool volatileKey) {
    const std::string relative = RelativeKeyPath(key);
    if (relative.empty()) return false;
    if (KeyExists(key)) return true;
    const std::string& root = volatileKey ? volatile_ : lasting_;
    return EnsureRoot(root) && MakeDirectories(root + "/" + relative);
}

bool FileSettingsStore::KeyExists(std::string_view key) {
    const std::string relative = RelativeKeyPath(key);
    if (relative.empty()) return false;
    for (const std::string* root : {&lasting_, &volatile_}) {
        if (!root->empty() && RootIsTrusted(*root) && IsDirectory(*root + "/" + relative)) return true;
    }
    return false;
}

bool FileSettingsStore::ReadValue(std::string_view key, std::string_view name, StoredValue& value) {
    const std::string relative = RelativeKeyPath(key);
    if (relative.empty() || !IsSafeComponent(name)) return false;
    // Lasting first: a key that exists in both roots (a lasting subkey under a volatile key) shows the
    // values of both.
    for (const std::string* root : {&lasting_, &volatile_}) {
        if (root->empty() || !RootIsTrusted(*root)) continue;
        std::string content;
        if (!ReadSmallFile(*root + "/" + relative + "/" + ValueFileName(name), content)) continue;
        StoredValue parsed;
        if (!ParseStoredValue(content, parsed)) return false;
        value = std::move(parsed);
        return true;
    }
    return false;
}

bool FileSettingsStore::WriteValue(std::string_view key, std::string_view name, const StoredValue& value) {
    const std::string relative = RelativeKeyPath(key);
    if (relative.empty() || !IsSafeComponent(name) || value.bytes.size() > kMaxValueBytes) return false;
    const std::string fileName = ValueFileName(name);
    std::string lastingDir;
    std::string volatileDir;
    if (!lasting_.empty() && RootIsTrusted(lasting_) && IsDirectory(lasting_ + "/" + relative)) {
        lastingDir = lasting_ + "/" + relative;
    }
    if (!volatile_.empty() && RootIsTrusted(volatile_) && IsDirectory(volatile_ + "/" + relative)) {
        volatileDir = volatile_ + "/" + relative;
    }
    // A value is replaced where it lives; a new one goes into the lasting key when there is one.
    std::string directory = lastingDir.empty() ? volatileDir : lastingDir;
    if (!lastingDir.empty() && !volatileDir.empty()) {
        struct stat st {};
        const bool inLasting = lstat((lastingDir + "/" + fileName).c_str(), &st) == 0;
        const bool inVolatile = lstat((volatileDir + "/" + fileName).c_str(), &st) == 0;
        if (inVolatile && !inLasting) directory = volatileDir;
    }
    if (directory.empty()) return false;
    return ReplaceFile(directory, fileName, SerializeStoredValue(value));
}

}  // namespace kdm
