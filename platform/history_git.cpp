#include "platform/history_git.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "platform/atomic_save.h"

namespace kdm {
namespace {

constexpr const char* kBranchRef = "refs/heads/main";
constexpr const char* kRemoteRef = "refs/remotes/origin/main";

bool PathExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

// mkdir -p; true when the directory exists afterwards.
bool MakeDirectories(const std::string& path) {
    if (path.empty()) return false;
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) break;
    }
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string Parent(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
}

// Every file the history writes itself goes through the one atomic save: a full disk or a kill leaves
// the previous file or none, never a torn one, and a name taken by anything but a regular file (a
// symbolic link, a FIFO) is refused rather than written through.
bool WriteFile(const std::string& path, const std::string& bytes, std::string& reason) {
    return SaveBytesAtomically(path, bytes, reason) == 1;
}

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

// The first `limit` bytes of a small file; false when it cannot be opened or read.
bool ReadSmallFile(const std::string& path, std::string& text, std::size_t limit = 4096) {
    text.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return false;
    char buffer[4096];
    while (text.size() < limit) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            errno = error;
            return false;
        }
        if (n == 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return true;
}

// 40 hex digits (SHA-1) or 64 (SHA-256).
bool IsObjectId(const std::string& text) {
    if (text.size() != 40 && text.size() != 64) return false;
    for (const char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

// Locks owned by the open file rather than the process also keep apart two histories of one process
// (the desktop application records from a worker thread while a window lists).
#ifdef F_OFD_SETLKW
constexpr int kLockCommand = F_OFD_SETLKW;
#else
constexpr int kLockCommand = F_SETLKW;
#endif

// Holds an advisory lock on a file for as long as it lives; released by the kernel if the process dies.
class FolderLock {
  public:
    explicit FolderLock(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0) return;
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        int result;
        do {
            result = ::fcntl(fd_, kLockCommand, &lock);
        } while (result != 0 && errno == EINTR);
        if (result != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~FolderLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool Held() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

// Names in author lines must not hold what git uses to delimit them.
std::string AuthorSafe(std::string text, const char* fallback) {
    for (char& c : text)
        if (c == '<' || c == '>' || c == '\n' || c == '\r') c = '_';
    return text.empty() ? std::string(fallback) : text;
}

// A local path becomes absolute, so that the remote means the same folder whichever directory a later
// sync runs in; URLs ("scheme://...") and scp-like ssh addresses ("host:path") stay as they are.
std::string AbsoluteRemote(const std::string& url) {
    if (url.find("://") != std::string::npos) return url;
    const std::size_t colon = url.find(':');
    const std::size_t slash = url.find('/');
    if (colon != std::string::npos && (slash == std::string::npos || colon < slash)) return url;
    if (!url.empty() && url.front() == '/') return url;
    char buffer[4096];
    if (::getcwd(buffer, sizeof buffer) == nullptr) return url;
    return std::string(buffer) + "/" + url;
}

}  // namespace

HistoryIdentity LocalHistoryIdentity() {
    HistoryIdentity identity;
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) == 0) identity.host = host;
    for (const char* name : {"USER", "LOGNAME"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            identity.user = value;
            break;
        }
    }
    if (identity.user.empty()) {
        if (const passwd* account = ::getpwuid(::getuid())) identity.user = account->pw_name;
    }
    return identity;
}

std::string DefaultHistoryLocation() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && data[0] == '/') return std::string(data) + "/kdmxp/history";
    std::string home;
    if (const char* value = std::getenv("HOME"); value != nullptr && value[0] == '/') {
        home = value;
    } else if (const passwd* account = ::getpwuid(::getuid()); account != nullptr && account->pw_dir) {
        home = account->pw_dir;
    }
    if (home.empty()) return {};
    return home + "/.local/share/kdmxp/history";
}

GitHistory::GitHistory(std::string location, HistoryIdentity identity)
    : location_(std::move(location)), identity_(std::move(identity)) {
    // Only what git needs to find itself, the user's ssh keys and agent, and a temporary directory; the
    // rest is fixed, so that no user or system setting (a pager, a signing key, an editor, a credential
    // prompt) changes what a run does.
    for (const char* name : {"PATH", "HOME", "SSH_AUTH_SOCK", "TMPDIR"}) {
        if (const char* value = std::getenv(name)) environment_.push_back(std::string(name) + "=" + value);
    }
    const std::string user = AuthorSafe(identity_.user, "unknown");
    const std::string email = AuthorSafe(identity_.user + "@" + identity_.host, "unknown@localhost");
    const std::vector<std::string> fixed = {
        "LC_ALL=C",
        // A damaged .git is never taken for another repository
        // around the history's folder (a home kept in git).
        "GIT_CEILING_DIRECTORIES=" + Parent(location_), "GIT_CONFIG_NOSYSTEM=1",
        "GIT_CONFIG_GLOBAL=/dev/null", "GIT_TERMINAL_PROMPT=0", "GIT_PAGER=cat", "PAGER=cat",
        "GIT_EDITOR=true", "GIT_MERGE_AUTOEDIT=no",
        "GIT_SSH_COMMAND=ssh -o BatchMode=yes -o ConnectTimeout=30", "GIT_AUTHOR_NAME=" + user,
        "GIT_AUTHOR_EMAIL=" + email, "GIT_COMMITTER_NAME=" + user, "GIT_COMMITTER_EMAIL=" + email};
    environment_.insert(environment_.end(), fixed.begin(), fixed.end());
}

GitHistory::GitRun GitHistory::Git(const std::vector<std::string>& args) const {
    GitRun run;
    std::vector<std::string> argv = {"git", "-C", location_};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> argp;
    for (std::string& arg : argv)
        argp.push_back(arg.data());
    argp.push_back(nullptr);
    std::vector<std::string> env = environment_;
    std::vector<char*> envp;
    for (std::string& entry : env)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    int outPipe[2], errPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0) {
        run.err = std::strerror(errno);
        return run;
    }
    if (::pipe2(errPipe, O_CLOEXEC) != 0) {
        run.err = std::strerror(errno);
        ::close(outPipe[0]);
        ::close(outPipe[1]);
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
    pid_t pid = -1;
    const int spawned = ::posix_spawnp(&pid, "git", &actions, nullptr, argp.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    if (spawned != 0) {
        ::close(outPipe[0]);
        ::close(errPipe[0]);
        run.err = spawned == ENOENT ? "the git program is not installed" : std::strerror(spawned);
        return run;
    }

    if (runWatch_) runWatch_(pid);
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&run.out, &run.err};
    int open = 2;
    char buffer[65536];
    while (open > 0) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (const pollfd& entry : fds)
        if (entry.fd >= 0) ::close(entry.fd);
    // Not reaped yet, so the id cannot name another process while the watcher still holds it.
    if (runWatch_) runWatch_(0);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string GitHistory::Why(const std::string& what, const GitRun& run) {
    std::string text = Trimmed(run.err);
    const std::size_t lastLine = text.rfind('\n');
    if (lastLine != std::string::npos) text = text.substr(lastLine + 1);
    for (const char* prefix : {"fatal: ", "error: "})
        if (text.rfind(prefix, 0) == 0) text = text.substr(std::strlen(prefix));
    return text.empty() ? what : what + ": " + text;
}

bool GitHistory::Exists() const {
    return PathExists(location_ + "/.git");
}

std::string GitHistory::Resolve(const std::string& ref) const {
    const GitRun run = Git({"rev-parse", "--verify", "--quiet", ref + "^{commit}"});
    return run.status == 0 ? Trimmed(run.out) : std::string();
}

int GitHistory::CountEntries(const std::vector<std::string>& range) const {
    std::vector<std::string> args = {"rev-list", "--count", "--no-merges"};
    args.insert(args.end(), range.begin(), range.end());
    const GitRun run = Git(args);
    return run.status == 0 ? std::atoi(run.out.c_str()) : 0;
}

std::string GitHistory::FsckFinding() const {
    const GitRun run = Git({"fsck", "--no-dangling", "--no-progress"});
    std::string best;
    int bestRank = 0;
    // git names the same damage in several lines; the one that names the object and its file says most.
    for (const std::string* stream : {&run.err, &run.out}) {
        std::size_t start = 0;
        while (start < stream->size()) {
            std::size_t end = stream->find('\n', start);
            if (end == std::string::npos) end = stream->size();
            std::string line = Trimmed(stream->substr(start, end - start));
            start = end + 1;
            for (const char* prefix : {"fatal: ", "error: "})
                if (line.rfind(prefix, 0) == 0) line = line.substr(std::strlen(prefix));
            if (line.empty()) continue;
            const int rank = line.find("corrupt") != std::string::npos   ? 3
                             : line.find("missing") != std::string::npos ? 2
                                                                         : 1;
            if (rank > bestRank) {
                best = line;
                bestRank = rank;
            }
        }
    }
    return best;
}

HistoryResult GitHistory::Damage(const std::string& what) const {
    return HistoryResult::Damaged("The history " + location_ + " is damaged: " + what +
                                  "; repair it (git -C " + location_ +
                                  " fsck names the damage) or restore it from its remote");
}

HistoryResult GitHistory::FsckDamage(const std::string& what) const {
    const std::string finding = FsckFinding();
    return Damage(finding.empty() ? what : what + " (git fsck: " + finding + ")");
}

HistoryResult GitHistory::CheckReadable(bool& hasEntries, bool walk) const {
    hasEntries = false;
    if (location_.empty() || !PathExists(location_)) return HistoryResult::Ok();
    const std::string dotGit = location_ + "/.git";
    if (!PathExists(dotGit)) {
        // Only a history loses its repository and keeps its data files.
        if (PathExists(location_ + "/devices")) return Damage("its git repository (.git) is missing");
        return HistoryResult::Ok();
    }
    // HEAD is read here rather than by git: without a valid one git sees no repository at all.
    std::string head;
    if (!ReadSmallFile(dotGit + "/HEAD", head))
        return Damage(".git/HEAD cannot be read (" + std::string(std::strerror(errno)) + ")");
    head = Trimmed(head);
    if (head.empty())
        return Damage(".git/HEAD is empty (it should say \"ref: " + std::string(kBranchRef) + "\")");
    std::string branch;
    if (head.rfind("ref: ", 0) == 0) {
        branch = head.substr(5);
    } else if (!IsObjectId(head)) {
        return Damage(".git/HEAD names neither a branch nor a commit");
    }
    if (!Resolve("HEAD").empty()) {
        hasEntries = true;
        if (!walk) return HistoryResult::Ok();
        const GitRun run = Git({"rev-list", "--count", "HEAD"});
        if (run.status == 0 || run.status == -1) return HistoryResult::Ok();
        return FsckDamage(Why("its entries cannot be read", run));
    }
    if (branch.empty())
        return FsckDamage(".git/HEAD names commit " + head.substr(0, 12) + ", which cannot be read");
    std::string id;
    bool named = ReadSmallFile(dotGit + "/" + branch, id);
    if (named) {
        id = Trimmed(id);
        if (!IsObjectId(id)) return Damage("the branch file .git/" + branch + " is damaged");
    } else {
        // A branch may also live among the packed ones: "<id> <ref>" lines.
        std::string packed;
        if (ReadSmallFile(dotGit + "/packed-refs", packed, std::size_t{1} << 20)) {
            const std::size_t at = packed.find(" " + branch + "\n");
            if (at != std::string::npos) {
                const std::size_t lineStart = packed.rfind('\n', at);
                id = packed.substr(lineStart == std::string::npos ? 0 : lineStart + 1,
                                   at - (lineStart == std::string::npos ? 0 : lineStart + 1));
                named = true;
            }
        }
    }
    if (named) return FsckDamage("its branch names commit " + id.substr(0, 12) + ", which cannot be read");
    // No branch yet: a history that has recorded nothing, unless commits are there all the same.
    const GitRun objects = Git({"cat-file", "--batch-all-objects", "--batch-check=%(objecttype)"});
    if (objects.status != 0) return FsckDamage("its objects cannot be listed");
    int commits = 0;
    for (std::size_t at = objects.out.find("commit"); at != std::string::npos;
         at = objects.out.find("commit", at + 1))
        ++commits;
    if (commits > 0)
        return Damage("its branch " + branch + " is missing, though it stores " + std::to_string(commits) +
                      (commits == 1 ? " commit" : " commits"));
    return HistoryResult::Ok();
}

HistoryResult GitHistory::Ensure() {
    if (Exists()) return HistoryResult::Ok();
    if (!MakeDirectories(location_))
        return HistoryResult::Fail("Cannot create the history folder " + location_ + ": " +
                                   std::strerror(errno));
    GitRun run = Git({"init", "--quiet"});
    if (run.status != 0) return HistoryResult::Fail(Why("Cannot create the history in " + location_, run));
    // "main" whatever the git version's default, so that every laptop pushes the same branch.
    Git({"symbolic-ref", "HEAD", kBranchRef});
    Git({"config", "core.autocrlf", "false"});
    // Data files are records ended by CR LF CR: never converted, never merged line by line.
    std::string reason;
    WriteFile(location_ + "/.git/info/attributes", "*.KDM binary\n", reason);
    return HistoryResult::Ok();
}

void GitHistory::Recover() {
    bool interrupted = false;
    // With the folder lock held no other process of ours is inside git here, so a git lock file is
    // one a killed process left.
    if (::unlink((location_ + "/.git/index.lock").c_str()) == 0) interrupted = true;
    if (PathExists(location_ + "/.git/MERGE_HEAD")) {
        Git({"merge", "--abort"});
        interrupted = true;
    }
    if (interrupted && !Resolve("HEAD").empty()) Git({"reset", "--quiet"});
}

HistoryResult GitHistory::Record(const HistoryRecord& record, HistoryEntry& entry) {
    if (location_.empty()) return HistoryResult::Fail("There is no home folder to keep the history in");
    if (!MakeDirectories(Parent(location_)))
        return HistoryResult::Fail("Cannot create the folder " + Parent(location_) + ": " +
                                   std::strerror(errno));
    FolderLock lock(location_ + ".lock");
    if (!lock.Held())
        return HistoryResult::Fail("Cannot lock the history " + location_ + ": " + std::strerror(errno));
    // A commit on a damaged history would start it over and hide every entry before it.
    bool hasEntries = false;
    if (HistoryResult readable = CheckReadable(hasEntries); !readable.ok) return readable;
    if (HistoryResult ensured = Ensure(); !ensured.ok) return ensured;
    Recover();

    HistoryEntry made;
    made.kind = record.kind;
    made.identification = record.identification;
    if (!made.identification.empty() && made.identification.front() == '\x02')
        made.identification.erase(0, 1);
    made.deviceType = record.deviceType;
    made.device = HistoryDeviceId(made.identification, record.deviceType);
    made.time = record.time;
    made.host = identity_.host;
    made.user = identity_.user;
    made.port = record.port;
    made.source = record.source;
    made.verify = record.verify;
    made.ending = record.ending;
    made.framesSent = record.framesSent;
    made.framesInFile = record.framesInFile;
    made.name = record.name;
    if (std::string why; !made.name.empty() && !ValidMachineName(made.name, why))
        return HistoryResult::Fail(why);

    const std::string incoming = location_ + "/.git/kdmxp-incoming";
    std::string reason;
    if (!WriteFile(incoming, record.contents, reason))
        return HistoryResult::Fail("Cannot write into the history " + location_ + ": " + reason);
    GitRun run = Git({"hash-object", "-w", "--no-filters", incoming});
    const std::string blob = Trimmed(run.out);
    if (run.status != 0 || blob.size() < 12) {
        ::unlink(incoming.c_str());
        return HistoryResult::Fail(Why("Cannot store the data file in the history", run));
    }
    const std::string folder = "devices/" + made.device;
    made.file = folder + "/" + made.device + "_" + blob.substr(0, 12) + ".KDM";
    // The folder holds the file too, so that it opens in any program; the same contents are the same
    // file, which is kept.
    const std::string target = location_ + "/" + made.file;
    if (!PathExists(target) && MakeDirectories(location_ + "/" + folder))
        WriteFile(target, record.contents, reason);
    ::unlink(incoming.c_str());
    run = Git({"update-index", "--add", "--cacheinfo", "100644," + blob + "," + made.file});
    if (run.status != 0) return HistoryResult::Fail(Why("Cannot add the data file to the history", run));

    const std::string messagePath = location_ + "/.git/kdmxp-message";
    if (!WriteFile(messagePath, FormatHistoryMessage(made), reason))
        return HistoryResult::Fail("Cannot write into the history " + location_ + ": " + reason);
    run = Git({"commit", "--quiet", "--allow-empty", "--no-verify", "--no-gpg-sign", "-F", messagePath});
    ::unlink(messagePath.c_str());
    if (run.status != 0) return HistoryResult::Fail(Why("Cannot record the entry in the history", run));
    made.id = Resolve("HEAD");
    if (made.id.empty()) return HistoryResult::Fail("The history lost the entry just recorded");
    entry = std::move(made);
    return HistoryResult::Ok();
}

HistoryResult GitHistory::List(std::vector<HistoryEntry>& entries) {
    entries.clear();
    bool hasEntries = false;
    if (HistoryResult readable = CheckReadable(hasEntries); !readable.ok) return readable;
    if (!hasEntries) return HistoryResult::Ok();
    // Record separator before each commit, unit separator between its id and its message.
    const GitRun run = Git({"log", "--no-merges", "--format=%x1e%H%x1f%B", "HEAD"});
    if (run.status == -1) return HistoryResult::Fail(Why("Cannot read the history " + location_, run));
    if (run.status != 0) return FsckDamage(Why("its entries cannot be read", run));
    std::vector<HistoryNaming> namings;
    std::string_view rest = run.out;
    while (!rest.empty()) {
        const std::size_t start = rest.find('\x1e');
        if (start == std::string_view::npos) break;
        rest.remove_prefix(start + 1);
        const std::size_t next = rest.find('\x1e');
        const std::string_view commit = rest.substr(0, next);
        rest = next == std::string_view::npos ? std::string_view() : rest.substr(next);
        const std::size_t unit = commit.find('\x1f');
        if (unit == std::string_view::npos) continue;
        HistoryEntry entry;
        entry.id = std::string(commit.substr(0, unit));
        if (ParseHistoryMessage(commit.substr(unit + 1), entry)) {
            entries.push_back(std::move(entry));
            continue;
        }
        HistoryNaming naming;
        naming.id = std::string(commit.substr(0, unit));
        if (ParseNamingMessage(commit.substr(unit + 1), naming)) namings.push_back(std::move(naming));
    }
    ApplyNamings(entries, std::move(namings));
    SortNewestFirst(entries);
    return HistoryResult::Ok();
}

HistoryResult GitHistory::Find(std::string_view idOrPrefix, HistoryEntry& entry) {
    if (!IsEntryIdPrefix(idOrPrefix))
        return HistoryResult::Fail("\"" + std::string(idOrPrefix) +
                                   "\" is no entry id (at least 4 of its hex digits name one)");
    std::vector<HistoryEntry> entries;
    if (HistoryResult listed = List(entries); !listed.ok) return listed;
    std::string prefix(idOrPrefix);
    for (char& c : prefix)
        if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
    const HistoryEntry* found = nullptr;
    for (const HistoryEntry& candidate : entries) {
        if (candidate.id.rfind(prefix, 0) != 0) continue;
        if (found != nullptr)
            return HistoryResult::Fail("Several history entries begin with " + prefix + "; give more digits");
        found = &candidate;
    }
    if (found == nullptr) return HistoryResult::Fail("No history entry " + prefix);
    entry = *found;
    return HistoryResult::Ok();
}

HistoryResult GitHistory::ReadContents(const HistoryEntry& entry, std::string& contents) {
    if (!IsEntryIdPrefix(entry.id) || entry.file.empty() || entry.file.front() == '/')
        return HistoryResult::Fail("No such history entry");
    GitRun run = Git({"cat-file", "blob", entry.id + ":" + entry.file});
    if (run.status == -1)
        return HistoryResult::Fail(Why("Cannot read " + entry.file + " of entry " + entry.ShortId(), run));
    if (run.status != 0)
        return FsckDamage(
            Why("the data file " + entry.file + " of entry " + entry.ShortId() + " cannot be read", run));
    contents = std::move(run.out);
    return HistoryResult::Ok();
}

HistoryResult GitHistory::Name(std::string_view idOrPrefix, const std::string& name, bool wholeMachine,
                               const std::string& time, HistoryEntry& entry) {
    if (std::string why; !ValidMachineName(name, why)) return HistoryResult::Fail(why);
    HistoryEntry target;
    if (HistoryResult found = Find(idOrPrefix, target); !found.ok) return found;
    FolderLock lock(location_ + ".lock");
    if (!lock.Held())
        return HistoryResult::Fail("Cannot lock the history " + location_ + ": " + std::strerror(errno));
    Recover();
    HistoryNaming naming;
    naming.entry = target.id;
    naming.name = name;
    naming.wholeMachine = wholeMachine;
    naming.time = time;
    naming.host = identity_.host;
    naming.user = identity_.user;
    std::string reason;
    const std::string messagePath = location_ + "/.git/kdmxp-message";
    if (!WriteFile(messagePath, FormatNamingMessage(naming), reason))
        return HistoryResult::Fail("Cannot write into the history " + location_ + ": " + reason);
    // No file changes: the naming is the commit's message alone, which merges as any entry does.
    const GitRun run =
        Git({"commit", "--quiet", "--allow-empty", "--no-verify", "--no-gpg-sign", "-F", messagePath});
    ::unlink(messagePath.c_str());
    if (run.status != 0) return HistoryResult::Fail(Why("Cannot record the name in the history", run));
    return Find(target.id, entry);
}

HistoryResult GitHistory::SetRemote(const std::string& url) {
    if (url.empty() || url.front() == '-') return HistoryResult::Fail("\"" + url + "\" is no remote URL");
    if (location_.empty()) return HistoryResult::Fail("There is no home folder to keep the history in");
    if (!MakeDirectories(Parent(location_)))
        return HistoryResult::Fail("Cannot create the folder " + Parent(location_) + ": " +
                                   std::strerror(errno));
    FolderLock lock(location_ + ".lock");
    if (!lock.Held())
        return HistoryResult::Fail("Cannot lock the history " + location_ + ": " + std::strerror(errno));
    if (HistoryResult ensured = Ensure(); !ensured.ok) return ensured;
    const std::string absolute = AbsoluteRemote(url);
    const bool known = Git({"config", "--get", "remote.origin.url"}).status == 0;
    const GitRun run =
        known ? Git({"remote", "set-url", "origin", absolute}) : Git({"remote", "add", "origin", absolute});
    if (run.status != 0) return HistoryResult::Fail(Why("Cannot set the remote", run));
    return HistoryResult::Ok();
}

HistoryResult GitHistory::Remote(std::string& url) {
    url.clear();
    if (location_.empty() || !Exists()) return HistoryResult::Ok();
    const GitRun run = Git({"config", "--get", "remote.origin.url"});
    // Status 1 is git's "not set".
    if (run.status == 1) return HistoryResult::Ok();
    if (run.status != 0) return HistoryResult::Fail(Why("Cannot read the history's settings", run));
    url = Trimmed(run.out);
    return HistoryResult::Ok();
}

HistoryResult GitHistory::MergeRemote(int& received) {
    received = 0;
    FolderLock lock(location_ + ".lock");
    if (!lock.Held())
        return HistoryResult::Fail("Cannot lock the history " + location_ + ": " + std::strerror(errno));
    Recover();
    const std::string remote = Resolve(kRemoteRef);
    if (remote.empty()) return HistoryResult::Ok();
    const std::string local = Resolve("HEAD");
    if (local.empty()) {
        // A laptop that has recorded nothing yet takes the remote's history as it is.
        received = CountEntries({kRemoteRef});
        const GitRun run = Git({"merge", "--quiet", "--ff-only", kRemoteRef});
        if (run.status != 0) return HistoryResult::Fail(Why("Cannot take in the remote's entries", run));
        return HistoryResult::Ok();
    }
    received = CountEntries({kRemoteRef, "^HEAD"});
    if (received == 0) return HistoryResult::Ok();
    // Each laptop starts its own history, so the first merge joins unrelated ones. Entries add files
    // and never change one, so this never conflicts; should it fail all the same, nothing is kept of it.
    const GitRun run = Git({"merge", "--quiet", "--no-edit", "--no-verify", "--allow-unrelated-histories",
                            "-m", "Merge entries recorded elsewhere", kRemoteRef});
    if (run.status != 0) {
        Git({"merge", "--abort"});
        return HistoryResult::Fail(Why("Cannot merge the remote's entries", run));
    }
    return HistoryResult::Ok();
}

HistoryResult GitHistory::Sync(SyncReport& report, const std::function<void(SyncStage)>& stage) {
    report = SyncReport{};
    // Merging into a damaged history could hide what it holds behind what the remote sends, and
    // sending from one spreads the damage.
    bool hasEntries = false;
    if (HistoryResult readable = CheckReadable(hasEntries, true); !readable.ok) return readable;
    std::string url;
    if (HistoryResult known = Remote(url); !known.ok) return known;
    if (url.empty()) return HistoryResult::Fail("No remote is set for the history");
    report.remote = url;
    const auto tell = [&stage](SyncStage step) {
        if (stage) stage(step);
    };
    for (int round = 1; round <= kMaxSyncRounds; ++round) {
        tell(SyncStage::kFetching);
        // Only the remote-tracking ref changes here; a remote out of reach leaves everything as it was.
        GitRun run = Git(
            {"fetch", "--quiet", "--no-tags", "--prune", "origin", "+refs/heads/*:refs/remotes/origin/*"});
        if (run.status != 0) return HistoryResult::Fail(Why("Cannot reach the remote " + url, run));

        tell(SyncStage::kMerging);
        int received = 0;
        if (HistoryResult merged = MergeRemote(received); !merged.ok) return merged;
        report.received += received;

        const std::string local = Resolve("HEAD");
        const std::string remote = Resolve(kRemoteRef);
        if (local.empty() || local == remote) return HistoryResult::Ok();
        const int ahead =
            remote.empty() ? CountEntries({"HEAD"}) : CountEntries({"HEAD", "^" + std::string(kRemoteRef)});

        tell(SyncStage::kPushing);
        ++report.attempts;
        // Never forced: a push that another laptop's push overtook is refused, and the next round
        // takes that laptop's entries in first.
        run = Git({"push", "--quiet", "--no-verify", "origin", "HEAD:" + std::string(kBranchRef)});
        if (run.status == 0) {
            report.sent = ahead;
            return HistoryResult::Ok();
        }
        if (round == kMaxSyncRounds)
            return HistoryResult::Fail(Why("The remote " + url + " took no entries", run));
    }
    return HistoryResult::Ok();
}

}  // namespace kdm
