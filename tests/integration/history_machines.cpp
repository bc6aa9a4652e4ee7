// Machines with names in the device history, and each parameter's story, through kdmxp-cli against
// kdmxp-sim: reads named with --name, devices that identify themselves alike kept apart by their names,
// `history blame` tracing each value to the read that brought it, and names that travel with sync.
#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "history_laptops.h"
#include "support/dump_builder.h"
#include "support/sim_process.h"

namespace kdmtest {
namespace {

// A device of type 2 with three system parameters and one program of two; `b` and `programB` vary.
std::string Press(int b, int programB) {
    return DumpBuilder("I1P")
        .Add('a', Value(1))
        .Add('b', Value(b))
        .Add('c', Value(3))
        .Program(1)
        .Add('A', Value(10))
        .Add('B', Value(programB))
        .Text();
}

// "system/a" or "program 1/B" -> the entry id the parameter's value has held since.
std::map<std::string, std::string> SinceOf(const nlohmann::json& blame) {
    std::map<std::string, std::string> since;
    for (const nlohmann::json& parameter : blame["parameters"]) {
        const std::string where = parameter["block"] == "system"
                                      ? std::string("system")
                                      : "program " + std::to_string(parameter["program"].get<int>());
        since[where + "/" + parameter["letter"].get<std::string>()] = parameter["since"]["entry"];
    }
    return since;
}

class HistoryMachines : public HistoryLaptops {
  protected:
    // Reads the simulated device holding `file` into `laptop`'s history as machine `name`; the entry id.
    std::string ReadAs(const Laptop& laptop, const std::string& file, const std::string& name) {
        sim.Stop();
        StartSimWith(file);
        const CliResult read = Cli(laptop, {"read", "-q", "--name", name, "-o", work + "/read.KDM"});
        EXPECT_EQ(read.exitCode, 0) << read.err;
        const nlohmann::json entries = ListJson(laptop)["entries"];
        return entries.empty() ? std::string() : entries[0]["id"].get<std::string>();
    }
    nlohmann::json Blame(const Laptop& laptop, const std::string& machine) {
        const CliResult blame = Cli(laptop, {"history", "blame", machine, "--format", "json"});
        EXPECT_EQ(blame.exitCode, 0) << blame.err;
        nlohmann::json document = nlohmann::json::parse(blame.out, nullptr, false);
        EXPECT_FALSE(document.is_discarded()) << blame.out;
        return document;
    }
};

TEST_F(HistoryMachines, BlameTracesEachChangedValueToTheReadThatBroughtItAndNamesKeepMachinesApart) {
    const std::string first = ReadAs(kLaptopA, Press(2, 11), "Press 7");
    const std::string second = ReadAs(kLaptopA, Press(20, 11), "Press 7");
    const std::string third = ReadAs(kLaptopA, Press(20, 110), "Press 7");
    // Another press of the same type at the same address: the same identification, another machine.
    const std::string other = ReadAs(kLaptopA, Press(99, 99), "Press 8");

    const nlohmann::json blame = Blame(kLaptopA, "Press 7");
    EXPECT_EQ(blame["format"], "kdmxp-blame");
    EXPECT_EQ(blame["version"], 1);
    EXPECT_EQ(blame["device"], "Press 7");
    EXPECT_EQ(blame["entries"], 3);
    const std::map<std::string, std::string> expected = {{"system/a", first},    {"system/b", second},
                                                         {"system/c", first},    {"program 1/P", first},
                                                         {"program 1/A", first}, {"program 1/B", third}};
    EXPECT_EQ(SinceOf(blame), expected) << blame.dump(2);
    for (const nlohmann::json& parameter : blame["parameters"]) {
        EXPECT_EQ(parameter["since"]["kind"], "read");
        EXPECT_EQ(parameter["since"]["user"], "anna");
        EXPECT_EQ(parameter["since"]["host"], HostName());
        EXPECT_FALSE(parameter["suspect"].get<bool>());
        if (parameter["letter"] == "b") {
            EXPECT_EQ(parameter["value"], "000020");
        }
    }

    // Press 8 stands alone; its device id still lists every entry of that identification.
    const nlohmann::json eight = Blame(kLaptopA, "Press 8");
    EXPECT_EQ(eight["entries"], 1);
    for (const auto& [parameter, since] : SinceOf(eight))
        EXPECT_EQ(since, other) << parameter;
    const struct {
        std::string device;
        std::size_t entries;
    } listings[] = {{"Press 7", 3}, {"Press 8", 1}, {"t2-+I1P000--", 4}, {"Press 9", 0}};
    for (const auto& listing : listings) {
        const nlohmann::json listed = ListJson(kLaptopA, {"--device", listing.device})["entries"];
        EXPECT_EQ(listed.size(), listing.entries) << listing.device;
        for (const nlohmann::json& entry : listed)
            if (listing.device.rfind("Press", 0) == 0) {
                EXPECT_EQ(entry["name"], listing.device);
            }
    }

    // The entry before one is of its machine: Press 8, read last, stands before no Press 7 entry.
    const CliResult before = Cli(kLaptopA, {"history", "diff", third, "--format", "json"});
    EXPECT_EQ(before.exitCode, 1) << before.err;
    const nlohmann::json compared = nlohmann::json::parse(before.out, nullptr, false);
    ASSERT_FALSE(compared.is_discarded()) << before.out;
    EXPECT_EQ(compared["entryA"]["id"], second);
    const CliResult alone = Cli(kLaptopA, {"history", "diff", other});
    EXPECT_EQ(alone.exitCode, 2);
    EXPECT_NE(alone.err.find("is the first of machine \"Press 8\""), std::string::npos) << alone.err;

    // The people's table names each entry's short id and the machine.
    const CliResult text = Cli(kLaptopA, {"history", "blame", "Press 7"});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_NE(text.out.find("Machine Press 7: 3 entries"), std::string::npos) << text.out;
    for (const std::string& id : {first, second, third})
        EXPECT_NE(text.out.find(id.substr(0, 12)), std::string::npos) << text.out;
    EXPECT_EQ(text.out.find(other.substr(0, 12)), std::string::npos) << text.out;
}

TEST_F(HistoryMachines, AValueThatArrivedWithAWrongChecksumStartsItsRunAndIsMarked) {
    const std::string clean = ReadAs(kLaptopA, Press(2, 11), "Press 9");
    sim.Stop();
    // One system telegram of the second read arrives damaged; its value is the same as before.
    StartSimWith(Press(2, 11), {"--bad-checksum", "4"});
    const CliResult read = Cli(kLaptopA, {"read", "-q", "--name", "Press 9", "-o", work + "/bad.KDM"});
    ASSERT_EQ(read.exitCode, 2) << read.err;  // saved, with a telegram that cannot be trusted
    const std::string suspect = ListJson(kLaptopA)["entries"][0]["id"];

    int marked = 0;
    const nlohmann::json blame = Blame(kLaptopA, "Press 9");
    for (const nlohmann::json& parameter : blame["parameters"]) {
        const bool flagged = parameter["suspect"].get<bool>();
        marked += flagged ? 1 : 0;
        EXPECT_EQ(parameter["since"]["entry"], flagged ? suspect : clean) << parameter.dump();
    }
    EXPECT_EQ(marked, 1) << blame.dump(1);
    const CliResult text = Cli(kLaptopA, {"history", "blame", "Press 9"});
    EXPECT_NE(text.out.find(" !!!"), std::string::npos) << text.out;
}

TEST_F(HistoryMachines, NoSuchMachineAndABadNameAreRefusedWithTheReason) {
    ReadAs(kLaptopA, Press(2, 11), "Press 7");
    const struct {
        std::vector<std::string> args;
        std::string says;
    } cases[] = {
        {{"history", "blame", "Press 9"}, "No machine \"Press 9\""},
        // Every entry of the device is named: its id alone names no machine.
        {{"history", "blame", "t2-+I1P000--"}, "belongs to a named machine"},
        {{"history", "name", "ffff", "Press 9"}, "No history entry ffff"},
        {{"read", "--name", "Press\t7", "-o", "x.KDM"}, "control characters"},
        {{"write", "--name", " Press 7", "x.KDM"}, "blank"},
    };
    for (const auto& c : cases) {
        const CliResult run = Cli(kLaptopA, c.args);
        EXPECT_NE(run.exitCode, 0) << c.args[1];
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    }
    // The refused read and write never reached the device.
    EXPECT_EQ(ListJson(kLaptopA)["entries"].size(), 1u);
}

TEST_F(HistoryMachines, AnUnnamedEntryKeepsItsDeviceIdUntilNamedAndARenameTakesTheWholeMachine) {
    StartSimWith(Press(2, 11));
    ASSERT_EQ(Cli(kLaptopA, {"read", "-q", "-o", work + "/r.KDM"}).exitCode, 0);
    const nlohmann::json unnamed = ListJson(kLaptopA)["entries"];
    ASSERT_EQ(unnamed.size(), 1u);
    EXPECT_TRUE(unnamed[0]["name"].is_null());
    EXPECT_EQ(Blame(kLaptopA, "t2-+I1P000--")["entries"], 1);

    const std::string id = unnamed[0]["id"];
    ASSERT_EQ(Cli(kLaptopA, {"history", "name", id.substr(0, 8), "Press 7"}).exitCode, 0);
    ReadAs(kLaptopA, Press(2, 11), "Press 7");
    const CliResult renamed = Cli(kLaptopA, {"history", "name", id.substr(0, 8), "Müller / Press 7"});
    ASSERT_EQ(renamed.exitCode, 0) << renamed.err;
    const nlohmann::json entries = ListJson(kLaptopA)["entries"];
    ASSERT_EQ(entries.size(), 2u);
    for (const nlohmann::json& entry : entries)
        EXPECT_EQ(entry["name"], "Müller / Press 7");

    // --only takes one entry out of its machine, as for a read given the wrong name.
    ASSERT_EQ(Cli(kLaptopA, {"history", "name", "--only", id.substr(0, 8), "Press 8"}).exitCode, 0);
    EXPECT_EQ(ListJson(kLaptopA, {"--device", "Press 8"})["entries"].size(), 1u);
    EXPECT_EQ(ListJson(kLaptopA, {"--device", "Müller / Press 7"})["entries"].size(), 1u);
}

TEST_F(HistoryMachines, TwoLaptopsSeeTheSameNamesAndStoryAfterSyncAndTheLaterRenameWins) {
    const std::string remote = root.File("shared.git");
    ASSERT_EQ(RunProcess({"/usr/bin/env", "git", "init", "--quiet", "--bare", remote},
                         {"GIT_CONFIG_NOSYSTEM=1", "GIT_CONFIG_GLOBAL=/dev/null"}, 60000)
                  .exitCode,
              0);
    for (const Laptop& laptop : {kLaptopA, kLaptopB})
        ASSERT_EQ(Cli(laptop, {"history", "remote", remote}).exitCode, 0);

    const std::string first = ReadAs(kLaptopA, Press(2, 11), "Press 7");
    ASSERT_EQ(Cli(kLaptopA, {"history", "sync", "-q"}).exitCode, 0);
    ASSERT_EQ(Cli(kLaptopB, {"history", "sync", "-q"}).exitCode, 0);
    const std::string second = ReadAs(kLaptopB, Press(20, 11), "Press 7");
    // Both laptops rename the machine before they sync again; B's naming is the later one.
    ASSERT_EQ(Cli(kLaptopA, {"history", "name", first, "Press 7 (hall 1)"}).exitCode, 0);
    ASSERT_EQ(Cli(kLaptopB, {"history", "name", second, "Press 7 (hall 2)"}).exitCode, 0);
    for (const Laptop& laptop : {kLaptopA, kLaptopB, kLaptopA})
        ASSERT_EQ(Cli(laptop, {"history", "sync", "-q"}).exitCode, 0) << laptop.user;

    const nlohmann::json onA = Blame(kLaptopA, "Press 7 (hall 2)");
    const nlohmann::json onB = Blame(kLaptopB, "Press 7 (hall 2)");
    EXPECT_EQ(onA, onB);
    EXPECT_EQ(onA["entries"], 2);
    EXPECT_EQ(SinceOf(onA)["system/b"], second);
    EXPECT_EQ(SinceOf(onA)["system/a"], first);
    for (const Laptop& laptop : {kLaptopA, kLaptopB}) {
        const nlohmann::json entries = ListJson(laptop)["entries"];
        ASSERT_EQ(entries.size(), 2u) << laptop.user;
        for (const nlohmann::json& entry : entries)
            EXPECT_EQ(entry["name"], "Press 7 (hall 2)") << laptop.user;
    }
}

}  // namespace
}  // namespace kdmtest
