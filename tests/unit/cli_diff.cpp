// kdmxp-cli diff on built data files: exit status as diff(1), exactly the differences there are, in
// text and JSON, another device type first, values that cannot be trusted, trouble.
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/dump_builder.h"
#include "support/sim_process.h"

namespace {

using kdmtest::CliResult;
using kdmtest::DumpBuilder;
using kdmtest::Value;

// A type 1 device; `changes` of 1 to 3 alters Language, program 1's Nominal and program 2's Lower limit.
std::string Device(int changes = 0, const char* code = "I10") {
    DumpBuilder dump(code);
    dump.Add('d', Value(1)).Add('h', Value(changes >= 1 ? 7 : 2));
    dump.Program(1).Add('J', Value(11)).Add('N', changes >= 2 ? "-000012--" : Value(12)).Add('u', Value(13));
    dump.Program(2).Add('J', Value(21)).Add('N', Value(22)).Add('u', Value(changes >= 3 ? 230 : 23));
    return dump.Text();
}

class DiffCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        if (::access(KDMXP_CLI_PATH, X_OK) != 0) GTEST_SKIP() << "kdmxp-cli is not built";
        ASSERT_FALSE(dir_.Path().empty());
    }
    std::string File(const std::string& name, const std::string& bytes) {
        const std::string path = dir_.File(name);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    // The command never touches the real settings or ports: both point into the test's directory.
    CliResult Cli(const std::vector<std::string>& args) {
        return kdmtest::RunCli(args, dir_.File("ports"), dir_.File("settings"), 60000);
    }
    // The lines of a text between the header and the count: the table's rows, heading included.
    static std::vector<std::string> TableLines(const std::string& text) {
        std::vector<std::string> lines;
        std::size_t at = text.find("\n\n");
        if (at == std::string::npos) return lines;
        at += 2;
        for (std::size_t end; (end = text.find('\n', at)) != std::string::npos && end > at; at = end + 1)
            lines.push_back(text.substr(at, end - at));
        return lines;
    }

    kdmtest::TempDir dir_;
};

TEST_F(DiffCommand, SameParametersExitZero) {
    const std::string a = File("a.KDM", Device());
    // The same parameters in another record order are the same.
    DumpBuilder reordered("I10");
    reordered.Add('h', Value(2)).Add('d', Value(1));
    reordered.Program(1).Add('u', Value(13)).Add('N', Value(12)).Add('J', Value(11));
    reordered.Program(2).Add('J', Value(21)).Add('u', Value(23)).Add('N', Value(22));
    const std::string b = File("b.KDM", reordered.Text());

    const CliResult text = Cli({"diff", a, b});
    EXPECT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(text.out, "No differences between " + a + " and " + b + "\n");
    EXPECT_EQ(text.err, "");

    const CliResult json = Cli({"diff", a, b, "--format", "json"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const nlohmann::json doc = nlohmann::json::parse(json.out);
    EXPECT_EQ(doc["a"], a);
    EXPECT_EQ(doc["b"], b);
    EXPECT_EQ(doc["deviceType"], (nlohmann::json{{"a", 1}, {"b", 1}}));
    EXPECT_TRUE(doc["differences"].empty());
}

TEST_F(DiffCommand, ThreeChangedParametersAreListedExactly) {
    const std::string a = File("a.KDM", Device());
    const std::string b = File("b.KDM", Device(3));

    const CliResult text = Cli({"diff", a, b});
    EXPECT_EQ(text.exitCode, 1) << text.err;
    EXPECT_EQ(text.out.substr(0, text.out.find("\n\n")), "A: " + a + "\nB: " + b);
    EXPECT_EQ(TableLines(text.out), (std::vector<std::string>{
                                        "block    program  letter  name         A       B",
                                        "system            h       Language     000002  000007",
                                        "program  1        N       Nominal      000012  -000012",
                                        "program  2        u       Lower limit  000023  000230",
                                    }));
    EXPECT_NE(text.out.find("\n3 differences (3 changed)\n"), std::string::npos) << text.out;

    const CliResult json = Cli({"diff", a, b, "--format", "json"});
    ASSERT_EQ(json.exitCode, 1) << json.err;
    const nlohmann::json doc = nlohmann::json::parse(json.out);
    const nlohmann::json expected = nlohmann::json::parse(R"([
        {"block": "system", "program": null, "letter": "h", "name": "Language", "a": "000002",
         "b": "000007", "kind": "changed", "suspect": {"a": null, "b": null}},
        {"block": "program", "program": 1, "letter": "N", "name": "Nominal", "a": "000012",
         "b": "-000012", "kind": "changed", "suspect": {"a": null, "b": null}},
        {"block": "program", "program": 2, "letter": "u", "name": "Lower limit", "a": "000023",
         "b": "000230", "kind": "changed", "suspect": {"a": null, "b": null}}])");
    EXPECT_EQ(doc["differences"], expected) << doc.dump(1);
}

TEST_F(DiffCommand, OnlyInOneSideAndAnotherDeviceTypeFirst) {
    DumpBuilder fewer("E20");
    fewer.Add('d', Value(1)).Add('h', Value(2));
    fewer.Program(1).Add('J', Value(11)).Add('N', Value(12)).Add('u', Value(13));
    const std::string a = File("a.KDM", Device());
    const std::string b = File("b.KDM", fewer.Text());

    const CliResult text = Cli({"diff", a, b});
    EXPECT_EQ(text.exitCode, 1) << text.err;
    EXPECT_EQ(text.out.substr(0, text.out.find("\n\n")),
              "A: " + a + "\nB: " + b + "\nDevice type differs: 1 in A, 10 in B");
    EXPECT_EQ(TableLines(text.out), (std::vector<std::string>{
                                        "block    program  letter  name         A       B",
                                        "program  2        P       Program no.  000002  (none)",
                                    }));
    EXPECT_NE(text.out.find("\n1 difference (1 only in A), and the device type\n"), std::string::npos)
        << text.out;

    const CliResult json = Cli({"diff", b, a, "--format", "json"});
    ASSERT_EQ(json.exitCode, 1) << json.err;
    const nlohmann::json doc = nlohmann::json::parse(json.out);
    EXPECT_EQ(doc["deviceType"], (nlohmann::json{{"a", 10}, {"b", 1}}));
    ASSERT_EQ(doc["differences"].size(), 1u);
    EXPECT_EQ(doc["differences"][0]["kind"], "onlyB");
    EXPECT_EQ(doc["differences"][0]["a"], nullptr);
    EXPECT_EQ(doc["differences"][0]["b"], "000002");

    // The type alone differing is a difference too.
    const std::string c = File("c.KDM", Device(0, "E20"));
    const CliResult typeOnly = Cli({"diff", a, c});
    EXPECT_EQ(typeOnly.exitCode, 1) << typeOnly.err;
    EXPECT_NE(typeOnly.out.find("Device type differs: 1 in A, 10 in B\n"), std::string::npos);
    EXPECT_NE(typeOnly.out.find("only the device type differs"), std::string::npos) << typeOnly.out;
}

TEST_F(DiffCommand, ValuesThatCannotBeTrustedAreDifferencesAndSaySo) {
    DumpBuilder marked("I10");
    marked.Add('d', Value(1)).Add('h', Value(2), true);
    marked.Program(1).Add('J', Value(11)).Add('N', Value(12)).Add('u', Value(13));
    marked.Program(2).Add('J', Value(21)).Add('N', Value(22)).Add('u', Value(23));
    const std::string a = File("a.KDM", Device());
    const std::string b = File("b.KDM", marked.Text());

    const CliResult text = Cli({"diff", a, b});
    EXPECT_EQ(text.exitCode, 1) << text.err;
    EXPECT_EQ(TableLines(text.out), (std::vector<std::string>{
                                        "block   program  letter  name      A       B",
                                        "system           h       Language  000002  000002 !!!",
                                    }));
    EXPECT_NE(text.out.find("1 difference (1 alike but not to be trusted)\n !!! marks a value"),
              std::string::npos)
        << text.out;

    const CliResult json = Cli({"diff", a, b, "--format", "json"});
    ASSERT_EQ(json.exitCode, 1) << json.err;
    const nlohmann::json difference = nlohmann::json::parse(json.out)["differences"].at(0);
    EXPECT_EQ(difference["kind"], "suspect");
    EXPECT_EQ(difference["suspect"], (nlohmann::json{{"a", nullptr}, {"b", "mismatch"}}));

    // A file against itself agrees only while nothing in it is marked.
    EXPECT_EQ(Cli({"diff", a, a}).exitCode, 0);
    EXPECT_EQ(Cli({"diff", b, b}).exitCode, 1);
}

TEST_F(DiffCommand, TroubleExitsTwo) {
    const std::string a = File("a.KDM", Device());
    const CliResult missing = Cli({"diff", a, dir_.File("missing.KDM")});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find("missing.KDM"), std::string::npos) << missing.err;

    EXPECT_EQ(Cli({"diff", a}).exitCode, 2);                         // nothing to compare with
    EXPECT_EQ(Cli({"diff", a, a, "--device"}).exitCode, 2);          // two things
    EXPECT_EQ(Cli({"diff", a, a, "--port", "COM1"}).exitCode, 2);    // --port without --device
    EXPECT_EQ(Cli({"diff", a, a, "--format", "yaml"}).exitCode, 2);  // no such format
    // No device behind the port: the search fails, nothing is compared.
    const CliResult noDevice = Cli({"diff", a, "--device", "--port", "COM4", "-q"});
    EXPECT_EQ(noDevice.exitCode, 2);
    EXPECT_EQ(noDevice.out, "");
    EXPECT_NE(noDevice.err.find("COM4"), std::string::npos) << noDevice.err;
}

// Two files of noise: each lists only its first 1024 records shorter than a frame. What was not
// compared is counted, and such files are never called the same, not even a file and itself.
TEST_F(DiffCommand, WhatANoisyFileLeavesUncomparedIsCounted) {
    const std::string noise = File("noise.KDM", DumpBuilder("I10").Text() + std::string(3000, '\x02'));
    const std::size_t unlisted = 3000 - 14 - 1024;

    const CliResult text = Cli({"diff", noise, noise});
    EXPECT_EQ(text.exitCode, 1) << text.err;
    EXPECT_NE(text.out.find("Not compared: " + std::to_string(unlisted) + " parameters of A and " +
                            std::to_string(unlisted) + " of B"),
              std::string::npos)
        << text.out;

    const CliResult json = Cli({"diff", noise, File("a.KDM", Device()), "--format", "json"});
    EXPECT_EQ(json.exitCode, 1) << json.err;
    EXPECT_EQ(nlohmann::json::parse(json.out)["notCompared"], (nlohmann::json{{"a", unlisted}, {"b", 0}}));
    // A file that lists everything carries no such member.
    const CliResult plain =
        Cli({"diff", File("b.KDM", Device()), File("c.KDM", Device(1)), "--format", "json"});
    EXPECT_FALSE(nlohmann::json::parse(plain.out).contains("notCompared"));
}

}  // namespace
