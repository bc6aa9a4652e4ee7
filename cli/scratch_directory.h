// A private directory for a read the user did not ask to keep (a verify read-back, a backup, a compare
// with the device), so that the user's KDM.tmp in the working directory keeps the last real read.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <string_view>

namespace kdmcli {

class ScratchDirectory {
  public:
    // `purpose` goes into the directory's name ("kdmxp-verify-XXXXXX"), for whoever finds one left behind.
    explicit ScratchDirectory(std::string_view purpose) {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/kdmxp-" +
                              std::string(purpose) + "-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    // Removed with what a read leaves in it.
    ~ScratchDirectory() {
        if (path_.empty()) return;
        for (const char* name : {"KDM.tmp", "device.KDM"})
            ::unlink((path_ + "/" + name).c_str());
        ::rmdir(path_.c_str());
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    // Empty when the directory could not be made.
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

}  // namespace kdmcli
