// The system calls that saving a data file makes, behind a small interface so that tests can make any
// one of them fail (a full disk at the third write, an I/O error at the flush, a rename refused) and
// check that the destination is always either the old file or the new one.
//
// Every call follows the system's convention: -1 (or a short count) with errno set on failure.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace kdm {

class IFileOps {
  public:
    virtual ~IFileOps() = default;
    // mkostemp(pathTemplate, O_CLOEXEC): a new file whose name replaces the trailing XXXXXX.
    virtual int CreateUnique(std::string& pathTemplate) = 0;
    virtual long Write(int fd, const char* data, std::size_t count) = 0;
    virtual int Sync(int fd) = 0;
    virtual int SetMode(int fd, mode_t mode) = 0;
    virtual int Close(int fd) = 0;
    virtual int Rename(const std::string& from, const std::string& to) = 0;
    virtual int Unlink(const std::string& path) = 0;
};

// The real calls.
class PosixFileOps final : public IFileOps {
  public:
    int CreateUnique(std::string& pathTemplate) override;
    long Write(int fd, const char* data, std::size_t count) override;
    int Sync(int fd) override;
    int SetMode(int fd, mode_t mode) override;
    int Close(int fd) override;
    int Rename(const std::string& from, const std::string& to) override;
    int Unlink(const std::string& path) override;
};

}  // namespace kdm
