// Data files and the temporary file on POSIX.
#include "files/data_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "link/telegram.h"
#include "platform/atomic_save.h"
#include "platform/file_ops.h"

namespace kdm {
namespace {

// No device holds more than a few kilobytes; anything near this is not a data file.
constexpr long kMaxFileSize = 64L * 1024 * 1024;

std::string ErrnoText(int error) {
    return std::strerror(error);
}

int Fail(std::string& reason, const std::string& what, const std::string& path, int error) {
    reason = what + " " + path + ": " + ErrnoText(error);
    return 0;
}

void CloseFd(int fd) {
    // Retrying close after EINTR may close a descriptor another thread just got; once is right on Linux.
    if (fd >= 0) ::close(fd);
}

int WriteAll(int fd, std::string_view bytes, int& error) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const long n = static_cast<long>(::write(fd, bytes.data() + done, bytes.size() - done));
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

// Every byte of a regular file, nothing converted.
int ReadBytes(const std::string& path, std::string& bytes, std::string& reason) {
    // O_NONBLOCK so that a FIFO given by mistake cannot hang the open; it is refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return Fail(reason, "cannot open", path, errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        CloseFd(fd);
        return Fail(reason, "cannot read", path, error);
    }
    if (S_ISDIR(st.st_mode)) {
        CloseFd(fd);
        reason = path + " is a directory";
        return 0;
    }
    if (!S_ISREG(st.st_mode)) {
        CloseFd(fd);
        reason = path + " is not a regular file";
        return 0;
    }
    if (st.st_size > kMaxFileSize) {
        CloseFd(fd);
        reason = path + " is too large for a data file (" + std::to_string(st.st_size) + " bytes)";
        return 0;
    }
    bytes.clear();
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            CloseFd(fd);
            return Fail(reason, "cannot read", path, error);
        }
        if (n == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
        // The file may grow while it is read; the bound holds all the same.
        if (bytes.size() > static_cast<std::size_t>(kMaxFileSize)) {
            CloseFd(fd);
            reason = path + " is too large for a data file";
            return 0;
        }
    }
    CloseFd(fd);
    return 1;
}

}  // namespace

std::string InitTempFilePath(const std::string& startupDirectory) {
    if (startupDirectory.empty()) return std::string(kTempFileName);
    std::string path = startupDirectory;
    if (path.back() != '/') path += '/';
    path += kTempFileName;
    return path;
}

std::string CurrentDirectory() {
    std::vector<char> buffer(256);
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size()) != nullptr) return std::string(buffer.data());
        if (errno != ERANGE || buffer.size() >= (std::size_t{1} << 20)) return {};
        buffer.resize(buffer.size() * 2);
    }
}

TempFile::~TempFile() {
    Close();
}

int TempFile::Create(const std::string& path, std::string& reason) {
    Close();
    // Never through a symlink planted at the name; O_NONBLOCK keeps a FIFO there from hanging the open.
    const int fd =
        ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0644);
    if (fd < 0) {
        if (errno == ELOOP) {
            reason = "cannot create " + path + ": it is a symbolic link";
            return 0;
        }
        return Fail(reason, "cannot create", path, errno);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        CloseFd(fd);
        return Fail(reason, "cannot create", path, error);
    }
    if (!S_ISREG(st.st_mode)) {
        CloseFd(fd);
        reason = "cannot create " + path + ": not a regular file";
        return 0;
    }
    // Another name for the same file (a hard link someone made, or a data file linked there) would be
    // emptied by the truncation below.
    if (st.st_nlink > 1) {
        CloseFd(fd);
        reason = "cannot create " + path + ": it has " + std::to_string(st.st_nlink) +
                 " names (hard links), and emptying it would empty the others";
        return 0;
    }
    // Two reads in one directory would interleave their records in one file.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        CloseFd(fd);
        if (error == EWOULDBLOCK) {
            reason = "another read is using " + path;
            return 0;
        }
        return Fail(reason, "cannot lock", path, error);
    }
    // Truncated only under the lock, so a running read never loses what it has stored.
    if (::ftruncate(fd, 0) != 0) {
        const int error = errno;
        CloseFd(fd);
        return Fail(reason, "cannot truncate", path, error);
    }
    fd_ = fd;
    return 1;
}

int TempFile::AppendRecord(std::string_view text, std::string& reason) {
    if (fd_ < 0) {
        reason = "the temporary file is not open";
        return 0;
    }
    std::string record(text);
    record += kRecordTerminator;
    int error = 0;
    if (!WriteAll(fd_, record, error)) {
        reason = "cannot write the temporary file: " + ErrnoText(error);
        return 0;
    }
    return 1;
}

void TempFile::Close() {
    CloseFd(fd_);
    fd_ = -1;
}

int ReadWholeFile(const std::string& path, std::string& text, long& length, std::string& reason) {
    std::string bytes;
    if (!ReadBytes(path, bytes, reason)) return 0;
    length = static_cast<long>(bytes.size());
    const std::size_t nul = bytes.find('\0');
    if (nul != std::string::npos) bytes.resize(nul);
    text = std::move(bytes);
    return 1;
}

int SaveDataFile(const std::string& tempPath, const std::string& destination, std::string& reason) {
    PosixFileOps ops;
    return SaveDataFile(tempPath, destination, reason, ops);
}

int SaveDataFile(const std::string& tempPath, const std::string& destination, std::string& reason,
                 IFileOps& ops) {
    std::string bytes;
    if (!ReadBytes(tempPath, bytes, reason)) return 0;
    return SaveBytesAtomically(destination, bytes, reason, ops);
}

int FileMatchesDevice(std::string_view identification, std::string_view fileText) {
    return DeviceTypeKey(fileText) == DeviceTypeKey(identification) ? 1 : 0;
}

int CheckFileForWrite(std::string_view identification, std::string_view fileText, long fileLength,
                      int& firstG, int& failureTextId) {
    firstG = -1;
    failureTextId = 0;
    if (!FileMatchesDevice(identification, fileText)) {
        failureTextId = kWrongDeviceTypeText;
        return 0;
    }
    firstG = FindLetter(fileText, 'g', 0);
    if (fileLength <= kMinimumWriteLength) {
        failureTextId = kParameterFileErrorText;
        return 0;
    }
    return 1;
}

}  // namespace kdm
