// Laptops for the device-history tests: each one is a folder standing for XDG_DATA_HOME and a user
// name, all of them on this machine and reaching one simulated device through one port directory.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/dump_builder.h"
#include "support/sim_process.h"

namespace kdmtest {

struct Laptop {
    const char* folder;
    const char* user;
};
inline constexpr Laptop kLaptopA{"laptop-a", "anna"};
inline constexpr Laptop kLaptopB{"laptop-b", "bert"};

class HistoryLaptops : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(root.Path().empty());
        ports = root.File("ports");
        settings = root.File("settings");
        work = root.File("work");
        for (const std::string& dir : {ports, settings, work})
            std::filesystem::create_directories(dir);
        // kdmxp-cli keeps KDM.tmp in its working directory, which it inherits from this process.
        previous = std::filesystem::current_path();
        std::filesystem::current_path(work);
        if (RunProcess({"/bin/sh", "-c", "command -v git"}, {}, 30000).exitCode != 0)
            GTEST_SKIP() << "the git program is not installed";
    }
    void TearDown() override {
        sim.Stop();
        std::filesystem::current_path(previous);
    }

    // A device of type 2 ("I1P") with `system` system parameters and `programs` programs of
    // `perProgram` parameters each; `seed` varies the values.
    static std::string DeviceFile(int system, int programs, int perProgram, int seed) {
        static const char kSystemLetters[] = "abcdehijkmnoqrtuvwxyz";
        static const char kProgramLetters[] = "ABCDEHIJKLMNOQRSTUVW";
        DumpBuilder dump("I1P");
        for (int i = 0; i < system; ++i)
            dump.Add(kSystemLetters[i % 21], Value(seed * 1000 + i));
        for (int p = 1; p <= programs; ++p) {
            dump.Program(p);
            for (int i = 0; i < perProgram; ++i)
                dump.Add(kProgramLetters[i % 20], Value(seed * 1000 + p * 50 + i));
        }
        return dump.Text();
    }
    static void WriteFile(const std::string& path, const std::string& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    static std::string HostName() {
        char host[256] = {};
        ::gethostname(host, sizeof host - 1);
        return host;
    }

    std::string SimLog() const { return root.File("sim.log"); }
    // A simulator without pacing holding `file`, logging to SimLog().
    void StartSimWith(const std::string& file, std::vector<std::string> extra = {}) {
        WriteFile(root.File("device.KDM"), file);
        std::vector<std::string> args = {"--no-pacing", "--load", root.File("device.KDM"), "--log", SimLog()};
        args.insert(args.end(), extra.begin(), extra.end());
        std::string error;
        ASSERT_TRUE(sim.Start(ports, 1, args, &error)) << error;
    }

    std::string DataHome(const Laptop& laptop) const { return root.File(laptop.folder); }
    std::string HistoryOf(const Laptop& laptop) const { return DataHome(laptop) + "/kdmxp/history"; }

    // kdmxp-cli on `laptop`: its own history, the shared port directory and settings.
    CliResult Cli(const Laptop& laptop, const std::vector<std::string>& args, int timeoutMs = 120000) const {
        return CliIn(DataHome(laptop), laptop.user, args, timeoutMs);
    }
    CliResult CliIn(const std::string& dataHome, const std::string& user,
                    const std::vector<std::string>& args, int timeoutMs = 120000) const {
        std::vector<std::string> argv = {KDMXP_CLI_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        return RunProcess(argv, Environment(dataHome, user), timeoutMs);
    }
    std::vector<std::string> Environment(const std::string& dataHome, const std::string& user) const {
        return {"KDMXP_PORT_DIR=" + ports, "KDMXP_SETTINGS_DIR=" + settings, "XDG_DATA_HOME=" + dataHome,
                "USER=" + user};
    }

    // `history --json` of `laptop`; a failed run fails the test and gives null.
    nlohmann::json ListJson(const Laptop& laptop, std::vector<std::string> extra = {}) const {
        std::vector<std::string> args = {"history", "--json"};
        args.insert(args.end(), extra.begin(), extra.end());
        const CliResult listed = Cli(laptop, args);
        EXPECT_EQ(listed.exitCode, 0) << listed.err;
        nlohmann::json document = nlohmann::json::parse(listed.out, nullptr, false);
        EXPECT_FALSE(document.is_discarded()) << listed.out;
        return document.is_discarded() ? nlohmann::json() : document;
    }

    // The data files in the folder of `laptop`'s history.
    std::vector<std::string> DataFilesIn(const Laptop& laptop) const {
        std::vector<std::string> files;
        const std::string devices = HistoryOf(laptop) + "/devices";
        if (!std::filesystem::exists(devices)) return files;
        for (const auto& item : std::filesystem::recursive_directory_iterator(devices))
            if (item.is_regular_file()) files.push_back(item.path().string());
        std::sort(files.begin(), files.end());
        return files;
    }

    TempDir root;
    std::string ports, settings, work;
    std::filesystem::path previous;
    SimProcess sim;
};

}  // namespace kdmtest
