#include "platform/port_holders.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace kdm {

namespace {

bool IsNumber(const char* name) {
    if (*name == '\0') return false;
    for (; *name != '\0'; ++name) {
        if (*name < '0' || *name > '9') return false;
    }
    return true;
}

std::string CommandOf(const std::string& pidDirectory) {
    const int fd = open((pidDirectory + "/comm").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    char buffer[64];
    ssize_t got;
    do {
        got = read(fd, buffer, sizeof buffer);
    } while (got < 0 && errno == EINTR);
    close(fd);
    std::string command;
    for (ssize_t i = 0; i < got; ++i) {
        const char c = buffer[i];
        if (c == '\n') break;
        command += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    }
    return command;
}

// True when one of the process's descriptors is the character device `device`.
bool HoldsDevice(const std::string& pidDirectory, dev_t device) {
    const std::string fdDirectory = pidDirectory + "/fd";
    DIR* fds = opendir(fdDirectory.c_str());
    if (fds == nullptr) return false;  // gone, or not ours to look at
    bool holds = false;
    while (dirent* entry = readdir(fds)) {
        if (!IsNumber(entry->d_name)) continue;
        struct stat st {};
        if (stat((fdDirectory + "/" + entry->d_name).c_str(), &st) == 0 && S_ISCHR(st.st_mode) &&
            st.st_rdev == device) {
            holds = true;
            break;
        }
    }
    closedir(fds);
    return holds;
}

}  // namespace

std::vector<PortHolder> FindPortHolders(const std::string& devicePath) {
    std::vector<PortHolder> holders;
    struct stat target {};
    if (devicePath.empty() || stat(devicePath.c_str(), &target) != 0 || !S_ISCHR(target.st_mode))
        return holders;
    DIR* proc = opendir("/proc");
    if (proc == nullptr) return holders;
    const int self = static_cast<int>(getpid());
    while (dirent* entry = readdir(proc)) {
        if (!IsNumber(entry->d_name)) continue;
        const int pid = std::atoi(entry->d_name);
        if (pid == self) continue;
        const std::string directory = std::string("/proc/") + entry->d_name;
        if (HoldsDevice(directory, target.st_rdev)) holders.push_back({pid, CommandOf(directory)});
    }
    closedir(proc);
    return holders;
}

std::string DescribePortHolders(const std::vector<PortHolder>& holders) {
    std::string text;
    for (const PortHolder& holder : holders) {
        if (!text.empty()) text += ", ";
        text += "pid " + std::to_string(holder.pid);
        if (!holder.command.empty()) text += " " + holder.command;
    }
    return text;
}

}  // namespace kdm
