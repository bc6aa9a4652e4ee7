// Data files and the temporary file "KDM.tmp": both are a sequence of records, each followed by CR LF CR,
// stored exactly as received.
//
// Failures come back as 0 with a reason text (strerror-style, naming the path); nothing here shows a
// message itself.
#pragma once

#include <string>
#include <string_view>

#include "link/wire.h"

namespace kdm {

inline constexpr std::string_view kTempFileName = "KDM.tmp";
// A file must be longer than this to be written into a device.
inline constexpr long kMinimumWriteLength = 35;

// The start-up directory and "KDM.tmp" in it. Works for a directory of any length.
std::string InitTempFilePath(const std::string& startupDirectory);
// The current working directory; empty when it cannot be read.
std::string CurrentDirectory();

// The temporary file while a read runs. Created without following a symlink at its name, refused when
// it has other names (hard links) whose content the truncation would destroy, locked so that a second
// read in the same directory is refused instead of interleaving its records, and truncated only once
// the lock is held. Closed by Close() or the destructor; what was written stays on disk.
class TempFile {
  public:
    TempFile() = default;
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    int Create(const std::string& path, std::string& reason);
    // Appends `text` and the record terminator at once (no buffering across records).
    int AppendRecord(std::string_view text, std::string& reason);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

// The whole file; the text ends at the first NUL byte, as every reader of a data file takes it.
// `length` receives the file length in bytes (before any NUL cut).
int ReadWholeFile(const std::string& path, std::string& text, long& length, std::string& reason);

// Copies the temporary file to `destination` through SaveBytesAtomically (platform/atomic_save.h): the
// destination is the old file or the new one at every moment, keeps its mode, owner and group, and is
// refused when it is anything but a regular file. On failure the previous file is untouched and no
// stray file is left.
int SaveDataFile(const std::string& tempPath, const std::string& destination, std::string& reason);
// The same through `ops`, so that tests can make any step of the save fail.
class IFileOps;
int SaveDataFile(const std::string& tempPath, const std::string& destination, std::string& reason,
                 IFileOps& ops);

// 1 when the device-type keys of the identification text and the file text are equal.
int FileMatchesDevice(std::string_view identification, std::string_view fileText);

// String ids of the two refusals of CheckFileForWrite (same ids as in data/strings.h).
inline constexpr int kWrongDeviceTypeText = 372;     // "file type is not device typ"
inline constexpr int kParameterFileErrorText = 350;  // "Parameterfile has an error"

// The checks before a file is written into a device, in their order: the device-type keys must be
// equal, then the file must be longer than kMinimumWriteLength. Returns 1 when both pass; on 0,
// `failureTextId` names the refusal. `firstG` receives the index of the first 'g' of the file text
// (where sending starts), or -1; it is set once the type check has passed.
int CheckFileForWrite(std::string_view identification, std::string_view fileText, long fileLength,
                      int& firstG, int& failureTextId);

}  // namespace kdm
