// kdmxp-cli show, run as a program on built data files.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/dump_builder.h"

namespace {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ShowCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        if (::access(KDMXP_CLI_PATH, X_OK) != 0) GTEST_SKIP() << "kdmxp-cli is not built";
        char pattern[] = "/tmp/kdmxp-show-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
        // The command must never touch the real settings or ports.
        ::setenv("KDMXP_SETTINGS_DIR", (dir_ + "/settings").c_str(), 1);
        ::setenv("KDMXP_PORT_DIR", (dir_ + "/ports").c_str(), 1);
    }
    void TearDown() override {
        if (!dir_.empty()) {
            EXPECT_EQ(std::system(("rm -rf '" + dir_ + "'").c_str()), 0);
        }
    }

    std::string WriteFile(const std::string& name, const std::string& bytes) {
        const std::string path = dir_ + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    CliRun Cli(const std::vector<std::string>& args) {
        CliRun run;
        const std::string out = dir_ + "/stdout";
        const std::string err = dir_ + "/stderr";
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (o < 0 || e < 0 || ::dup2(o, 1) < 0 || ::dup2(e, 2) < 0) ::_exit(126);
            std::vector<char*> argv;
            std::string program = KDMXP_CLI_PATH;
            argv.push_back(program.data());
            std::vector<std::string> copies = args;
            for (std::string& a : copies)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(KDMXP_CLI_PATH, argv.data());
            ::_exit(127);
        }
        int status = 0;
        if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status))
            run.exitCode = WEXITSTATUS(status);
        run.out = Slurp(out);
        run.err = Slurp(err);
        return run;
    }

    std::string dir_;
};

std::string SampleDump() {
    kdmtest::DumpBuilder dump("I10");
    dump.Add('d', "+000001--")
        .Add('e', "+12,456--")
        .Add('v', "+1\"3456--")
        .Add('h',
             "+\xe4"
             "23456--",
             true);
    dump.Program(1).Add('N', "+000123--").Add('#', "+0\r\n456--");
    dump.Program(2).Add('u', "-000050--");
    return dump.Text();
}

TEST_F(ShowCommand, GridJsonHoldsEveryCell) {
    const CliRun run = Cli({"show", WriteFile("a.kdm", SampleDump()), "--format", "grid-json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const nlohmann::json doc = nlohmann::json::parse(run.out);
    ASSERT_EQ(doc.size(), 4u);
    EXPECT_EQ(doc["type"], 1);
    EXPECT_EQ(doc["heading"], "0g+I10000--");
    ASSERT_EQ(doc["system"].size(), 25u);
    ASSERT_EQ(doc["program"].size(), 257u);
    for (const auto& row : doc["system"])
        ASSERT_EQ(row.size(), 3u);
    for (const auto& row : doc["program"])
        ASSERT_EQ(row.size(), 19u);
    EXPECT_EQ(doc["system"][0][0], "System parameter");
    EXPECT_EQ(doc["system"][0][2], "0g+I10000--");
    EXPECT_EQ(doc["system"][1][0], "Mode");
    EXPECT_EQ(doc["system"][1][2], " 000001  ");
    // Byte 0xE4 is the Latin-1 character U+00E4.
    EXPECT_EQ(doc["system"][4][2],
              " \xc3\xa4"
              "23456  ");
    EXPECT_EQ(doc["system"][5][0], "");
    EXPECT_EQ(doc["program"][0][0], "Program no.");
    EXPECT_EQ(doc["program"][2][2], " 000123  ");
    EXPECT_EQ(doc["program"][3][3], "-000050  ");
    EXPECT_EQ(doc["program"][2][15], " 0\r\n456  ");
    EXPECT_EQ(doc["program"][256][18], "");
}

TEST_F(ShowCommand, GridCsvFollowsRfc4180) {
    const std::string path = WriteFile("a.kdm", SampleDump());
    const CliRun systemCsv = Cli({"show", path, "--format", "grid-csv", "--table", "system"});
    ASSERT_EQ(systemCsv.exitCode, 0) << systemCsv.err;
    const std::string expectedStart =
        "System parameter,,0g+I10000--\r\n"
        "Mode,d, 000001  \r\n"
        "operating,e,\" 12,456  \"\r\n"
        "Dimension,v,\" 1\"\"3456  \"\r\n"
        "Language,h, \xc3\xa4"
        "23456  \r\n"
        ",,\r\n";
    EXPECT_EQ(systemCsv.out.substr(0, expectedStart.size()), expectedStart);
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = systemCsv.out.find("\r\n", at)) != std::string::npos; at += 2)
        ++lines;
    EXPECT_EQ(lines, 25u);

    const CliRun programCsv = Cli({"show", path, "--format", "grid-csv", "--table", "program"});
    ASSERT_EQ(programCsv.exitCode, 0) << programCsv.err;
    EXPECT_EQ(programCsv.out.substr(0, 21), "Program no.,,Nominal,");
    EXPECT_NE(programCsv.out.find(",\" 0\r\n456  \",,,\r\n"), std::string::npos);
}

TEST_F(ShowCommand, TextForATerminal) {
    const CliRun run = Cli({"show", WriteFile("a.kdm", SampleDump())});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("Device type: 1\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Identification: 0g+I10000--\n"), std::string::npos);
    EXPECT_NE(run.out.find("Checksum mismatch in 1 "), std::string::npos);
    EXPECT_NE(run.out.find("Mode              d   000001\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("<CR><LF>"), std::string::npos);
    EXPECT_NE(run.out.find(" \xc3\xa4"
                           "23456   !!!\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find('\r'), std::string::npos);
    // Only program columns with content: 0, 2, 3 and the unlisted 15.
    EXPECT_EQ(run.out.find("Sensor no."), std::string::npos);
}

TEST_F(ShowCommand, UnreadableFileWritesNothingToStdout) {
    const CliRun missing = Cli({"show", dir_ + "/none.kdm", "--format", "json"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find("cannot open " + dir_ + "/none.kdm: No such file or directory"),
              std::string::npos)
        << missing.err;

    const CliRun dirRun = Cli({"show", dir_});
    EXPECT_EQ(dirRun.exitCode, 1);
    EXPECT_EQ(dirRun.out, "");

    const CliRun badFormat = Cli({"show", WriteFile("a.kdm", SampleDump()), "--format", "xml"});
    EXPECT_EQ(badFormat.exitCode, 2);
    EXPECT_EQ(badFormat.out, "");
}

TEST_F(ShowCommand, UnknownDeviceShowsOnlyTheHeading) {
    const CliRun run =
        Cli({"show", WriteFile("x.kdm", kdmtest::DumpBuilder("Q77").Add('d', "+000001--").Text()), "--format",
             "grid-json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const nlohmann::json doc = nlohmann::json::parse(run.out);
    EXPECT_EQ(doc["type"], 0);
    EXPECT_EQ(doc["system"][0][0], "");
    EXPECT_EQ(doc["system"][0][2], "0g+Q77000--");
    EXPECT_EQ(doc["system"][1][2], "");
    EXPECT_EQ(doc["program"][0][0], "");
}

TEST_F(ShowCommand, JsonIsTheParameterDocument) {
    const CliRun run = Cli({"show", WriteFile("a.kdm", SampleDump()), "--format", "json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ASSERT_EQ(run.out.back(), '\n');
    const nlohmann::json doc = nlohmann::json::parse(run.out);
    EXPECT_EQ(doc["format"], "kdmxp-parameters");
    EXPECT_EQ(doc["version"], 1);
    EXPECT_EQ(doc["deviceType"], 1);
    EXPECT_EQ(doc["identification"]["heading"], "0g+I10000--");
    EXPECT_EQ(doc["identification"]["deviceCode"], "I10");
    EXPECT_EQ(doc["identification"]["telegram"], kdmtest::TelegramChars('g', "+I10000--"));
    EXPECT_EQ(doc["records"], 10);
    EXPECT_EQ(doc["suspectTelegrams"]["mismatch"], 1);
    EXPECT_EQ(doc["suspectTelegrams"]["damaged"], 0);

    const nlohmann::json& system = doc["system"];
    ASSERT_EQ(system.size(), 4u);
    EXPECT_EQ(system[0]["letter"], "d");
    EXPECT_EQ(system[0]["name"], "Mode");
    EXPECT_EQ(system[0]["value"], "000001");
    EXPECT_TRUE(system[0]["suspect"].is_null());
    EXPECT_EQ(system[0]["record"], 2);
    EXPECT_EQ(system[0]["telegram"], kdmtest::TelegramChars('d', "+000001--"));
    EXPECT_EQ(system[1]["value"], "12,456");
    EXPECT_EQ(system[2]["value"], "1\"3456");
    EXPECT_EQ(system[3]["name"], "Language");
    EXPECT_EQ(system[3]["value"],
              "\xc3\xa4"
              "23456");
    EXPECT_EQ(system[3]["suspect"], "mismatch");

    const nlohmann::json& programs = doc["programs"];
    ASSERT_EQ(programs.size(), 2u);
    EXPECT_EQ(programs[0]["number"], 1);
    EXPECT_EQ(programs[0]["numberText"], "000001");
    EXPECT_EQ(programs[0]["record"], 6);
    EXPECT_TRUE(programs[0]["suspect"].is_null());
    ASSERT_EQ(programs[0]["parameters"].size(), 2u);
    EXPECT_EQ(programs[0]["parameters"][0]["letter"], "N");
    EXPECT_EQ(programs[0]["parameters"][0]["name"], "Nominal");
    EXPECT_EQ(programs[0]["parameters"][0]["value"], "000123");
    // An unlisted letter: no name, the value unpadded, control bytes as they are.
    EXPECT_EQ(programs[0]["parameters"][1]["letter"], "#");
    EXPECT_EQ(programs[0]["parameters"][1]["name"], "");
    EXPECT_EQ(programs[0]["parameters"][1]["value"], "0\r\n456");
    EXPECT_EQ(programs[1]["number"], 2);
    EXPECT_EQ(programs[1]["parameters"][0]["name"], "Lower limit");
    EXPECT_EQ(programs[1]["parameters"][0]["value"], "-000050");
    EXPECT_EQ(programs[1]["parameters"][0]["record"], 10);
}

TEST_F(ShowCommand, JsonFlagsDamagedTelegramsAndUnknownDevices) {
    // A record cut short by the next one: the tables show what its 14 characters hold, the flag tells
    // they cannot be trusted.
    const std::string cut = kdmtest::DumpBuilder("I10")
                                .Add('d', "+000001--")
                                .Raw(
                                    "\x02"
                                    "0e+0001")
                                .Add('v', "+000002--")
                                .Text();
    const CliRun run = Cli({"show", WriteFile("cut.kdm", cut), "--format", "json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const nlohmann::json doc = nlohmann::json::parse(run.out);
    EXPECT_EQ(doc["suspectTelegrams"]["damaged"], 1);
    ASSERT_EQ(doc["system"].size(), 3u);
    EXPECT_TRUE(doc["system"][0]["suspect"].is_null());
    EXPECT_EQ(doc["system"][1]["letter"], "e");
    EXPECT_EQ(doc["system"][1]["suspect"], "damaged");
    EXPECT_EQ(doc["system"][1]["record"], 3);
    EXPECT_TRUE(doc["system"][2]["suspect"].is_null());
    EXPECT_EQ(doc["system"][2]["value"], "000002");

    const CliRun unknown =
        Cli({"show", WriteFile("x.kdm", kdmtest::DumpBuilder("Q77").Add('d', "+000001--").Text()), "--format",
             "json"});
    ASSERT_EQ(unknown.exitCode, 0) << unknown.err;
    const nlohmann::json other = nlohmann::json::parse(unknown.out);
    EXPECT_EQ(other["deviceType"], 0);
    ASSERT_EQ(other["system"].size(), 1u);
    EXPECT_EQ(other["system"][0]["name"], "");
    EXPECT_EQ(other["system"][0]["value"], "000001");
    EXPECT_EQ(other["programs"].size(), 0u);
}

TEST_F(ShowCommand, CsvHasOneLinePerParameter) {
    const std::string path = WriteFile("a.kdm", SampleDump());
    const CliRun run = Cli({"show", path, "--format", "csv"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string expected =
        "block,program,letter,name,value,suspect\n"
        "system,,d,Mode,000001,\n"
        "system,,e,operating,\"12,456\",\n"
        "system,,v,Dimension,\"1\"\"3456\",\n"
        "system,,h,Language,\xc3\xa4"
        "23456,mismatch\n"
        "program,000001,P,Program no.,000001,\n"
        "program,000001,N,Nominal,000123,\n"
        "program,000001,#,,0<CR><LF>456,\n"
        "program,000002,P,Program no.,000002,\n"
        "program,000002,u,Lower limit,-000050,\n";
    EXPECT_EQ(run.out, expected);

    const CliRun system = Cli({"show", path, "--format", "csv", "--table", "system"});
    ASSERT_EQ(system.exitCode, 0) << system.err;
    const std::size_t programs = expected.find("\nprogram,") + 1;
    EXPECT_EQ(system.out, expected.substr(0, programs));
    const CliRun program = Cli({"show", path, "--format", "csv", "--table", "program"});
    ASSERT_EQ(program.exitCode, 0) << program.err;
    EXPECT_EQ(program.out, "block,program,letter,name,value,suspect\n" + expected.substr(programs));
}

// A value carrying control bytes, as a damaged file can: ESC would start an escape sequence on the
// terminal that shows the output, CR would overwrite the line.
TEST_F(ShowCommand, CsvAndTextShowControlBytesByName) {
    kdmtest::DumpBuilder dump("I10");
    dump.Add('d', "+0\x1b[2J0--")
        .Program(1)
        .Add('N',
             "+00\r0\x07"
             "0--");
    const std::string path = WriteFile("esc.kdm", dump.Text());
    for (const char* format : {"csv", "text"}) {
        const CliRun run = Cli({"show", path, "--format", format});
        ASSERT_EQ(run.exitCode, 0) << format << ": " << run.err;
        EXPECT_EQ(run.out.find('\x1b'), std::string::npos) << format;
        EXPECT_EQ(run.out.find('\x07'), std::string::npos) << format;
        EXPECT_EQ(run.out.find('\r'), std::string::npos) << format;
        EXPECT_NE(run.out.find("0<ESC>[2J0"), std::string::npos) << format << ": " << run.out;
        EXPECT_NE(run.out.find("00<CR>0<BEL>0"), std::string::npos) << format << ": " << run.out;
    }
    // The JSON document keeps the bytes (JSON escapes them), so scripts get the value itself.
    const CliRun json = Cli({"show", path, "--format", "json"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_EQ(nlohmann::json::parse(json.out)["system"][0]["value"], "0\x1b[2J0");
}

TEST_F(ShowCommand, AFileWithoutIdentificationIsNotADataFile) {
    const std::string valid = SampleDump();
    for (const auto& [name, bytes] : std::vector<std::pair<std::string, std::string>>{
             {"empty.kdm", ""},
             {"garbage.kdm", "\x89PNG\r\n\x1a\n not parameters at all"},
             {"headless.kdm", valid.substr(18)}}) {
        for (const char* format : {"text", "json", "csv", "grid-json", "grid-csv"}) {
            const CliRun run = Cli({"show", WriteFile(name, bytes), "--format", format});
            EXPECT_EQ(run.exitCode, 1) << name << " " << format;
            EXPECT_EQ(run.out, "") << name << " " << format;
            EXPECT_NE(run.err.find(name + ": not a data file"), std::string::npos) << run.err;
        }
    }
}

std::string ProgramsDump(int count) {
    kdmtest::DumpBuilder dump("I10");
    dump.Add('d', "+000001--");
    for (int p = 1; p <= count; ++p)
        dump.Program(p).Add('N', kdmtest::Value(p));
    return dump.Text();
}

TEST_F(ShowCommand, ProgramsPastTheTableAreCountedAndTheExitStatusSaysSo) {
    const std::string full = WriteFile("full.kdm", ProgramsDump(255));
    const CliRun fits = Cli({"show", full});
    EXPECT_EQ(fits.exitCode, 0) << fits.err;
    EXPECT_EQ(fits.out.find("not shown"), std::string::npos);

    const std::string path = WriteFile("many.kdm", ProgramsDump(300));
    const CliRun text = Cli({"show", path});
    EXPECT_EQ(text.exitCode, 2) << text.err;
    EXPECT_NE(text.out.find("45 programs past the 255th not shown"), std::string::npos)
        << text.out.substr(0, 300);
    // The last row shown is program 255 (the tables follow the notes, after the first blank line; the
    // notes name the first program a device cannot hold).
    const std::string tables = text.out.substr(text.out.find("\n\n"));
    EXPECT_NE(tables.find("000255"), std::string::npos);
    EXPECT_EQ(tables.find("000256"), std::string::npos);
    EXPECT_NE(text.out.find("This file cannot be written into a device as it stands:\n"
                            "  record 513, program 000256, letter P: the file holds 300 programs"),
              std::string::npos)
        << text.out.substr(0, 400);

    const CliRun grid = Cli({"show", path, "--format", "grid-csv", "--table", "program"});
    EXPECT_EQ(grid.exitCode, 2);
    EXPECT_NE(grid.err.find("45 programs past the 255th not shown"), std::string::npos) << grid.err;
    const CliRun gridJson = Cli({"show", path, "--format", "grid-json"});
    EXPECT_EQ(gridJson.exitCode, 2);
    EXPECT_EQ(nlohmann::json::parse(gridJson.out)["program"].size(), 257u);
    // The system table alone leaves nothing out.
    EXPECT_EQ(Cli({"show", path, "--table", "system"}).exitCode, 0);

    // The parameter document lists every program.
    const CliRun json = Cli({"show", path, "--format", "json"});
    EXPECT_EQ(json.exitCode, 0) << json.err;
    EXPECT_EQ(nlohmann::json::parse(json.out)["programs"].size(), 300u);
}

// A file of noise (every byte an STX) would list a parameter per byte: csv and json list the system
// section's first 1024 records shorter than a frame, say on stderr how many more there are, and exit 2.
// The tables have their own bounds and say nothing more.
TEST_F(ShowCommand, NoiseIsListedOnlySoFarAndWhatIsLeftOutIsSaid) {
    const std::string identification = kdmtest::DumpBuilder("I10").Text();
    const std::string path = WriteFile("noise.kdm", identification + std::string(3000, '\x02'));
    // 3000 records; the last 14 bytes are no record the system table walks.
    const std::size_t unlisted = 3000 - 14 - 1024;

    const CliRun csv = Cli({"show", path, "--format", "csv"});
    EXPECT_EQ(csv.exitCode, 2);
    EXPECT_EQ(static_cast<std::size_t>(std::count(csv.out.begin(), csv.out.end(), '\n')), 1 + 1024u);
    EXPECT_NE(csv.err.find(std::to_string(unlisted) + " parameters not listed"), std::string::npos)
        << csv.err;

    const CliRun json = Cli({"show", path, "--format", "json"});
    EXPECT_EQ(json.exitCode, 2);
    EXPECT_EQ(nlohmann::json::parse(json.out)["system"].size(), 1024u);
    // The csv adds the write's verdict in a line of its own; json has it in its member "write".
    EXPECT_TRUE(csv.err.ends_with(json.err)) << csv.err;
    EXPECT_NE(json.err.find(std::to_string(unlisted) + " parameters not listed"), std::string::npos)
        << json.err;

    const CliRun text = Cli({"show", path});
    EXPECT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(text.err, "");
}

}  // namespace
