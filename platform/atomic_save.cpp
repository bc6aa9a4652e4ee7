#include "platform/atomic_save.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_ops.h"
#include "platform/result.h"

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

Failure CannotSave(const std::string& path, int error) {
    return Failure(error, "cannot save " + path + ": " + SystemErrorText(error));
}

// The front door's convention: 1, or 0 with the reason.
int Report(const Status& status, std::string& reason) {
    if (status.Ok()) return 1;
    reason = status.reason();
    return 0;
}

// A step that failed with errno; its reason is the step, the caller names the destination.
Failure StepFailed(const char* step) {
    const int error = errno;
    return Failure(error, step);
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
Result<Destination> Examine(const std::string& path, IFileOps& ops) {
    if (path.empty() || path.back() == '/') return Failure(EINVAL, "not a file name: \"" + path + "\"");
    Destination target;
    target.path = path;
    const std::size_t slash = path.rfind('/');
    target.directory = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    target.exists = false;
    if (ops.Lstat(path, target.st) != 0) {
        if (errno == ENOENT) return target;
        return CannotSave(path, errno);
    }
    if (!S_ISREG(target.st.st_mode)) {
        return Failure(EEXIST, "cannot save " + path + ": it exists and is not a regular file (it is " +
                                   KindOf(target.st.st_mode) + ")");
    }
    target.exists = true;
    return target;
}

Status WriteWhole(IFileOps& ops, int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const long n = ops.Write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return StepFailed("write");
        }
        if (n == 0) return Failure(EIO, "write");
        done += static_cast<std::size_t>(n);
    }
    return {};
}

// The old file's owner and group where the process may set them (root always; anyone else at least a
// group they belong to), then its mode. The order matters: a change of owner clears set-id bits.
Status KeepOwnerAndMode(IFileOps& ops, int fd, const struct stat& old) {
    if (ops.SetOwner(fd, old.st_uid, old.st_gid) != 0) {
        if (errno != EPERM) return StepFailed("owner");
        if (ops.SetOwner(fd, static_cast<uid_t>(-1), old.st_gid) != 0 && errno != EPERM) {
            return StepFailed("group");
        }
    }
    if (ops.SetMode(fd, old.st_mode & 07777) != 0) return StepFailed("mode");
    return {};
}

// Gives the unnamed file a hidden name beside the destination (linkat cannot replace a name).
Status LinkHidden(IFileOps& ops, int fd, const std::string& directory, std::string& hidden) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        hidden = directory + "/" + kHiddenTemplate;
        RandomizeTemplate(hidden);
        if (ops.LinkUnnamed(fd, hidden) == 0) return {};
        if (errno != EEXIST) break;
    }
    const Failure failed = StepFailed("link");
    hidden.clear();
    return failed;
}

void SyncDirectory(const std::string& directory) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    // The new name is in place whatever this says; it only makes it survive a power cut.
    (void)::fsync(fd);
    ::close(fd);
}

Status Save(const std::string& destination, std::string_view bytes, IFileOps& ops) {
    Result<Destination> examined = Examine(destination, ops);
    if (!examined.Ok()) return examined.failure();
    Destination target = examined.value();

    // A replacement starts private and gets the old file's mode once its content is complete; a new
    // file is created with the mode the umask gives, as any file the user makes.
    const mode_t createMode = target.exists ? 0600 : 0666;
    bool unnamed = true;
    std::string hidden;  // the name the new file has until it is renamed over the destination
    int fd = ops.OpenUnnamed(target.directory, createMode);
    if (fd < 0) {
        if (errno != EOPNOTSUPP && errno != EISDIR) return CannotSave(destination, errno);
        unnamed = false;
        hidden = target.directory + "/" + kHiddenTemplate;
        fd = ops.CreateUnique(hidden, createMode);
        if (fd < 0) return CannotSave(destination, errno);
    }

    Status step = WriteWhole(ops, fd, bytes);
    if (step.Ok() && ops.Sync(fd) != 0) step = StepFailed("sync");
    if (step.Ok() && target.exists) step = KeepOwnerAndMode(ops, fd, target.st);

    bool atDestination = false;  // the new file already has the destination's name
    if (step.Ok() && unnamed) {
        if (!target.exists) {
            // Nothing to replace: the name is given at once, and a kill from here on leaves no stray file.
            if (ops.LinkUnnamed(fd, destination) == 0) {
                atDestination = true;
            } else if (errno != EEXIST) {
                step = StepFailed("link");
            } else {
                // Something took the name meanwhile: it must pass the same test as before, and is
                // replaced like any file that was there from the start.
                examined = Examine(destination, ops);
                if (!examined.Ok()) {
                    ops.Close(fd);
                    return examined.failure();
                }
                target = examined.value();
                if (target.exists) step = KeepOwnerAndMode(ops, fd, target.st);
            }
        }
        if (step.Ok() && !atDestination) step = LinkHidden(ops, fd, target.directory, hidden);
    }
    // Some file systems report a failed write-back only here.
    if (ops.Close(fd) != 0 && step.Ok()) step = StepFailed("close");
    if (step.Ok() && !atDestination && ops.Rename(hidden, destination) != 0) step = StepFailed("rename");
    if (!step.Ok()) {
        if (atDestination) {
            ops.Unlink(destination);
        } else if (!hidden.empty()) {
            ops.Unlink(hidden);
        }
        return CannotSave(destination, step.error());
    }
    SyncDirectory(target.directory);
    return {};
}

}  // namespace

namespace {

// Whether a new file can be made in the destination's directory: it exists, is a directory, and this
// process may add names to it (a read-only mount says so as well).
Status CheckDirectory(const Destination& target) {
    struct stat info {};
    if (::stat(target.directory.c_str(), &info) != 0) {
        const int error = errno;
        if (error == ENOENT)
            return Failure(error, "cannot save " + target.path + ": its directory " + target.directory +
                                      " does not exist");
        return CannotSave(target.path, error);
    }
    if (!S_ISDIR(info.st_mode))
        return Failure(ENOTDIR,
                       "cannot save " + target.path + ": " + target.directory + " is not a directory");
    if (::faccessat(AT_FDCWD, target.directory.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
        const int error = errno;
        return Failure(error, "cannot save " + target.path + ": its directory " + target.directory +
                                  " cannot be written (" + SystemErrorText(error) + ")");
    }
    return {};
}

}  // namespace

int CheckSaveDestination(const std::string& destination, std::string& reason) {
    PosixFileOps ops;
    const Result<Destination> examined = Examine(destination, ops);
    if (!examined.Ok()) return Report(Status(examined.failure()), reason);
    return Report(CheckDirectory(examined.value()), reason);
}

int SaveBytesAtomically(const std::string& destination, std::string_view bytes, std::string& reason) {
    PosixFileOps ops;
    return SaveBytesAtomically(destination, bytes, reason, ops);
}

int SaveBytesAtomically(const std::string& destination, std::string_view bytes, std::string& reason,
                        IFileOps& ops) {
    return Report(Save(destination, bytes, ops), reason);
}

}  // namespace kdm
