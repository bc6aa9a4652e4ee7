// kdmxp-cli set: changes values of a data file offline, so that the file still reads as a device sent
// it, and saves the result as a new file or in place. Every setting is checked before anything is
// written: one refused setting leaves every file as it was.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/setting_argument.h"
#include "data/parameter_edit.h"
#include "data/parameter_model.h"
#include "data/write_check.h"
#include "files/data_file.h"
#include "files/data_file_name.h"
#include "platform/atomic_save.h"

namespace kdmcli {
namespace {

struct SetOptions {
    std::string file;
    std::vector<std::string> settings;
    std::string output;
    bool inPlace = false;
    bool quiet = false;
};

std::string Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

// "P12 V Gain 1" or "h Pulse length": what the user set, and the name the tables show for it.
std::string Describe(const kdm::ParameterSet& set, const kdm::ParameterAddress& where) {
    std::string said;
    const kdm::Parameter* parameter = nullptr;
    if (where.program) {
        said = "P" + std::to_string(*where.program) + " ";
        if (const kdm::Program* program = set.FindProgram(*where.program))
            parameter = program->Find(where.letter);
    } else {
        parameter = set.FindSystemParameter(where.letter);
    }
    said += where.letter;
    const std::string name = parameter != nullptr ? Trimmed(parameter->Name()) : std::string();
    if (!name.empty()) said += " " + name;
    return said;
}

std::string RefusalText(kdm::EditRefusal refusal, const kdm::ParameterAddress& where) {
    const std::string letter(1, where.letter);
    const std::string block =
        where.program ? "program " + std::to_string(*where.program) : "the system block";
    switch (refusal) {
        case kdm::EditRefusal::kBadValue:
            return "the value must be an optional sign and 1 to 6 digits";
        case kdm::EditRefusal::kNoSuchProgram:
            return "the file holds no program " + std::to_string(where.program.value_or(0));
        case kdm::EditRefusal::kNoSuchLetter:
            return block + " holds no parameter " + letter;
        case kdm::EditRefusal::kDamagedRecord:
            return "the record of " + letter + " in " + block +
                   " is damaged (not a whole telegram) and cannot be set";
        case kdm::EditRefusal::kNone:
            break;
    }
    return {};
}

int RunSet(const SetOptions& options) {
    if (options.output.empty() && !options.inPlace) {
        std::fprintf(stderr,
                     "kdmxp-cli set: nothing written: give -o OUT for a new file or --in-place to change "
                     "%s\n",
                     options.file.c_str());
        return kExitUsage;
    }
    std::string text;
    std::string reason;
    long length = 0;
    if (!kdm::ReadWholeFile(options.file, text, length, reason)) {
        std::fprintf(stderr, "kdmxp-cli set: %s\n", reason.c_str());
        return kExitFailure;
    }
    // Saving would drop whatever follows a NUL byte.
    if (static_cast<std::size_t>(length) > text.size()) {
        std::fprintf(stderr, "kdmxp-cli set: %s holds a NUL byte; saving would drop what follows it\n",
                     options.file.c_str());
        return kExitFailure;
    }
    kdm::ParsedParameterSet parsed = kdm::ParseParameterSet(text);
    if (!parsed.ok) {
        std::fprintf(stderr, "kdmxp-cli set: %s: %s\n", options.file.c_str(), parsed.reason.c_str());
        return kExitFailure;
    }
    if (!kdm::HasIdentificationTelegram(parsed.set)) {
        std::fprintf(stderr,
                     "kdmxp-cli set: %s: not a data file (it does not begin with an identification "
                     "telegram)\n",
                     options.file.c_str());
        return kExitFailure;
    }
    kdm::ParameterSet set = std::move(parsed.set);

    // Each setting applies to the text the ones before it left, so that a later one wins.
    std::vector<std::string> changes;
    bool refused = false;
    for (const std::string& argument : options.settings) {
        const std::optional<Setting> setting = ParseSetting(argument);
        if (!setting) {
            std::fprintf(stderr, "kdmxp-cli set: %s: a setting is LETTER=VALUE or P<number>:LETTER=VALUE\n",
                         argument.c_str());
            refused = true;
            continue;
        }
        const kdm::EditPlan plan = kdm::PlanEdit(text, set, setting->where, setting->value);
        if (!plan.Ok()) {
            std::fprintf(stderr, "kdmxp-cli set: %s: %s\n", argument.c_str(),
                         RefusalText(plan.refusal, setting->where).c_str());
            refused = true;
            continue;
        }
        changes.push_back(Describe(set, setting->where) + ": " + plan.edit.oldValue + " -> " +
                          plan.edit.newValue);
        kdm::ApplyEdit(text, plan.edit);
        set = kdm::ParseParameterSet(text).set;
    }
    if (refused) {
        std::fprintf(stderr, "kdmxp-cli set: nothing written\n");
        return kExitUsage;
    }

    const std::string& destination = options.inPlace ? options.file : options.output;
    if (!kdm::SaveBytesAtomically(destination, text, reason)) {
        std::fprintf(stderr, "kdmxp-cli set: %s\n", reason.c_str());
        return kExitFailure;
    }
    if (!options.quiet) {
        for (const std::string& change : changes)
            std::printf("%s\n", change.c_str());
    }
    return kExitOk;
}

}  // namespace

void RegisterSet(CLI::App& app, Context& /*context*/, int& exitCode) {
    auto options = std::make_shared<SetOptions>();
    CLI::App* set = app.add_subcommand(
        "set",
        "Change values of a data file offline. Each SETTING is LETTER=VALUE for a system parameter or\n"
        "P<number>:LETTER=VALUE for a parameter of that program (the number and letter the tables show);\n"
        "VALUE is an optional sign and 1 to 6 digits (5 is stored as +000005). The record becomes what a\n"
        "read of a device holding the value would store; every other byte stays. Prints each change\n"
        "(\"P12 V Gain 1: -000100 -> -000150\"). A setting that is refused (a bad value, a program or\n"
        "letter the file does not hold, a damaged record) is named, nothing is written, exit status 2.");
    set->add_option("FILE", options->file, "Data file (.KDM)")->required();
    set->add_option("SETTING", options->settings, "LETTER=VALUE or P<number>:LETTER=VALUE")
        ->required()
        ->expected(1, -1);
    CLI::Option* output =
        set->add_option("-o,--output", options->output, "Save the changed file as OUT; FILE stays as it is")
            ->type_name("OUT");
    set->add_flag("--in-place", options->inPlace, "Replace FILE, keeping its mode")->excludes(output);
    set->add_flag("-q,--quiet", options->quiet, "Print nothing but errors");
    set->callback([options, &exitCode] {
        options->file = kdm::ResolveDataFileName(options->file, "KDM");
        exitCode = RunSet(*options);
    });
}

}  // namespace kdmcli
