// Machines in the device history (pure parts): the naming record's text form, how namings made on
// several laptops settle into one name per entry, which names are allowed, and which entries belong to
// a machine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/history.h"

namespace kdmtest {
namespace {

using kdm::HistoryEntry;
using kdm::HistoryNaming;

std::string Id(char digit) {
    return std::string(40, digit);
}

TEST(HistoryNamingMessage, ReadsBackAndIsNoEntryForVersionsThatKnowNoNamings) {
    HistoryNaming naming;
    naming.id = "c0ffee";
    naming.entry = Id('a');
    naming.name = "M\xc3\xbcller Druck / Press 7 \\ sensor 2";
    naming.wholeMachine = false;
    naming.time = "2026-12-08T09:14:03.250Z";
    naming.host = "laptop-a";
    naming.user = "anna";
    const std::string text = kdm::FormatNamingMessage(naming);
    EXPECT_EQ(text.rfind("name aaaaaaaaaaaa \"", 0), 0u) << text;

    HistoryNaming back;
    back.id = "c0ffee";
    ASSERT_TRUE(kdm::ParseNamingMessage(text, back));
    EXPECT_EQ(back.id, naming.id);
    EXPECT_EQ(back.entry, naming.entry);
    EXPECT_EQ(back.name, naming.name);
    EXPECT_FALSE(back.wholeMachine);
    EXPECT_EQ(back.time, naming.time);
    EXPECT_EQ(back.user, "anna");
    // An entry parser passes over it (no kind), and a naming parser passes over an entry.
    HistoryEntry entry;
    EXPECT_FALSE(kdm::ParseHistoryMessage(text, entry));
    HistoryEntry named;
    named.kind = kdm::HistoryKind::kRead;
    named.device = "t2-x";
    named.file = "devices/t2-x/f.KDM";
    named.name = "Press 7";
    const std::string entryText = kdm::FormatHistoryMessage(named);
    EXPECT_FALSE(kdm::ParseNamingMessage(entryText, back));
    ASSERT_TRUE(kdm::ParseHistoryMessage(entryText, entry));
    EXPECT_EQ(entry.name, "Press 7");
    // An entry without a name is written as before names existed.
    named.name.clear();
    EXPECT_EQ(kdm::FormatHistoryMessage(named).find("name:"), std::string::npos);
}

TEST(HistoryNamings, TheLaterNamingWinsAndARenameTakesTheWholeMachine) {
    struct Naming {
        char entry;
        const char* name;
        bool wholeMachine;
        const char* time;
        const char* id;
    };
    struct Case {
        const char* what;
        std::vector<Naming> namings;
        std::vector<std::string> names;  // of entries 1, 2, 3, 4 afterwards
    };
    // Entries 1 and 2 were read as "Press 7", 3 as "Press 8", 4 without a name.
    const Case cases[] = {
        {"no namings", {}, {"Press 7", "Press 7", "Press 8", ""}},
        {"an unnamed entry named alone",
         {{'4', "Press 9", true, "T1", "x"}},
         {"Press 7", "Press 7", "Press 8", "Press 9"}},
        {"a rename takes the machine", {{'1', "P7", true, "T1", "x"}}, {"P7", "P7", "Press 8", ""}},
        {"--only takes one entry",
         {{'1', "Press 8", false, "T1", "x"}},
         {"Press 8", "Press 7", "Press 8", ""}},
        {"later wins whatever the order given",
         {{'2', "late", true, "T2", "x"}, {'1', "early", true, "T1", "y"}},
         {"late", "late", "Press 8", ""}},
        {"same time: by record id",
         {{'1', "b", true, "T1", "b"}, {'1', "a", true, "T1", "a"}},
         {"b", "b", "Press 8", ""}},
        {"a rename into another machine's name merges them, a later one takes both",
         {{'3', "Press 7", true, "T1", "x"}, {'1', "All", true, "T2", "y"}},
         {"All", "All", "All", ""}},
        {"a naming of an entry not listed is passed over",
         {{'9', "Ghost", true, "T1", "x"}},
         {"Press 7", "Press 7", "Press 8", ""}},
    };
    for (const Case& c : cases) {
        std::vector<HistoryEntry> entries(4);
        const char* initial[] = {"Press 7", "Press 7", "Press 8", ""};
        for (int i = 0; i < 4; ++i) {
            entries[static_cast<std::size_t>(i)].id = Id(static_cast<char>('1' + i));
            entries[static_cast<std::size_t>(i)].device = "t2-x";
            entries[static_cast<std::size_t>(i)].name = initial[i];
        }
        std::vector<HistoryNaming> namings;
        for (const Naming& n : c.namings) {
            HistoryNaming naming;
            naming.entry = Id(n.entry);
            naming.name = n.name;
            naming.wholeMachine = n.wholeMachine;
            naming.time = n.time;
            naming.id = n.id;
            namings.push_back(naming);
        }
        kdm::ApplyNamings(entries, namings);
        std::vector<std::string> names;
        for (const HistoryEntry& entry : entries)
            names.push_back(entry.name);
        EXPECT_EQ(names, c.names) << c.what;
    }
}

TEST(HistoryMachineName, FreeTextOnOneLineOfUtf8) {
    const struct {
        std::string name;
        bool valid;
        const char* why;
    } cases[] = {
        {"Press 7", true, ""},
        {"M\xc3\xbcller Druck / Press 7 / sensor 2", true, ""},
        {"\xe2\x82\xac 5", true, ""},
        {"", false, "empty"},
        {" Press 7", false, "blank"},
        {"Press 7 ", false, "blank"},
        {"Press\t7", false, "control"},
        {"Press\n7", false, "control"},
        {"Press \xc2\x85", false, "UTF-8"},  // a C1 control character
        {"M\xfcller", false, "UTF-8"},       // Latin-1, not UTF-8
        {"\xe2\x82", false, "UTF-8"},        // cut short
        {std::string(kdm::kMaxMachineNameBytes, 'x'), true, ""},
        {std::string(kdm::kMaxMachineNameBytes + 1, 'x'), false, "at most"},
    };
    for (const auto& c : cases) {
        std::string why;
        EXPECT_EQ(kdm::ValidMachineName(c.name, why), c.valid) << c.name;
        if (!c.valid) {
            EXPECT_NE(why.find(c.why), std::string::npos) << why;
        }
    }
}

TEST(HistoryMachines, EntriesOfAMachineAndOfADevice) {
    std::vector<HistoryEntry> entries(5);
    const char* names[] = {"Press 7", "", "Press 8", "Press 7", ""};
    const char* devices[] = {"t2-x", "t2-x", "t2-x", "t2-x", "t3-y"};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        entries[i].id = std::to_string(i);
        entries[i].name = names[i];
        entries[i].device = devices[i];
        entries[i].time = "2026-12-0" + std::to_string(9 - i) + "T00:00:00.000Z";
    }
    const struct {
        const char* key;
        std::vector<std::string> machine;  // EntriesOfMachine
        std::vector<std::string> listed;   // EntriesNamedOrOfDevice
    } cases[] = {
        {"Press 7", {"0", "3"}, {"0", "3"}},
        {"Press 8", {"2"}, {"2"}},
        {"t2-x", {"1"}, {"0", "1", "2", "3"}},
        {"t3-y", {"4"}, {"4"}},
        {"Press", {}, {}},
    };
    const auto ids = [](const std::vector<HistoryEntry>& list) {
        std::vector<std::string> out;
        for (const HistoryEntry& entry : list)
            out.push_back(entry.id);
        return out;
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ids(kdm::EntriesOfMachine(entries, c.key)), c.machine) << c.key;
        EXPECT_EQ(ids(kdm::EntriesNamedOrOfDevice(entries, c.key)), c.listed) << c.key;
    }
    EXPECT_EQ(kdm::MachineNames(entries), (std::vector<std::string>{"Press 7", "Press 8"}));
    // The entry before one is of the same machine: Press 8 and the unnamed read are other machines.
    ASSERT_NE(kdm::PreviousEntryOfDevice(entries, "0"), nullptr);
    EXPECT_EQ(kdm::PreviousEntryOfDevice(entries, "0")->id, "3");
    EXPECT_EQ(kdm::PreviousEntryOfDevice(entries, "1"), nullptr);
    EXPECT_EQ(kdm::ShownHistoryTime("2026-12-08T09:14:03.250Z"), "2026-12-08 09:14:03");
}

}  // namespace
}  // namespace kdmtest
