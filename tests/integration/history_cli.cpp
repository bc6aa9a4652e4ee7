// The device history through kdmxp-cli against kdmxp-sim: what a read, a write and write --backup add,
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

TEST_F(HistoryLaptops, AWriteIsAnEntryOfItsOwnAndBackupKeepsWhatTheDeviceHeldBefore) {
    const std::string before = DeviceFile(4, 2, 3, 3);
    const std::string after = DeviceFile(4, 2, 3, 4);
    StartSimWith(before);
    WriteFile(work + "/new.KDM", after);

    const CliResult write = Cli(kLaptopA, {"write", "--backup", "--verify", work + "/new.KDM"});

    ASSERT_EQ(write.exitCode, 0) << write.err;
    const nlohmann::json entries = ListJson(kLaptopA)["entries"];
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0]["kind"], "write");
    EXPECT_EQ(entries[0]["verify"], "passed");
    EXPECT_EQ(entries[0]["source"], work + "/new.KDM");
    EXPECT_EQ(ReadWhole(entries[0]["path"].get<std::string>()), after);
    EXPECT_EQ(entries[1]["kind"], "backup");
    EXPECT_EQ(ReadWhole(entries[1]["path"].get<std::string>()), before);
    EXPECT_EQ(entries[1]["device"], entries[0]["device"]);
    EXPECT_EQ(entries[0]["port"], "COM1");

    // A device of another type, and --device to tell them apart.
    sim.Stop();
    StartSimWith(DumpBuilder("A10").Add('a', Value(1)).Add('b', Value(2)).Text());
    ASSERT_EQ(Cli(kLaptopA, {"read", "-q", "-o", work + "/other.KDM"}).exitCode, 0);
    ASSERT_EQ(ListJson(kLaptopA)["entries"].size(), 3u);
    const nlohmann::json only =
        ListJson(kLaptopA, {"--device", entries[0]["device"].get<std::string>()})["entries"];
    ASSERT_EQ(only.size(), 2u);
    EXPECT_EQ(only[0]["id"], entries[0]["id"]);
    EXPECT_EQ(only[1]["id"], entries[1]["id"]);
}

TEST_F(HistoryLaptops, WhenTheBackupReadFailsNothingIsWritten) {
    // The identification arrives with a wrong checksum: a read refuses such a device, a write does not
    // look at that checksum and would go ahead.
    const std::string device = DeviceFile(3, 1, 2, 5);
    StartSimWith(device, {"--bad-checksum", "1"});
    WriteFile(work + "/new.KDM", DeviceFile(3, 1, 2, 6));

    const CliResult backup = Cli(kLaptopA, {"write", "--backup", work + "/new.KDM"});

    EXPECT_EQ(backup.exitCode, 1) << backup.err;
    EXPECT_NE(backup.err.find("nothing was written"), std::string::npos) << backup.err;
    ASSERT_TRUE(WaitForText(SimLog(), "port closed", 1)) << ReadWhole(SimLog());
    // The device got the read's status request and no frame of the file.
    const std::string log = ReadWhole(SimLog());
    EXPECT_NE(log.find("rx#1"), std::string::npos) << log;
    EXPECT_EQ(log.find("rx#2"), std::string::npos) << log;
    EXPECT_TRUE(ListJson(kLaptopA)["entries"].empty());

    // The same write without --backup goes through: it was the backup that held it back.
    const CliResult plain = Cli(kLaptopA, {"write", work + "/new.KDM"});
    EXPECT_EQ(plain.exitCode, 0) << plain.err;
    const nlohmann::json entries = ListJson(kLaptopA)["entries"];
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0]["kind"], "write");
    EXPECT_EQ(entries[0]["verify"], "not-asked");
}

// The type is known once the device named it: a file for another type costs no backup read, and what
// is said is that the types differ, whether or not the progress is shown.
TEST_F(HistoryLaptops, ABackupOfADeviceOfAnotherTypeIsNeitherKeptNorFollowedByAWrite) {
    StartSimWith(DeviceFile(3, 1, 2, 7));
    const struct {
        const char* code;
        const char* fileType;
    } kFiles[] = {{"X9Z", "an unknown type"}, {"I1K", "type 3"}};
    int opens = 0;
    for (const auto& file : kFiles) {
        WriteFile(work + "/other.KDM", DumpBuilder(file.code).Add('a', Value(1)).Add('b', Value(2)).Text());
        const std::string said = std::string("file type is not device typ\n") +
                                 "The file is for devices of " + file.fileType +
                                 ", the device is of type 2: nothing was read or written\n";
        for (const bool quiet : {true, false}) {
            SCOPED_TRACE(std::string(file.code) + (quiet ? " quiet" : " progress"));
            std::vector<std::string> args = {"write", "--backup", work + "/other.KDM"};
            if (quiet) args.insert(args.begin() + 1, "-q");
            const CliResult write = Cli(kLaptopA, args);
            ++opens;

            EXPECT_EQ(write.exitCode, 1);
            if (quiet) {
                EXPECT_EQ(write.err, said);
            } else {
                EXPECT_NE(write.err.find(said), std::string::npos) << write.err;
            }
            EXPECT_EQ(write.err.find("Backup"), std::string::npos) << write.err;
            EXPECT_TRUE(ListJson(kLaptopA)["entries"].empty());
        }
    }
    // The device was asked for its status by each search, and for nothing else.
    ASSERT_TRUE(WaitForText(SimLog(), "port closed", opens)) << ReadWhole(SimLog());
    const std::string log = ReadWhole(SimLog());
    EXPECT_EQ(log.find("rx#2"), std::string::npos) << log;
    EXPECT_EQ(log.find("0s+000000--584"), std::string::npos) << log;
}

}  // namespace
}  // namespace kdmtest
