// The system calls that saving a file makes, behind a small interface so that tests can make any one of
// them fail (a full disk at the third write, an I/O error at the flush, a file system without unnamed
// files, a rename refused) and check that the destination is always either the old file or the new one.
//
// Every call follows the system's convention: -1 (or a short count) with errno set on failure.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <string>

namespace kdm {

class IFileOps {
  public:
    virtual ~IFileOps() = default;
    // The type, mode and owner of `path` itself (a symlink is not followed).
    virtual int Lstat(const std::string& path, struct stat& st) = 0;
    // open(directory, O_TMPFILE | O_WRONLY | O_CLOEXEC, mode): a file without a name, which vanishes
    // with its descriptor unless LinkUnnamed gives it one. EOPNOTSUPP or EISDIR where the file system
    // or the kernel has no such files.
    virtual int OpenUnnamed(const std::string& directory, mode_t mode) = 0;
    // A new file created exclusively (never through a symlink) with `mode`, whose name is
    // `pathTemplate` with its trailing XXXXXX replaced by random characters.
    virtual int CreateUnique(std::string& pathTemplate, mode_t mode) = 0;
    virtual long Write(int fd, const char* data, std::size_t count) = 0;
    virtual int Sync(int fd) = 0;
    // fchown; -1 as either id leaves it as it is.
    virtual int SetOwner(int fd, uid_t owner, gid_t group) = 0;
    virtual int SetMode(int fd, mode_t mode) = 0;
    // Gives the unnamed file open as `fd` the name `path`; fails with EEXIST when the name is taken.
    virtual int LinkUnnamed(int fd, const std::string& path) = 0;
    virtual int Close(int fd) = 0;
    virtual int Rename(const std::string& from, const std::string& to) = 0;
    virtual int Unlink(const std::string& path) = 0;
};

// Replaces the trailing XXXXXX of `pathTemplate` with random letters and digits; false (and nothing
// changed) for a template that does not end in XXXXXX.
bool RandomizeTemplate(std::string& pathTemplate);

// The real calls.
class PosixFileOps final : public IFileOps {
  public:
    int Lstat(const std::string& path, struct stat& st) override;
    int OpenUnnamed(const std::string& directory, mode_t mode) override;
    int CreateUnique(std::string& pathTemplate, mode_t mode) override;
    long Write(int fd, const char* data, std::size_t count) override;
    int Sync(int fd) override;
    int SetOwner(int fd, uid_t owner, gid_t group) override;
    int SetMode(int fd, mode_t mode) override;
    int LinkUnnamed(int fd, const std::string& path) override;
    int Close(int fd) override;
    int Rename(const std::string& from, const std::string& to) override;
    int Unlink(const std::string& path) override;
};

}  // namespace kdm
