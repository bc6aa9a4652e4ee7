#include "files/file_ops.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace kdm {

int PosixFileOps::CreateUnique(std::string& pathTemplate) {
    return ::mkostemp(pathTemplate.data(), O_CLOEXEC);
}

long PosixFileOps::Write(int fd, const char* data, std::size_t count) {
    return static_cast<long>(::write(fd, data, count));
}

int PosixFileOps::Sync(int fd) {
    return ::fsync(fd);
}

int PosixFileOps::SetMode(int fd, mode_t mode) {
    return ::fchmod(fd, mode);
}

int PosixFileOps::Close(int fd) {
    return ::close(fd);
}

int PosixFileOps::Rename(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str());
}

int PosixFileOps::Unlink(const std::string& path) {
    return ::unlink(path.c_str());
}

}  // namespace kdm
