#include "platform/file_ops.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace kdm {
namespace {

// Letters and digits only, so the name needs no quoting anywhere it may be shown.
constexpr char kNameCharacters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr std::size_t kNameCharacterCount = sizeof kNameCharacters - 1;

void FillRandom(char* at, std::size_t count) {
    unsigned char noise[16] = {};
    std::size_t have = 0;
    if (count <= sizeof noise) {
        const ssize_t got = ::getrandom(noise, count, GRND_NONBLOCK);
        if (got > 0) have = static_cast<std::size_t>(got);
    }
    // Without the kernel's randomness (early boot, seccomp) the pid and the clock still make
    // collisions rare; an O_EXCL collision only costs another try.
    static std::atomic<unsigned long> counter{0};
    unsigned long mix = static_cast<unsigned long>(::getpid()) * 2654435761UL ^ ++counter * 40503UL ^
                        static_cast<unsigned long>(::time(nullptr));
    for (std::size_t i = 0; i < count; ++i) {
        mix = mix * 6364136223846793005UL + 1442695040888963407UL;
        const unsigned long value = i < have ? noise[i] : (mix >> 33);
        at[i] = kNameCharacters[value % kNameCharacterCount];
    }
}

}  // namespace

bool RandomizeTemplate(std::string& pathTemplate) {
    constexpr std::size_t kRandom = 6;
    if (pathTemplate.size() < kRandom ||
        pathTemplate.compare(pathTemplate.size() - kRandom, kRandom, "XXXXXX") != 0)
        return false;
    FillRandom(pathTemplate.data() + pathTemplate.size() - kRandom, kRandom);
    return true;
}

int PosixFileOps::Lstat(const std::string& path, struct stat& st) {
    return ::lstat(path.c_str(), &st);
}

int PosixFileOps::OpenUnnamed(const std::string& directory, mode_t mode) {
#ifdef O_TMPFILE
    return ::open(directory.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
#else
    (void)directory;
    (void)mode;
    errno = EOPNOTSUPP;
    return -1;
#endif
}

int PosixFileOps::CreateUnique(std::string& pathTemplate, mode_t mode) {
    const std::string original = pathTemplate;
    for (int attempt = 0; attempt < 100; ++attempt) {
        pathTemplate = original;
        if (!RandomizeTemplate(pathTemplate)) {
            errno = EINVAL;
            return -1;
        }
        const int fd =
            ::open(pathTemplate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

long PosixFileOps::Write(int fd, const char* data, std::size_t count) {
    return static_cast<long>(::write(fd, data, count));
}

int PosixFileOps::Sync(int fd) {
    return ::fsync(fd);
}

int PosixFileOps::SetOwner(int fd, uid_t owner, gid_t group) {
    return ::fchown(fd, owner, group);
}

int PosixFileOps::SetMode(int fd, mode_t mode) {
    return ::fchmod(fd, mode);
}

int PosixFileOps::LinkUnnamed(int fd, const std::string& path) {
    // Linking a descriptor directly (AT_EMPTY_PATH) needs a capability on most kernels; its /proc entry
    // needs none.
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
    if (errno != ENOENT) return -1;
    const int saved = errno;
    if (::linkat(fd, "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) == 0) return 0;
    // Without /proc, the first error says more than the capability the second one lacked.
    if (errno == EPERM || errno == EINVAL) errno = saved;
    return -1;
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
