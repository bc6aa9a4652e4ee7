// The device history through kdmxp-cli against kdmxp-sim: what a read adds,
// what `history` lists, and that a history that cannot be kept never changes a read or a write.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "history_laptops.h"
#include "support/dump_builder.h"
#include "support/sim_process.h"

namespace kdmtest {
namespace {

TEST_F(HistoryLaptops, AReadKeepsACopyAndASecondReadOfTheSameDeviceAddsAnEntryButNoCopy) {
    const std::string device = DeviceFile(4, 2, 3, 1);
    StartSimWith(device);

    const CliResult first = Cli(kLaptopA, {"read", "-o", work + "/first.KDM"});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_NE(first.err.find("History: read entry "), std::string::npos) << first.err;
    const CliResult second = Cli(kLaptopA, {"read", "-q", "-o", work + "/second.KDM"});
    ASSERT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(second.err, "");  // quiet: the new entry goes unmentioned

    const nlohmann::json list = ListJson(kLaptopA);
    EXPECT_EQ(list["format"], "kdmxp-history");
    EXPECT_EQ(list["version"], 1);
    const nlohmann::json& entries = list["entries"];
    ASSERT_EQ(entries.size(), 2u) << list.dump(2);
    // Newest first.
    EXPECT_EQ(entries[0]["source"], work + "/second.KDM");
    EXPECT_EQ(entries[1]["source"], work + "/first.KDM");
    for (const nlohmann::json& entry : entries) {
        EXPECT_EQ(entry["kind"], "read");
        EXPECT_EQ(entry["device"], "t2-+I1P000--");
        EXPECT_EQ(entry["deviceType"], 2);
        EXPECT_EQ(entry["identification"], device.substr(1, 14));
        EXPECT_EQ(entry["user"], "anna");
        EXPECT_EQ(entry["host"], HostName());
        EXPECT_EQ(entry["port"], "COM1");
        EXPECT_EQ(entry["id"].get<std::string>().size(), 40u);
        EXPECT_FALSE(entry.contains("verify"));
        EXPECT_EQ(ReadWhole(entry["path"].get<std::string>()), device);
    }
    EXPECT_NE(entries[0]["id"], entries[1]["id"]);
    EXPECT_EQ(entries[0]["file"], entries[1]["file"]);
    EXPECT_EQ(DataFilesIn(kLaptopA).size(), 1u);

    // The table for people: a header and one line per entry, its short id first.
    const CliResult table = Cli(kLaptopA, {"history"});
    ASSERT_EQ(table.exitCode, 0) << table.err;
    EXPECT_EQ(table.out.rfind("ENTRY", 0), 0u) << table.out;
    EXPECT_NE(table.out.find("\n" + entries[0]["shortId"].get<std::string>() + " "), std::string::npos)
        << table.out;
    EXPECT_EQ(std::count(table.out.begin(), table.out.end(), '\n'), 3);
}

TEST_F(HistoryLaptops, AHistoryThatCannotBeKeptIsReportedAndTheReadStillSucceeds) {
    const std::string device = DeviceFile(3, 1, 2, 2);
    StartSimWith(device);
    // A file where the history's folder would have to be created.
    { std::ofstream(root.File("not-a-folder")) << "x"; }

    const CliResult read = CliIn(root.File("not-a-folder"), "anna", {"read", "-o", work + "/out.KDM"});

    EXPECT_EQ(read.exitCode, 0) << read.err;
    EXPECT_EQ(ReadWhole(work + "/out.KDM"), device);
    EXPECT_NE(read.err.find("Not kept in the history: "), std::string::npos) << read.err;
    EXPECT_NE(read.err.find("not-a-folder"), std::string::npos) << read.err;
}

}  // namespace
}  // namespace kdmtest
