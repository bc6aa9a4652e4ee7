#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace kdmcli {
namespace {

// Letters to change, add or drop to turn one word into the other.
std::size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

}  // namespace

int RefuseUnknownCommand(const CLI::App& app, int argc, const char* const* argv) {
    if (argc <= 1) {
        std::fputs(app.help().c_str(), stdout);
        return kExitUsage;
    }
    const std::string given = argv[1];
    if (given.empty() || given.front() == '-') return -1;
    std::vector<std::string> names;
    for (const CLI::App* command : app.get_subcommands([](const CLI::App*) { return true; })) {
        if (command->check_name(given)) return -1;
        names.push_back(command->get_name());
    }
    std::string text = "kdmxp-cli: unknown command '" + given + "'\n";
    // A slip of a letter or two names the command meant.
    std::string closest;
    std::size_t best = 3;
    for (const std::string& name : names) {
        const std::size_t distance = EditDistance(given, name);
        if (distance < best) {
            best = distance;
            closest = name;
        }
    }
    if (!closest.empty()) text += "Did you mean '" + closest + "'?\n";
    text += "Commands:";
    for (const std::string& name : names)
        text += " " + name;
    text += "\nSee kdmxp-cli --help, or kdmxp-cli COMMAND --help.\n";
    std::fputs(text.c_str(), stderr);
    return kExitUsage;
}

}  // namespace kdmcli
