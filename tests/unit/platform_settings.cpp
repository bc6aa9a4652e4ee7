#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_settings_store.h"
#include "platform_temp.h"

namespace {

namespace fs = std::filesystem;
using platformtest::ReadFile;
using platformtest::ScopedEnv;
using platformtest::TempDir;
using platformtest::WriteFile;

constexpr std::string_view kKey = "Software\\Dorvik\\KDM_XP";

struct StoreRig {
    TempDir dir;
    ScopedEnv env{"KDMXP_SETTINGS_DIR", dir.path()};
    kdm::FileSettingsStore store;
    std::string Lasting(const std::string& rest) const { return dir / ("lasting/" + rest); }
    std::string Volatile(const std::string& rest) const { return dir / ("volatile/" + rest); }
};

std::vector<std::string> EntriesBelow(const std::string& root) {
    std::vector<std::string> entries;
    for (const auto& e : fs::recursive_directory_iterator(root))
        entries.push_back(e.path().string());
    return entries;
}

TEST(SettingsValues, TextAndNumberValues) {
    const kdm::StoredValue text = kdm::TextValue("5");
    EXPECT_EQ(text.type, kdm::ValueType::kText);
    EXPECT_EQ(text.bytes, "5");

    const kdm::StoredValue number = kdm::NumberValue(0x12345678u);
    EXPECT_EQ(number.type, kdm::ValueType::kNumber);
    EXPECT_EQ(number.bytes, std::string("\x78\x56\x34\x12", 4));
    std::uint32_t n = 0;
    EXPECT_TRUE(kdm::NumberOf(number, n));
    EXPECT_EQ(n, 0x12345678u);
    EXPECT_TRUE(kdm::NumberOf(kdm::NumberValue(0xFFFFFFFFu), n));
    EXPECT_EQ(n, 0xFFFFFFFFu);
    // Whatever the stored type, the first four bytes count; fewer is no number.
    EXPECT_TRUE(kdm::NumberOf(kdm::TextValue(std::string("\x12\0\0\0xyz", 7)), n));
    EXPECT_EQ(n, 18u);
    n = 77;
    EXPECT_FALSE(kdm::NumberOf(kdm::TextValue("abc"), n));
    EXPECT_EQ(n, 77u);
}

TEST(SettingsStore, ConfinedToTheDirectoryOfTheEnvironment) {
    StoreRig rig;
    EXPECT_EQ(rig.store.LastingRoot(), rig.dir / "lasting");
    EXPECT_EQ(rig.store.VolatileRoot(), rig.dir / "volatile");
}

TEST(SettingsStore, DefaultRootsFollowTheUsualDirectories) {
    ScopedEnv confined("KDMXP_SETTINGS_DIR", std::nullopt);
    ScopedEnv config("XDG_CONFIG_HOME", "/cfg");
    ScopedEnv runtime("XDG_RUNTIME_DIR", "/run/user/42");
    const kdm::FileSettingsStore store;
    EXPECT_EQ(store.LastingRoot(), "/cfg/kdmxp");
    EXPECT_EQ(store.VolatileRoot(), "/run/user/42/kdmxp");

    ScopedEnv home("HOME", "/home/someone");
    ScopedEnv noConfig("XDG_CONFIG_HOME", std::nullopt);
    ScopedEnv noRuntime("XDG_RUNTIME_DIR", std::nullopt);
    const kdm::FileSettingsStore fallback;
    EXPECT_EQ(fallback.LastingRoot(), "/home/someone/.config/kdmxp");
    EXPECT_EQ(fallback.VolatileRoot(), "/tmp/kdmxp-" + std::to_string(geteuid()));
}

TEST(SettingsStore, CreatedKeysGoToTheRootTheyAskFor) {
    StoreRig rig;
    EXPECT_FALSE(rig.store.KeyExists(kKey));
    EXPECT_TRUE(rig.store.CreateKey(kKey, true));
    EXPECT_TRUE(rig.store.KeyExists(kKey));
    EXPECT_TRUE(fs::is_directory(rig.Volatile("Software/Dorvik/KDM_XP")));
    EXPECT_FALSE(fs::exists(rig.Lasting("Software")));

    // An existing key stays where it is, whatever the second caller asks for.
    EXPECT_TRUE(rig.store.CreateKey(kKey, false));
    EXPECT_FALSE(fs::exists(rig.Lasting("Software")));

    EXPECT_TRUE(rig.store.CreateKey("Software\\Dorvik\\KDM7\\ComNr", false));
    EXPECT_TRUE(fs::is_directory(rig.Lasting("Software/Dorvik/KDM7/ComNr")));
    // Private: nobody else may read or plant settings.
    struct stat st {};
    ASSERT_EQ(stat(rig.Lasting("Software/Dorvik/KDM7/ComNr").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u);
}

TEST(SettingsStore, ValuesRoundTripWithTheirTypes) {
    StoreRig rig;
    kdm::StoredValue value;
    EXPECT_FALSE(rig.store.WriteValue(kKey, "ComNr", kdm::TextValue("3")));  // no key yet
    ASSERT_TRUE(rig.store.CreateKey(kKey, true));
    EXPECT_FALSE(rig.store.ReadValue(kKey, "ComNr", value));

    const std::vector<kdm::StoredValue> values = {
        kdm::TextValue("3"),
        kdm::TextValue(""),
        kdm::NumberValue(18),
        kdm::TextValue(std::string("a\0b\nc\xff\r\n", 8)),
        kdm::TextValue(std::string(4096, 'x')),
    };
    for (const kdm::StoredValue& v : values) {
        ASSERT_TRUE(rig.store.WriteValue(kKey, "ComNr", v));
        ASSERT_TRUE(rig.store.ReadValue(kKey, "ComNr", value));
        EXPECT_EQ(value.type, v.type);
        EXPECT_EQ(value.bytes, v.bytes);
    }
    EXPECT_FALSE(rig.store.WriteValue(kKey, "ComNr", kdm::TextValue(std::string(4097, 'x'))));
    // A failed write leaves the old value.
    ASSERT_TRUE(rig.store.ReadValue(kKey, "ComNr", value));
    EXPECT_EQ(value.bytes.size(), 4096u);
}

TEST(SettingsStore, ReplacesValuesAtomically) {
    StoreRig rig;
    ASSERT_TRUE(rig.store.CreateKey(kKey, false));
    ASSERT_TRUE(rig.store.WriteValue(kKey, "ComNr", kdm::TextValue("3")));
    const std::string file = rig.Lasting("Software/Dorvik/KDM_XP/ComNr.value");
    EXPECT_EQ(ReadFile(file), kdm::SerializeStoredValue(kdm::TextValue("3")));
    struct stat before {};
    ASSERT_EQ(stat(file.c_str(), &before), 0);

    ASSERT_TRUE(rig.store.WriteValue(kKey, "ComNr", kdm::TextValue("5")));
    struct stat after {};
    ASSERT_EQ(stat(file.c_str(), &after), 0);
    // A new file took the old one's place (a reader holding the old one still sees a whole value) ...
    EXPECT_NE(before.st_ino, after.st_ino);
    EXPECT_EQ(ReadFile(file), kdm::SerializeStoredValue(kdm::TextValue("5")));
    // ... and no temporary file is left behind.
    EXPECT_EQ(EntriesBelow(rig.Lasting("Software/Dorvik/KDM_XP")), std::vector<std::string>{file});
}

TEST(SettingsStore, DamagedValueFilesReadAsMissing) {
    StoreRig rig;
    ASSERT_TRUE(rig.store.CreateKey(kKey, false));
    const std::string file = rig.Lasting("Software/Dorvik/KDM_XP/ComNr.value");
    const std::vector<std::string> contents = {
        "",
        "3",
        "text\n3",
        "text 2\n3",
        "text 1\n34",
        "blob 1\n3",
        "text -1\n",
        std::string(9000, 't'),
        "text 9000\n" + std::string(9000, '3'),
    };
    kdm::StoredValue value;
    for (const std::string& content : contents) {
        WriteFile(file, content);
        EXPECT_FALSE(rig.store.ReadValue(kKey, "ComNr", value)) << content.substr(0, 20);
    }
    // A value file that is a link or a directory is not followed.
    fs::remove(file);
    WriteFile(rig.dir / "elsewhere", "text 1\n7");
    fs::create_symlink(rig.dir / "elsewhere", file);
    EXPECT_FALSE(rig.store.ReadValue(kKey, "ComNr", value));
    fs::remove(file);
    fs::create_directory(file);
    EXPECT_FALSE(rig.store.ReadValue(kKey, "ComNr", value));
}

TEST(SettingsStore, AFifoAtAValueNameReadsAsMissingWithoutBlockingAndIsNotReplaced) {
    StoreRig rig;
    ASSERT_TRUE(rig.store.CreateKey(kKey, false));
    const std::string file = rig.Lasting("Software/Dorvik/KDM_XP/ComNr.value");
    ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
    // In a child, so that a read that blocks in the open fails this test instead of hanging the suite:
    // the alarm is far beyond what two small file operations take on a loaded machine.
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        alarm(60);
        kdm::StoredValue value;
        const bool read = rig.store.ReadValue(kKey, "ComNr", value);
        const bool written = rig.store.WriteValue(kKey, "ComNr", kdm::TextValue("4"));
        _exit(!read && !written ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_FALSE(WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM) << "reading a FIFO value file blocked";
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    struct stat st {};
    ASSERT_EQ(lstat(file.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(SettingsStore, AReplacedValueKeepsItsMode) {
    StoreRig rig;
    ASSERT_TRUE(rig.store.CreateKey(kKey, false));
    ASSERT_TRUE(rig.store.WriteValue(kKey, "ComNr", kdm::TextValue("3")));
    const std::string file = rig.Lasting("Software/Dorvik/KDM_XP/ComNr.value");
    ASSERT_EQ(chmod(file.c_str(), 0600), 0);
    ASSERT_TRUE(rig.store.WriteValue(kKey, "ComNr", kdm::TextValue("5")));
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(ReadFile(file), kdm::SerializeStoredValue(kdm::TextValue("5")));
}

TEST(SettingsStore, KeysAndNamesThatCouldLeaveTheRootAreRefused) {
    StoreRig rig;
    ASSERT_TRUE(rig.store.CreateKey(kKey, false));
    const std::vector<std::string> keys = {
        "",           "..",  ".",         "Software\\..\\..\\escape", "Software\\\\x",       "\\Software",
        "Software\\", "a/b", "../escape", std::string("a\0b", 3),     std::string(200, 'k'),
    };
    kdm::StoredValue value;
    for (const std::string& key : keys) {
        EXPECT_FALSE(rig.store.CreateKey(key, false)) << key;
        EXPECT_FALSE(rig.store.CreateKey(key, true)) << key;
        EXPECT_FALSE(rig.store.KeyExists(key)) << key;
        EXPECT_FALSE(rig.store.WriteValue(key, "ComNr", kdm::TextValue("1"))) << key;
        EXPECT_FALSE(rig.store.ReadValue(key, "ComNr", value)) << key;
    }
    for (const char* name : {"", "..", "../ComNr", "a/b", "a\\b"}) {
        EXPECT_FALSE(rig.store.WriteValue(kKey, name, kdm::TextValue("1"))) << name;
        EXPECT_FALSE(rig.store.ReadValue(kKey, name, value)) << name;
    }
    // Nothing appeared outside the two roots, nothing but the one key inside them.
    std::vector<std::string> top;
    for (const auto& e : fs::directory_iterator(rig.dir.path()))
        top.push_back(e.path().filename().string());
    std::sort(top.begin(), top.end());
    EXPECT_EQ(top, (std::vector<std::string>{"lasting"}));
    EXPECT_EQ(EntriesBelow(rig.dir / "lasting").size(), 3u);  // Software, Dorvik, KDM_XP
}

TEST(SettingsStore, AKeyInBothRootsShowsTheValuesOfBoth) {
    StoreRig rig;
    // The search creates its key volatile; a lasting subkey below it then also exists in the lasting root.
    ASSERT_TRUE(rig.store.CreateKey(kKey, true));
    ASSERT_TRUE(rig.store.WriteValue(kKey, "ComNr", kdm::TextValue("4")));
    ASSERT_TRUE(rig.store.CreateKey("Software\\Dorvik\\KDM_XP\\Ports", false));
    kdm::StoredValue value;
    ASSERT_TRUE(rig.store.ReadValue(kKey, "ComNr", value));
    EXPECT_EQ(value.bytes, "4");
    // Rewriting keeps the value where it lives.
    ASSERT_TRUE(rig.store.WriteValue(kKey, "ComNr", kdm::TextValue("6")));
    EXPECT_TRUE(fs::exists(rig.Volatile("Software/Dorvik/KDM_XP/ComNr.value")));
    EXPECT_FALSE(fs::exists(rig.Lasting("Software/Dorvik/KDM_XP/ComNr.value")));
    ASSERT_TRUE(rig.store.ReadValue(kKey, "ComNr", value));
    EXPECT_EQ(value.bytes, "6");
    // A new value goes into the lasting key.
    ASSERT_TRUE(rig.store.WriteValue(kKey, "Other", kdm::TextValue("x")));
    EXPECT_TRUE(fs::exists(rig.Lasting("Software/Dorvik/KDM_XP/Other.value")));
}

TEST(SettingsStore, RootsOthersCanWriteAreNotTrusted) {
    StoreRig rig;
    ASSERT_TRUE(rig.store.CreateKey(kKey, false));
    ASSERT_TRUE(rig.store.WriteValue(kKey, "ComNr", kdm::TextValue("2")));
    ASSERT_EQ(chmod((rig.dir / "lasting").c_str(), 0777), 0);
    kdm::StoredValue value;
    EXPECT_FALSE(rig.store.KeyExists(kKey));
    EXPECT_FALSE(rig.store.ReadValue(kKey, "ComNr", value));
    EXPECT_FALSE(rig.store.WriteValue(kKey, "ComNr", kdm::TextValue("3")));
    EXPECT_FALSE(rig.store.CreateKey("Software\\Other", false));
}

TEST(SettingsStore, ExplicitRoots) {
    TempDir dir;
    kdm::FileSettingsStore store(dir / "l", dir / "v");
    ASSERT_TRUE(store.CreateKey(kKey, true));
    ASSERT_TRUE(store.WriteValue(kKey, "ComNr", kdm::TextValue("9")));
    EXPECT_TRUE(fs::exists(dir / "v/Software/Dorvik/KDM_XP/ComNr.value"));
    kdm::FileSettingsStore empty("", "");
    EXPECT_FALSE(empty.CreateKey(kKey, true));
    EXPECT_FALSE(empty.KeyExists(kKey));
}

TEST(SettingsParse, ParseAndSerialize) {
    struct Case {
        std::string content;
        bool ok;
        kdm::ValueType type;
        std::string bytes;
    };
    const Case cases[] = {
        {"text 1\n3", true, kdm::ValueType::kText, "3"},
        {"text 0\n", true, kdm::ValueType::kText, ""},
        {std::string("number 4\n\x12\0\0\0", 13), true, kdm::ValueType::kNumber,
         std::string("\x12\0\0\0", 4)},
        {"text 3\na\nb", true, kdm::ValueType::kText, "a\nb"},
        {"", false, {}, {}},
        {"text", false, {}, {}},
        {"text 1", false, {}, {}},
        {"text1\n3", false, {}, {}},
        {"text \n", false, {}, {}},
        {"text 1\n", false, {}, {}},
        {"text 1\n34", false, {}, {}},
        {"Text 1\n3", false, {}, {}},
        {"text +1\n3", false, {}, {}},
        {"text 1 \n3", false, {}, {}},
        {"text 4097\n" + std::string(4097, 'a'), false, {}, {}},
        {"text 99999999999999999999\n", false, {}, {}},
        {std::string("text 1\0\n3", 9), false, {}, {}},
    };
    for (const Case& c : cases) {
        kdm::StoredValue value{kdm::ValueType::kNumber, "untouched"};
        EXPECT_EQ(kdm::ParseStoredValue(c.content, value), c.ok) << c.content.substr(0, 24);
        if (c.ok) {
            EXPECT_EQ(value.type, c.type);
            EXPECT_EQ(value.bytes, c.bytes);
            EXPECT_EQ(kdm::SerializeStoredValue(value), c.content);
        } else {
            EXPECT_EQ(value.bytes, "untouched");
        }
    }
}

TEST(SettingsParse, OnlyTheWholeFileWithAnIntactHeaderIsAccepted) {
    const kdm::StoredValue original = kdm::TextValue("/dev/ttyUSB0");
    const std::string valid = kdm::SerializeStoredValue(original);
    const std::size_t header = valid.find('\n') + 1;
    kdm::StoredValue value;
    for (std::size_t n = 0; n < valid.size(); ++n) {
        EXPECT_FALSE(kdm::ParseStoredValue(valid.substr(0, n), value)) << n;
        EXPECT_FALSE(kdm::ParseStoredValue(valid + valid.substr(0, n + 1), value)) << n;
    }
    // Any byte of the payload may change; a changed header byte always spoils the file.
    for (std::size_t i = 0; i < valid.size(); ++i) {
        for (int b = 0; b < 256; ++b) {
            std::string damaged = valid;
            damaged[i] = static_cast<char>(b);
            const bool expected = i >= header || damaged == valid;
            ASSERT_EQ(kdm::ParseStoredValue(damaged, value), expected) << i << " " << b;
            if (expected) {
                EXPECT_EQ(value.bytes, damaged.substr(header));
            }
        }
    }
}

}  // namespace
