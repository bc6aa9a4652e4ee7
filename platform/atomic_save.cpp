#include "platform/atomic_save.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/file_ops.h"

namespace kdm {
namespace {

// Short, so that a destination name of the system's full length still leaves room for it.
constexpr const char* kHiddenTemplate = ".kdmxp-XXXXXX";
constexpr int kNameAttempts = 100;

struct Destination {
    std::string path;
    std::string directory;
    bool exists = false;
    struct stat st {};
};

int Fail(std::string& reason, const std::string& path, int error) {
    reason = "cannot save " + path + ": " + std::strerror(error);
    return 0;
}

const char* KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISLNK(mode)) return "a symbolic link";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "of an unknown kind";
}

// What is at the destination now. Writing through a FIFO or a device would block or lose the data,
// replacing one would break whatever it serves, and a symbolic link may lead anywhere: only a regular
// file may be replaced.
int Examine(const std::string& path, IFileOps& ops, Destination& target, std::string& reason) {
    if (path.empty() || path.back() == '/') {
        reason = "not a file name: \"" + path + "\"";
        return 0;
    }
    target.path = path;
    const std::size_t slash = path.rfind('/');
    target.directory = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    target.exists = false;
    if (ops.Lstat(path, target.st) != 0) {
        if (errno == ENOENT) return 1;
        return Fail(reason, path, errno);
    }
    if (!S_ISREG(target.st.st_mode)) {
        reason = "cannot save " + path + ": it exists and is not a regular file (it is " +
                 KindOf(target.st.st_mode) + ")";
        return 0;
    }
    target.exists = true;
    return 1;
}

int WriteAll(IFileOps& ops, int fd, std::string_view bytes, int& error) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const long n = ops.Write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            error = errno;
            return 0;
        }
        if (n == 0) {
            error = EIO;
            return 0;
        }
        done += static_cast<std::size_t>(n);
    }
    return 1;
}

// The old file's owner and group where the process may set them (root always; anyone else at least a
// group they belong to), then its mode. The order matters: a change of owner clears set-id bits.
int KeepOwnerAndMode(IFileOps& ops, int fd, const struct stat& old, int& error) {
    if (ops.SetOwner(fd, old.st_uid, old.st_gid) != 0) {
        if (errno != EPERM) {
            error = errno;
            return 0;
        }
        if (ops.SetOwner(fd, static_cast<uid_t>(-1), old.st_gid) != 0 && errno != EPERM) {
            error = errno;
            return 0;
        }
    }
    if (ops.SetMode(fd, old.st_mode & 07777) != 0) {
        error = errno;
        return 0;
    }
    return 1;
}

// Gives the unnamed file a hidden name beside the destination (linkat cannot replace a name).
int LinkHidden(IFileOps& ops, int fd, const std::string& directory, std::string& hidden, int& error) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        hidden = directory + "/" + kHiddenTemplate;
        RandomizeTemplate(hidden);
        if (ops.LinkUnnamed(fd, hidden) == 0) return 1;
        if (errno != EEXIST) break;
    }
    error = errno;
    hidden.clear();
    return 0;
}

void SyncDirectory(const std::string& directory) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    // The new name is in place whatever this says; it only makes it survive a power cut.
    (void)::fsync(fd);
    ::close(fd);
}

}  // namespace

int CheckSaveDestination(const std::string& destination, std::string& reason) {
    PosixFileOps ops;
    Destination target;
    return Examine(destination, ops, target, reason);
}

int SaveBytesAtomically(const std::string& destination, std::string_view bytes, std::string& reason) {
    PosixFileOps ops;
    return SaveBytesAtomically(destination, bytes, reason, ops);
}

int SaveBytesAtomically(const std::string& destination, std::string_view bytes, std::string& reason,
                        IFileOps& ops) {
    Destination target;
    if (!Examine(destination, ops, target, reason)) return 0;

    // A replacement starts private and gets the old file's mode once its content is complete; a new
    // file is created with the mode the umask gives, as any file the user makes.
    const mode_t createMode = target.exists ? 0600 : 0666;
    bool unnamed = true;
    std::string hidden;  // the name the new file has until it is renamed over the destination
    int fd = ops.OpenUnnamed(target.directory, createMode);
    if (fd < 0) {
        if (errno != EOPNOTSUPP && errno != EISDIR) return Fail(reason, destination, errno);
        unnamed = false;
        hidden = target.directory + "/" + kHiddenTemplate;
        fd = ops.CreateUnique(hidden, createMode);
        if (fd < 0) return Fail(reason, destination, errno);
    }

    int error = 0;
    bool ok = WriteAll(ops, fd, bytes, error) == 1;
    if (ok && ops.Sync(fd) != 0) {
        error = errno;
        ok = false;
    }
    if (ok && target.exists) ok = KeepOwnerAndMode(ops, fd, target.st, error) == 1;

    bool atDestination = false;  // the new file already has the destination's name
    if (ok && unnamed) {
        if (!target.exists) {
            // Nothing to replace: the name is given at once, and a kill from here on leaves no stray file.
            if (ops.LinkUnnamed(fd, destination) == 0) {
                atDestination = true;
            } else if (errno != EEXIST) {
                error = errno;
                ok = false;
            } else {
                // Something took the name meanwhile: it must pass the same test as before, and is
                // replaced like any file that was there from the start.
                if (!Examine(destination, ops, target, reason)) {
                    ops.Close(fd);
                    return 0;
                }
                if (target.exists) ok = KeepOwnerAndMode(ops, fd, target.st, error) == 1;
            }
        }
        if (ok && !atDestination) ok = LinkHidden(ops, fd, target.directory, hidden, error) == 1;
    }
    // Some file systems report a failed write-back only here.
    if (ops.Close(fd) != 0 && ok) {
        error = errno;
        ok = false;
    }
    if (ok && !atDestination && ops.Rename(hidden, destination) != 0) {
        error = errno;
        ok = false;
    }
    if (!ok) {
        if (atDestination) {
            ops.Unlink(destination);
        } else if (!hidden.empty()) {
            ops.Unlink(hidden);
        }
        return Fail(reason, destination, error);
    }
    SyncDirectory(target.directory);
    return 1;
}

}  // namespace kdm
