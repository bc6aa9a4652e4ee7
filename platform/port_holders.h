// Which programs hold a device open, for messages that say who keeps a port busy.
#pragma once

#include <string>
#include <vector>

namespace kdm {

struct PortHolder {
    int pid = 0;
    std::string command;  // the process's name as the kernel keeps it (at most 15 characters)
};

// The processes other than this one with `devicePath` open, found through /proc: all of them for the
// administrator, an ordinary user's own otherwise. Empty when none can be seen or the path is not a
// character device. Never throws.
std::vector<PortHolder> FindPortHolders(const std::string& devicePath);

// "pid 4711 cupsd, pid 4712 minicom"; empty for no holders.
std::string DescribePortHolders(const std::vector<PortHolder>& holders);

}  // namespace kdm
