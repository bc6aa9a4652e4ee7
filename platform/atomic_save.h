// Saving a whole file so that its name always holds either the old content or the new one: the new
// content goes into a file without a name in the destination's directory, is flushed to disk, and only
// then takes the destination's name. Everything this program writes to disk as a finished file (data
// files, PDFs, reports, history, settings values) goes through here.
//
// What a save does with what it finds at the destination:
// - nothing: the new file gets the mode that the user's umask (or the directory's default ACL) gives;
// - a regular file: it is replaced, and the new file keeps its mode and, as far as the process may
//   change them, its owner and group (a 0600 file stays private);
// - anything else (a directory, a symbolic link, a FIFO, a device such as /dev/null, a socket): the
//   save is refused and nothing is touched.
//
// The unnamed file needs O_TMPFILE; where the file system lacks it, a short hidden name
// (".kdmxp-XXXXXX") beside the destination takes its place, which a process killed mid-save may leave
// behind. Names up to the system's limit work either way: the temporary name never grows with the
// destination's.
//
// Failures come back as 0 with a reason naming the destination (and the system's error text); nothing
// here shows a message itself, and a failed save leaves no file of its own behind.
#pragma once

#include <string>
#include <string_view>

namespace kdm {

class IFileOps;

// Whether `destination` could be saved to at all: a file name (not empty, not ending in '/') that
// names nothing yet or a regular file, in a directory that exists and this process may write to. Lets
// a caller refuse before long work (a device read) rather than after it. 1 when it could; 0 with
// `reason`.
int CheckSaveDestination(const std::string& destination, std::string& reason);

// Makes `destination` hold exactly `bytes`. 1 when saved; 0 with `reason`, the previous file as it
// was.
int SaveBytesAtomically(const std::string& destination, std::string_view bytes, std::string& reason);
// The same through `ops`, so that tests can make any step fail.
int SaveBytesAtomically(const std::string& destination, std::string_view bytes, std::string& reason,
                        IFileOps& ops);

}  // namespace kdm
