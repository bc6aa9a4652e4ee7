// The device history: the entry's text form and the device name (pure), and the git-backed store on a
// temporary folder: dedupe, listing, contents, ids, several writers at once, sync between two laptops
// through a local bare repository.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/history.h"
#include "platform/history_git.h"
#include "support/file_bytes.h"
#include "support/sim_process.h"

namespace kdmtest {
namespace {

using kdm::HistoryEntry;
using kdm::HistoryKind;
using kdm::VerifyOutcome;

HistoryEntry FullEntry() {
    HistoryEntry entry;
    entry.kind = HistoryKind::kWrite;
    entry.device = "t2-+I1P000--";
    entry.deviceType = 2;
    entry.identification = "0g+I1P000--630";
    entry.time = "2026-12-08T09:14:03.250Z";
    entry.host = "laptop-a";
    entry.user = "anna";
    entry.port = "COM3";
    entry.file = "devices/t2-+I1P000--/t2-+I1P000--_a6b80f9d2e89.KDM";
    entry.source = "/home/anna/line 4.KDM";
    entry.verify = VerifyOutcome::kPassed;
    return entry;
}

void ExpectSameEntry(const HistoryEntry& a, const HistoryEntry& b) {
    EXPECT_EQ(a.id, b.id);
    EXPECT_EQ(a.kind, b.kind);
    EXPECT_EQ(a.device, b.device);
    EXPECT_EQ(a.deviceType, b.deviceType);
    EXPECT_EQ(a.identification, b.identification);
    EXPECT_EQ(a.time, b.time);
    EXPECT_EQ(a.host, b.host);
    EXPECT_EQ(a.user, b.user);
    EXPECT_EQ(a.port, b.port);
    EXPECT_EQ(a.file, b.file);
    EXPECT_EQ(a.source, b.source);
    EXPECT_EQ(a.verify, b.verify);
    EXPECT_EQ(a.ending, b.ending);
    EXPECT_EQ(a.framesSent, b.framesSent);
    EXPECT_EQ(a.framesInFile, b.framesInFile);
}

// --- The text form -------------------------------------------------------------------------------

TEST(HistoryMessage, HasAFixedLayoutOtherToolsCanRead) {
    EXPECT_EQ(kdm::FormatHistoryMessage(FullEntry()),
              "write t2-+I1P000-- by anna@laptop-a\n"
              "\n"
              "kdmxp-history: 1\n"
              "kind: write\n"
              "device: t2-+I1P000--\n"
              "device-type: 2\n"
              "identification: 0g+I1P000--630\n"
              "time: 2026-12-08T09:14:03.250Z\n"
              "host: laptop-a\n"
              "user: anna\n"
              "port: COM3\n"
              "file: devices/t2-+I1P000--/t2-+I1P000--_a6b80f9d2e89.KDM\n"
              "source: /home/anna/line 4.KDM\n"
              "verify: passed\n");
}

TEST(HistoryMessage, ReadsBackEveryFieldWhateverBytesTheyHold) {
    HistoryEntry entry = FullEntry();
    // A damaged identification, a file name with a newline and a backslash, a user name in Latin-1.
    entry.identification = std::string("\x02g+I1\xff\x03\x00--6\\x30", 15);
    entry.source = "/tmp/a\nb\\c\r.KDM";
    entry.user = "j\xf6rg";
    for (const HistoryKind kind : {HistoryKind::kRead, HistoryKind::kBackup, HistoryKind::kWrite}) {
        for (const VerifyOutcome verify :
             {VerifyOutcome::kNotAsked, VerifyOutcome::kPassed, VerifyOutcome::kFailed}) {
            entry.kind = kind;
            entry.verify = verify;
            const std::string text = kdm::FormatHistoryMessage(entry);
            // One fact a line, whatever the values hold.
            EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 14) << text;
            HistoryEntry parsed;
            parsed.id = "kept";
            ASSERT_TRUE(kdm::ParseHistoryMessage(text, parsed)) << text;
            HistoryEntry expected = entry;
            expected.id = "kept";
            ExpectSameEntry(parsed, expected);
        }
    }
}

TEST(HistoryMessage, AWriteCutShortIsMarkedWhileEveryOtherEntryKeepsTheLayoutOlderVersionsWrote) {
    HistoryEntry cut = FullEntry();
    cut.verify = VerifyOutcome::kNotAsked;
    cut.ending = kdm::WriteEnding::kHangUp;
    cut.framesSent = 2;
    cut.framesInFile = 9;
    const std::string text = kdm::FormatHistoryMessage(cut);
    // git log's summary says it; the lines an older version passes over follow all the others.
    EXPECT_EQ(text.rfind("incomplete write t2-+I1P000-- by anna@laptop-a\n\n", 0), 0u) << text;
    EXPECT_NE(text.find("verify: not-asked\nending: hang-up\nframes-sent: 2\nframes-in-file: 9\n"),
              std::string::npos)
        << text;
    HistoryEntry parsed;
    ASSERT_TRUE(kdm::ParseHistoryMessage(text, parsed));
    ExpectSameEntry(parsed, cut);
    EXPECT_TRUE(parsed.Incomplete());

    // An entry of an older version (no such lines) is a complete one.
    ASSERT_TRUE(kdm::ParseHistoryMessage(kdm::FormatHistoryMessage(FullEntry()), parsed));
    EXPECT_FALSE(parsed.Incomplete());
    EXPECT_EQ(parsed.framesInFile, 0);
    // A way of ending a later version names still reads as an incomplete write.
    std::string later = text;
    later.replace(later.find("ending: hang-up"), 15, "ending: power-cut");
    ASSERT_TRUE(kdm::ParseHistoryMessage(later, parsed));
    EXPECT_EQ(parsed.ending, kdm::WriteEnding::kOther);
    std::string garbled = text;
    garbled.replace(garbled.find("frames-sent: 2"), 14, "frames-sent: x");
    EXPECT_FALSE(kdm::ParseHistoryMessage(garbled, parsed));
}

TEST(HistoryMessage, CommitsThatAreNoEntriesArePassedOver) {
    const std::string good = kdm::FormatHistoryMessage(FullEntry());
    const auto without = [&good](const std::string& line) {
        std::string text = good;
        text.erase(text.find(line), line.size());
        return text;
    };
    struct Case {
        const char* name;
        std::string text;
        bool entry;
    } cases[] = {
        {"as written", good, true},
        {"a line a later version adds", good + "operator-note: new field\n", true},
        {"CR LF line ends",
         [&good] {
             std::string text;
             for (const char c : good)
                 text += c == '\n' ? std::string("\r\n") : std::string(1, c);
             return text;
         }(),
         true},
        {"a commit made by hand", "Initial commit\n\nadded a README\n", false},
        {"no blank line", "kdmxp-history: 1\nkind: read\n", false},
        {"no version line", without("kdmxp-history: 1\n"), false},
        {"another version",
         [&good] {
             std::string text = good;
             text.replace(text.find("kdmxp-history: 1"), 16, "kdmxp-history: 2");
             return text;
         }(),
         false},
        {"no kind", without("kind: write\n"), false},
        {"no device", without("device: t2-+I1P000--\n"), false},
        {"no file", without("file: devices/t2-+I1P000--/t2-+I1P000--_a6b80f9d2e89.KDM\n"), false},
        {"an unknown kind",
         [&good] {
             std::string text = good;
             text.replace(text.find("kind: write"), 11, "kind: erase");
             return text;
         }(),
         false},
        {"a broken escape", good + "user: a\\q\n", false},
        {"a device type that is no number",
         [&good] {
             std::string text = good;
             text.replace(text.find("device-type: 2"), 14, "device-type: x");
             return text;
         }(),
         false},
    };
    for (const Case& c : cases) {
        HistoryEntry entry;
        EXPECT_EQ(kdm::ParseHistoryMessage(c.text, entry), c.entry) << c.name;
    }
}

TEST(HistoryDeviceId, NamesTheTypeAndTheValueFieldInSafeCharacters) {
    struct Case {
        std::string identification;
        int type;
        const char* id;
    } cases[] = {
        {"\x02"
         "0g+I1P000--630",
         2, "t2-+I1P000--"},
        {"0g+I1P000--630", 2, "t2-+I1P000--"},  // with or without its STX
        {"0g+A10123--612", 10, "t10-+A10123--"},
        {"0g+X/Z.. _-598", 0, "t0-+X_2fZ_2e_2e_20_5f-"},
        {std::string("0g+\xff\x01", 5), 0, "t0-+_ff_01"},
        {"0g", 0, "t0-none"},
        {"", 0, "t0-none"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kdm::HistoryDeviceId(c.identification, c.type), c.id) << c.identification;
}

TEST(HistoryTime, IsUtcWithMilliseconds) {
    EXPECT_EQ(kdm::FormatHistoryTime(0), "1970-01-01T00:00:00.000Z");
    EXPECT_EQ(kdm::FormatHistoryTime(1796807643250), "2026-12-09T09:14:03.250Z");
    EXPECT_EQ(kdm::FormatHistoryTime(951782400007), "2000-02-29T00:00:00.007Z");
    EXPECT_EQ(kdm::FormatHistoryTime(-1), "1969-12-31T23:59:59.999Z");
}

TEST(HistoryListing, NewestFirstAndTheEntryBeforeOneOfTheSameDevice) {
    std::vector<HistoryEntry> entries;
    const auto add = [&entries](const char* id, const char* device, const char* time) {
        HistoryEntry entry;
        entry.id = id;
        entry.device = device;
        entry.time = time;
        entries.push_back(entry);
    };
    add("a1", "t2-x", "2026-12-01T10:00:00.000Z");
    add("b1", "t3-y", "2026-12-02T10:00:00.000Z");
    add("a2", "t2-x", "2026-12-03T10:00:00.000Z");
    add("a3", "t2-x", "2026-12-03T10:00:00.000Z");  // same moment as a2: keeps its place after it
    add("b2", "t3-y", "2026-11-30T10:00:00.000Z");
    kdm::SortNewestFirst(entries);
    std::vector<std::string> order;
    for (const HistoryEntry& entry : entries)
        order.push_back(entry.id);
    EXPECT_EQ(order, (std::vector<std::string>{"a2", "a3", "b1", "a1", "b2"}));

    ASSERT_NE(kdm::PreviousEntryOfDevice(entries, "a2"), nullptr);
    EXPECT_EQ(kdm::PreviousEntryOfDevice(entries, "a2")->id, "a3");
    EXPECT_EQ(kdm::PreviousEntryOfDevice(entries, "a3")->id, "a1");
    EXPECT_EQ(kdm::PreviousEntryOfDevice(entries, "b1")->id, "b2");
    EXPECT_EQ(kdm::PreviousEntryOfDevice(entries, "a1"), nullptr);
    EXPECT_EQ(kdm::PreviousEntryOfDevice(entries, "zz"), nullptr);
    EXPECT_EQ(kdm::EntriesOfDevice(entries, "t3-y").size(), 2u);
    EXPECT_TRUE(kdm::EntriesOfDevice(entries, "t3").empty());
}

TEST(HistoryListing, EntryIdsAreHexPrefixesOfAtLeastFourDigits) {
    EXPECT_TRUE(kdm::IsEntryIdPrefix("abcd"));
    EXPECT_TRUE(kdm::IsEntryIdPrefix("ABCD0123"));
    EXPECT_TRUE(kdm::IsEntryIdPrefix(std::string(40, 'f')));
    EXPECT_FALSE(kdm::IsEntryIdPrefix("abc"));
    EXPECT_FALSE(kdm::IsEntryIdPrefix(std::string(41, 'f')));
    EXPECT_FALSE(kdm::IsEntryIdPrefix("HEAD"));
    EXPECT_FALSE(kdm::IsEntryIdPrefix("--all"));
    EXPECT_FALSE(kdm::IsEntryIdPrefix("abcd^1"));
}

// --- The git-backed store -----------------------------------------------------------------------

bool GitInstalled() {
    return RunProcess({"/bin/sh", "-c", "command -v git"}, {}, 30000).exitCode == 0;
}

// A data file as a read stores it; `value` varies its contents.
std::string DataFile(const std::string& code, int value) {
    std::string text =
        "\x02"
        "0g+" +
        code + "000--630\r\n\r";
    const std::string digits = std::to_string(100000 + value).substr(0, 6);
    text +=
        "\x02"
        "0a+" +
        digits + "--599\x03 QS 599\r\n\r";
    text +=
        "\x02"
        "0b+000000\xff-599\x03 QS 600 !!!\r\n\r";
    return text;
}

kdm::HistoryRecord RecordOf(const std::string& contents, const std::string& code, int type,
                            HistoryKind kind = HistoryKind::kRead,
                            const std::string& time = "2026-12-08T09:00:00.000Z") {
    kdm::HistoryRecord record;
    record.kind = kind;
    record.contents = contents;
    record.identification =
        "\x02"
        "0g+" +
        code + "000--630";
    record.deviceType = type;
    record.time = time;
    record.port = "COM3";
    record.source = "/work/out.KDM";
    return record;
}

// Files under "devices" in the folder.
std::set<std::string> DeviceFiles(const std::string& location) {
    std::set<std::string> files;
    if (!std::filesystem::exists(location + "/devices")) return files;
    for (const auto& item : std::filesystem::recursive_directory_iterator(location + "/devices"))
        if (item.is_regular_file()) files.insert(std::filesystem::relative(item.path(), location).string());
    return files;
}

// The files the newest commit holds.
std::set<std::string> CommittedFiles(const std::string& location) {
    const CliResult run =
        RunProcess({"/bin/sh", "-c", "git -C '" + location + "' ls-tree -r --name-only HEAD"},
                   {"GIT_CONFIG_NOSYSTEM=1", "GIT_CONFIG_GLOBAL=/dev/null"}, 30000);
    std::set<std::string> files;
    std::size_t start = 0;
    while (start < run.out.size()) {
        const std::size_t end = run.out.find('\n', start);
        files.insert(run.out.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return files;
}

class GitHistoryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!GitInstalled()) GTEST_SKIP() << "the git program is not installed";
        ASSERT_FALSE(root.Path().empty());
    }
    std::string Location(const std::string& laptop) const { return root.File(laptop + "/kdmxp/history"); }
    // A bare repository as the shared remote.
    std::string MakeRemote() {
        const std::string remote = root.File("shared.git");
        const CliResult made = RunProcess({"/bin/sh", "-c", "git init --quiet --bare '" + remote + "'"},
                                          {"GIT_CONFIG_NOSYSTEM=1", "GIT_CONFIG_GLOBAL=/dev/null"}, 30000);
        EXPECT_EQ(made.exitCode, 0) << made.err;
        return remote;
    }

    TempDir root;
};

TEST_F(GitHistoryTest, IdenticalContentsAreStoredOnceAndListedPerEntryNewestFirst) {
    kdm::GitHistory history(Location("a"), {"laptop-a", "anna"});
    std::vector<HistoryEntry> entries;
    ASSERT_TRUE(history.List(entries).ok);
    EXPECT_TRUE(entries.empty());  // no folder yet: an empty history, not an error
    EXPECT_FALSE(std::filesystem::exists(Location("a")));

    const std::string first = DataFile("I1P", 1);
    const std::string other = DataFile("I1P", 2);
    HistoryEntry e1, e2, e3, e4;
    ASSERT_TRUE(
        history.Record(RecordOf(first, "I1P", 2, HistoryKind::kRead, "2026-12-08T09:00:00.000Z"), e1).ok);
    ASSERT_TRUE(
        history.Record(RecordOf(first, "I1P", 2, HistoryKind::kRead, "2026-12-08T09:05:00.000Z"), e2).ok);
    ASSERT_TRUE(
        history.Record(RecordOf(other, "I1P", 2, HistoryKind::kBackup, "2026-12-08T09:10:00.000Z"), e3).ok);
    ASSERT_TRUE(
        history.Record(RecordOf(first, "A10", 10, HistoryKind::kRead, "2026-12-08T09:15:00.000Z"), e4).ok);

    EXPECT_EQ(e1.file, e2.file);  // the second read of an unchanged device: an entry, no second copy
    EXPECT_NE(e1.id, e2.id);
    EXPECT_NE(e1.file, e3.file);
    EXPECT_NE(e1.file, e4.file);  // same bytes, another device: filed under that device
    EXPECT_EQ(e1.device, "t2-+I1P000--");
    EXPECT_EQ(e4.device, "t10-+A10000--");
    EXPECT_EQ(e1.host, "laptop-a");
    EXPECT_EQ(e1.user, "anna");
    EXPECT_EQ(e1.id.size(), 40u);
    EXPECT_EQ(DeviceFiles(Location("a")), (std::set<std::string>{e1.file, e3.file, e4.file}));
    EXPECT_EQ(CommittedFiles(Location("a")), (std::set<std::string>{e1.file, e3.file, e4.file}));

    ASSERT_TRUE(history.List(entries).ok);
    ASSERT_EQ(entries.size(), 4u);
    ExpectSameEntry(entries[0], e4);
    ExpectSameEntry(entries[1], e3);
    ExpectSameEntry(entries[2], e2);
    ExpectSameEntry(entries[3], e1);
    EXPECT_EQ(entries[1].kind, HistoryKind::kBackup);

    // Byte for byte, CR LF CR, 0xff and all; also the folder's copy, which any program can open.
    std::string contents;
    ASSERT_TRUE(history.ReadContents(e3, contents).ok);
    EXPECT_EQ(contents, other);
    EXPECT_EQ(ReadWhole(Location("a") + "/" + e3.file), other);
    ASSERT_TRUE(history.ReadContents(e2, contents).ok);
    EXPECT_EQ(contents, first);
}

TEST_F(GitHistoryTest, EntriesAreFoundByTheirIdOrAnUnambiguousPrefix) {
    kdm::GitHistory history(Location("a"), {"laptop-a", "anna"});
    HistoryEntry e1, e2;
    ASSERT_TRUE(history.Record(RecordOf(DataFile("I1P", 1), "I1P", 2), e1).ok);
    ASSERT_TRUE(history.Record(RecordOf(DataFile("I1P", 2), "I1P", 2), e2).ok);

    HistoryEntry found;
    ASSERT_TRUE(history.Find(e1.id, found).ok);
    ExpectSameEntry(found, e1);
    // The shortest prefix that names e2 alone, in capitals as someone might read it out.
    std::size_t length = kdm::kMinEntryIdPrefix;
    while (e1.id.compare(0, length, e2.id, 0, length) == 0)
        ++length;
    std::string prefix = e2.id.substr(0, length);
    for (char& c : prefix)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    ASSERT_TRUE(history.Find(prefix, found).ok);
    EXPECT_EQ(found.id, e2.id);

    const kdm::HistoryResult none = history.Find("0123456789abcdef0123", found);
    EXPECT_FALSE(none.ok);
    EXPECT_NE(none.reason.find("No history entry"), std::string::npos) << none.reason;
    for (const char* bad : {"HEAD", "abc", "--all", "e1~1"}) {
        const kdm::HistoryResult refused = history.Find(bad, found);
        EXPECT_FALSE(refused.ok) << bad;
        EXPECT_NE(refused.reason.find("is no entry id"), std::string::npos) << refused.reason;
    }
}

TEST_F(GitHistoryTest, SeveralWritersAtOnceLoseNoEntry) {
    // Each thread stands for a read on another port: its own history object, the one folder.
    constexpr int kWriters = 6, kEach = 4;
    std::vector<std::thread> threads;
    std::vector<int> failures(kWriters, 0);
    for (int w = 0; w < kWriters; ++w) {
        threads.emplace_back([this, w, &failures] {
            kdm::GitHistory history(Location("a"), {"laptop-a", "user" + std::to_string(w)});
            for (int i = 0; i < kEach; ++i) {
                HistoryEntry entry;
                if (!history.Record(RecordOf(DataFile("I1P", w * 10 + i), "I1P", 2), entry).ok)
                    ++failures[static_cast<std::size_t>(w)];
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures, std::vector<int>(kWriters, 0));
    kdm::GitHistory history(Location("a"), {"laptop-a", "anna"});
    std::vector<HistoryEntry> entries;
    ASSERT_TRUE(history.List(entries).ok);
    EXPECT_EQ(entries.size(), static_cast<std::size_t>(kWriters * kEach));
    EXPECT_EQ(CommittedFiles(Location("a")).size(), static_cast<std::size_t>(kWriters * kEach));
}

TEST_F(GitHistoryTest, WhatAKilledProcessLeftBehindDoesNotStopTheNextEntry) {
    kdm::GitHistory history(Location("a"), {"laptop-a", "anna"});
    HistoryEntry entry;
    ASSERT_TRUE(history.Record(RecordOf(DataFile("I1P", 1), "I1P", 2), entry).ok);
    // git's own lock, as a process killed in the middle of a commit leaves it.
    { std::ofstream(Location("a") + "/.git/index.lock") << ""; }
    ASSERT_TRUE(history.Record(RecordOf(DataFile("I1P", 2), "I1P", 2), entry).ok);
    std::vector<HistoryEntry> entries;
    ASSERT_TRUE(history.List(entries).ok);
    EXPECT_EQ(entries.size(), 2u);
}

TEST_F(GitHistoryTest, NoEntryIsRecordedOverAHistoryWhoseBranchIsGone) {
    kdm::GitHistory history(Location("a"), {"laptop-a", "anna"});
    HistoryEntry e1, e2;
    ASSERT_TRUE(history.Record(RecordOf(DataFile("I1P", 1), "I1P", 2), e1).ok);
    const std::string branch = Location("a") + "/.git/refs/heads/main";
    const std::string id = ReadWhole(branch);
    std::filesystem::remove(branch);

    std::vector<HistoryEntry> entries;
    const kdm::HistoryResult listed = history.List(entries);
    EXPECT_FALSE(listed.ok);
    EXPECT_TRUE(listed.damaged);
    EXPECT_TRUE(entries.empty());
    // Before, this entry started the history over, and the one before it was no longer listed.
    const kdm::HistoryResult recorded = history.Record(RecordOf(DataFile("I1P", 2), "I1P", 2), e2);
    EXPECT_FALSE(recorded.ok);
    EXPECT_TRUE(recorded.damaged);
    EXPECT_NE(recorded.reason.find(Location("a")), std::string::npos) << recorded.reason;

    { std::ofstream(branch) << id; }
    ASSERT_TRUE(history.List(entries).ok);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].id, e1.id);
}

// The history's own files are saved as every finished file is: a name someone linked elsewhere is
// refused, never written through, and the entry fails with a reason instead of clobbering the file
// behind the link. With the link gone the next entry is recorded.
TEST_F(GitHistoryTest, ItsOwnFilesAreNeverWrittenThroughALink) {
    kdm::GitHistory history(Location("a"), {"laptop-a", "anna"});
    HistoryEntry entry;
    ASSERT_TRUE(history.Record(RecordOf(DataFile("I1P", 1), "I1P", 2), entry).ok);
    const std::string outside = root.File("precious.txt");
    Spit(outside, "keep me");
    for (const char* name : {"kdmxp-incoming", "kdmxp-message"}) {
        const std::string link = Location("a") + "/.git/" + name;
        ASSERT_EQ(::symlink(outside.c_str(), link.c_str()), 0) << name;
        const kdm::HistoryResult result = history.Record(RecordOf(DataFile("I1P", 2), "I1P", 2), entry);
        EXPECT_FALSE(result.ok) << name;
        EXPECT_NE(result.reason.find("not a regular file"), std::string::npos) << result.reason;
        EXPECT_EQ(Slurp(outside), "keep me") << name;
        ASSERT_EQ(::unlink(link.c_str()), 0);
    }
    ASSERT_TRUE(history.Record(RecordOf(DataFile("I1P", 2), "I1P", 2), entry).ok);
    std::vector<HistoryEntry> entries;
    ASSERT_TRUE(history.List(entries).ok);
    EXPECT_EQ(entries.size(), 2u);
    EXPECT_EQ(DeviceFiles(Location("a")).size(), 2u);
}

TEST_F(GitHistoryTest, AFolderThatCannotBeCreatedIsReportedNotThrown) {
    // A file where the history's parent folder would be.
    { std::ofstream(root.File("blocked")) << "x"; }
    kdm::GitHistory history(root.File("blocked/kdmxp/history"), {"laptop-a", "anna"});
    HistoryEntry entry;
    const kdm::HistoryResult result = history.Record(RecordOf(DataFile("I1P", 1), "I1P", 2), entry);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.reason.find("blocked"), std::string::npos) << result.reason;
    EXPECT_FALSE(kdm::GitHistory("", {}).Record(RecordOf(DataFile("I1P", 1), "I1P", 2), entry).ok);
}

TEST_F(GitHistoryTest, SyncWithoutARemoteOrWithAMissingOneChangesNothing) {
    kdm::GitHistory history(Location("a"), {"laptop-a", "anna"});
    HistoryEntry entry;
    ASSERT_TRUE(history.Record(RecordOf(DataFile("I1P", 1), "I1P", 2), entry).ok);
    kdm::SyncReport report;
    kdm::HistoryResult synced = history.Sync(report, nullptr);
    EXPECT_FALSE(synced.ok);
    EXPECT_EQ(synced.reason, "No remote is set for the history");

    ASSERT_TRUE(history.SetRemote(root.File("nowhere.git")).ok);
    std::string url;
    ASSERT_TRUE(history.Remote(url).ok);
    EXPECT_EQ(url, root.File("nowhere.git"));
    std::vector<kdm::SyncStage> stages;
    synced = history.Sync(report, [&stages](kdm::SyncStage stage) { stages.push_back(stage); });
    EXPECT_FALSE(synced.ok);
    EXPECT_NE(synced.reason.find("Cannot reach the remote " + root.File("nowhere.git")), std::string::npos)
        << synced.reason;
    EXPECT_EQ(stages, std::vector<kdm::SyncStage>{kdm::SyncStage::kFetching});
    EXPECT_FALSE(std::filesystem::exists(root.File("nowhere.git")));
    std::vector<HistoryEntry> entries;
    ASSERT_TRUE(history.List(entries).ok);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].id, entry.id);
}

TEST_F(GitHistoryTest, TwoLaptopsShareEntriesAndTheSameContentsStayOneFile) {
    const std::string remote = MakeRemote();
    kdm::GitHistory a(Location("a"), {"laptop-a", "anna"});
    kdm::GitHistory b(Location("b"), {"laptop-b", "bert"});
    ASSERT_TRUE(a.SetRemote(remote).ok);
    ASSERT_TRUE(b.SetRemote(remote).ok);

    // B syncs an empty remote with an empty history: nothing to do, and no error.
    kdm::SyncReport report;
    ASSERT_TRUE(b.Sync(report, nullptr).ok);
    EXPECT_EQ(report.sent, 0);

    const std::string same = DataFile("I1P", 7);
    HistoryEntry a1, a2, b1, b2;
    ASSERT_TRUE(a.Record(RecordOf(same, "I1P", 2, HistoryKind::kRead, "2026-12-08T09:00:00.000Z"), a1).ok);
    ASSERT_TRUE(
        a.Record(RecordOf(DataFile("I1P", 8), "I1P", 2, HistoryKind::kRead, "2026-12-08T09:01:00.000Z"), a2)
            .ok);
    ASSERT_TRUE(b.Record(RecordOf(same, "I1P", 2, HistoryKind::kBackup, "2026-12-08T09:02:00.000Z"), b1).ok);
    ASSERT_TRUE(
        b.Record(RecordOf(DataFile("A10", 9), "A10", 10, HistoryKind::kWrite, "2026-12-08T09:03:00.000Z"), b2)
            .ok);

    ASSERT_TRUE(a.Sync(report, nullptr).ok);
    EXPECT_EQ(report.sent, 2);
    EXPECT_EQ(report.received, 0);
    // B's history began on its own: the first merge joins two unrelated ones.
    ASSERT_TRUE(b.Sync(report, nullptr).ok);
    EXPECT_EQ(report.received, 2);
    EXPECT_EQ(report.sent, 2);
    ASSERT_TRUE(a.Sync(report, nullptr).ok);
    EXPECT_EQ(report.received, 2);
    EXPECT_EQ(report.sent, 0);

    for (kdm::GitHistory* laptop : {&a, &b}) {
        std::vector<HistoryEntry> entries;
        ASSERT_TRUE(laptop->List(entries).ok);
        std::vector<std::string> ids;
        for (const HistoryEntry& entry : entries)
            ids.push_back(entry.id);
        EXPECT_EQ(ids, (std::vector<std::string>{b2.id, b1.id, a2.id, a1.id})) << laptop->Location();
        EXPECT_EQ(entries[0].host, "laptop-b");
        EXPECT_EQ(entries[0].user, "bert");
        EXPECT_EQ(entries[3].host, "laptop-a");
        // Both laptops recorded `same`: one file.
        EXPECT_EQ(a1.file, b1.file);
        EXPECT_EQ(CommittedFiles(laptop->Location()), (std::set<std::string>{a1.file, a2.file, b2.file}));
        EXPECT_EQ(DeviceFiles(laptop->Location()), (std::set<std::string>{a1.file, a2.file, b2.file}));
        std::string contents;
        ASSERT_TRUE(laptop->ReadContents(entries[0], contents).ok);
        EXPECT_EQ(contents, DataFile("A10", 9));
    }
}

TEST_F(GitHistoryTest, ALaptopThatRecordedNothingTakesTheRemoteAsItIs) {
    const std::string remote = MakeRemote();
    kdm::GitHistory a(Location("a"), {"laptop-a", "anna"});
    kdm::GitHistory fresh(Location("fresh"), {"laptop-c", "carl"});
    ASSERT_TRUE(a.SetRemote(remote).ok);
    HistoryEntry a1;
    ASSERT_TRUE(a.Record(RecordOf(DataFile("I1P", 1), "I1P", 2), a1).ok);
    kdm::SyncReport report;
    ASSERT_TRUE(a.Sync(report, nullptr).ok);

    ASSERT_TRUE(fresh.SetRemote(remote).ok);
    ASSERT_TRUE(fresh.Sync(report, nullptr).ok);
    EXPECT_EQ(report.received, 1);
    EXPECT_EQ(report.sent, 0);
    std::vector<HistoryEntry> entries;
    ASSERT_TRUE(fresh.List(entries).ok);
    ASSERT_EQ(entries.size(), 1u);
    ExpectSameEntry(entries[0], a1);
    EXPECT_EQ(ReadWhole(Location("fresh") + "/" + a1.file), DataFile("I1P", 1));
}

}  // namespace
}  // namespace kdmtest
