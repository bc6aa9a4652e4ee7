// kdmxp-cli show FILE: a data file as its two tables (text, or every cell as CSV or JSON), or as its
// parameters for scripts (JSON, CSV).
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/parameter_output.h"
#include "data/file_verdict.h"
#include "data/parameter_model.h"
#include "data/tables.h"
#include "data/write_check.h"
#include "files/data_file.h"
#include "files/data_file_name.h"
#include "link/visible_text.h"
#include "link/wire.h"

namespace kdmcli {
namespace {

// Control bytes would move the cursor, vanish, or (ESC) take over a terminal; they appear by name.
std::string Legible(std::string_view bytes) {
    return Latin1ToUtf8(kdm::VisibleText(bytes));
}

// Characters on screen of a UTF-8 text (every character here is one column wide).
std::size_t Width(std::string_view utf8) {
    std::size_t width = 0;
    for (const char c : utf8) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++width;
    }
    return width;
}

// One table, every cell, as RFC 4180 records (CR LF line ends).
std::string GridCsv(const kdm::TableContents& table) {
    std::string out;
    for (int row = 0; row < table.rows; ++row) {
        for (int col = 0; col < table.cols; ++col) {
            if (col > 0) out += ',';
            out += CsvField(table.Cell(row, col).text);
        }
        out += "\r\n";
    }
    return out;
}

nlohmann::ordered_json GridJsonTable(const kdm::TableContents& table) {
    nlohmann::ordered_json rows = nlohmann::ordered_json::array();
    for (int row = 0; row < table.rows; ++row) {
        nlohmann::ordered_json cells = nlohmann::ordered_json::array();
        for (int col = 0; col < table.cols; ++col)
            cells.push_back(Latin1ToUtf8(table.Cell(row, col).text));
        rows.push_back(std::move(cells));
    }
    return rows;
}

// A value from a telegram that failed its checksum or was damaged carries the file's own mark, so it is
// not taken for good.
std::string TextCell(const kdm::TableContents& table, int row, int col) {
    const kdm::TableCell& cell = table.Cell(row, col);
    std::string text = Legible(cell.text);
    if (cell.suspect != kdm::Suspect::kNone) text += kdm::kMismatchMark;
    return text;
}

// The rows and columns holding anything, aligned in columns two blanks apart.
std::string TextTable(const kdm::TableContents& grid) {
    std::vector<int> rows;
    std::vector<int> cols;
    for (int row = 0; row < grid.rows; ++row) {
        for (int col = 0; col < grid.cols; ++col) {
            if (!grid.Cell(row, col).text.empty()) {
                rows.push_back(row);
                break;
            }
        }
    }
    for (int col = 0; col < grid.cols; ++col) {
        for (int row = 0; row < grid.rows; ++row) {
            if (!grid.Cell(row, col).text.empty()) {
                cols.push_back(col);
                break;
            }
        }
    }
    std::vector<std::size_t> widths(cols.size(), 0);
    for (const int row : rows) {
        for (std::size_t i = 0; i < cols.size(); ++i) {
            widths[i] = std::max(widths[i], Width(TextCell(grid, row, cols[i])));
        }
    }
    std::string out;
    for (const int row : rows) {
        std::string line;
        for (std::size_t i = 0; i < cols.size(); ++i) {
            const std::string cell = TextCell(grid, row, cols[i]);
            if (i > 0) line += "  ";
            line += cell;
            line.append(widths[i] - Width(cell), ' ');
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out += line;
        out += '\n';
    }
    return out;
}

std::string UnlistedText(std::size_t unlisted) {
    return std::to_string(unlisted) + (unlisted == 1 ? " parameter" : " parameters") +
           " not listed: the file holds more than " + std::to_string(kdm::kMaxListedShortRecords) +
           " records shorter than a frame, which no read stores, and the list stops at the next one";
}

struct ShowOptions {
    std::string file;
    std::string format = "text";
    std::string table;
};

int RunShow(const ShowOptions& options) {
    std::string reason;
    std::string text;
    long length = 0;
    if (!kdm::ReadWholeFile(options.file, text, length, reason)) {
        std::cerr << "kdmxp-cli show: " << reason << '\n';
        return kExitFailure;
    }
    const kdm::ParsedParameterSet parsed = kdm::ParseParameterSetInPlace(std::move(text));
    if (!parsed.ok) {
        std::cerr << "kdmxp-cli show: " << options.file << ": " << parsed.reason << '\n';
        return kExitFailure;
    }
    const kdm::ParameterSet& set = parsed.set;
    if (!kdm::HasIdentificationTelegram(set)) {
        // Its tables would show nothing but a device type 0, which reads like an empty device.
        std::cerr << "kdmxp-cli show: " << options.file
                  << ": not a data file (it does not begin with an identification telegram)\n";
        return kExitFailure;
    }
    // The write's own judgement, so that show never calls a file sound that a write refuses.
    const kdm::FileJudgement judgement = kdm::JudgeDataFile(set);
    const kdm::FilledTables tables = kdm::FillTables(set);
    const kdm::TableContents& system = tables.system;
    const kdm::TableContents& program = tables.program;
    const int type = set.DeviceType();
    const std::string& heading = set.Heading();

    // Beside a document for scripts the verdict is one line on stderr; the text lists the findings.
    if (options.format != "text" && options.format != "json" &&
        judgement.verdict != kdm::FileVerdict::kWritable) {
        std::cerr << "kdmxp-cli show: " << options.file << ": "
                  << (judgement.verdict == kdm::FileVerdict::kRefused
                          ? "cannot be written into a device as it stands"
                          : "is written into a device only when the user allows it (--allow-suspect)")
                  << "; --format text lists why\n";
    }
    if (options.format == "json" || options.format == "csv") {
        if (options.format == "json") {
            nlohmann::ordered_json more = nlohmann::ordered_json::object();
            more["write"] = FileJudgementJson(judgement);
            WriteParameterSetJson(std::cout, set, more);
            std::cout << '\n';
        } else {
            const CsvBlocks blocks = options.table == "system"    ? CsvBlocks::kSystem
                                     : options.table == "program" ? CsvBlocks::kProgram
                                                                  : CsvBlocks::kBoth;
            WriteParameterSetCsv(std::cout, set, blocks);
        }
        std::cout.flush();
        // Noise that would make a row of every byte is listed only so far; what was left out is said.
        const std::size_t unlisted = set.UnlistedRecords();
        if (unlisted == 0) return kExitOk;
        std::cerr << "kdmxp-cli show: " << options.file << ": " << UnlistedText(unlisted) << '\n';
        return kExitNotAllShown;
    }
    // The program table has rows for 255 programs (the parameter formats above list every program):
    // a table that leaves some out says so, and the exit status too.
    const bool programTableShown = options.format == "grid-json" ||
                                   (options.format == "grid-csv" && options.table == "program") ||
                                   (options.format == "text" && options.table != "system");
    const int leftOut = programTableShown ? program.programsLeftOut : 0;
    const int shownStatus = leftOut > 0 ? kExitNotAllShown : kExitOk;
    const std::string leftOutText = std::to_string(leftOut) + (leftOut == 1 ? " program" : " programs") +
                                    " past the " + std::to_string(kdm::kMaxPrograms) +
                                    "th not shown: the program table has no rows for them";
    // Beside a document for scripts the note goes to stderr, so the document stays whole.
    if (leftOut > 0 && options.format != "text")
        std::cerr << "kdmxp-cli show: " << options.file << ": " << leftOutText << '\n';
    if (options.format == "grid-json") {
        const nlohmann::ordered_json document = {{"type", type},
                                                 {"heading", Latin1ToUtf8(heading)},
                                                 {"system", GridJsonTable(system)},
                                                 {"program", GridJsonTable(program)}};
        std::cout << document.dump() << '\n';
        return shownStatus;
    }
    if (options.format == "grid-csv") {
        std::cout << GridCsv(options.table == "program" ? program : system);
        return shownStatus;
    }
    std::string out =
        "Device type: " + std::to_string(type) + (type == 0 ? " (unknown device code)" : "") + "\n";
    out += "Identification: " + Legible(heading) + "\n";
    int mismatches = 0;
    int damaged = 0;
    for (const kdm::TableContents* table : {&system, &program}) {
        for (const std::vector<kdm::TableCell>& row : table->cells) {
            for (const kdm::TableCell& cell : row) {
                mismatches += cell.suspect == kdm::Suspect::kMismatch ? 1 : 0;
                damaged += cell.suspect == kdm::Suspect::kDamaged ? 1 : 0;
            }
        }
    }
    if (mismatches > 0) {
        out += "Checksum mismatch in " + std::to_string(mismatches) +
               " shown value(s): those records are marked \" !!!\" in the file\n";
    }
    if (damaged > 0) {
        out += "Damaged telegram behind " + std::to_string(damaged) +
               " shown value(s), marked \" !!!\" below: cut short, damaged on the line or not as a read "
               "stores it\n";
    }
    if (leftOut > 0) out += leftOutText + "\n";
    out += FileJudgementText(judgement, "This file");
    if (options.table != "program") out += "\n" + TextTable(system);
    if (options.table != "system") out += "\n" + TextTable(program);
    std::cout << out;
    return shownStatus;
}

}  // namespace

void RegisterShow(CLI::App& app, Context& context, int& exitCode) {
    (void)context;
    auto options = std::make_shared<ShowOptions>();
    CLI::App* show = app.add_subcommand("show", "Show the parameter tables of a data file");
    show->add_option("FILE", options->file, "Data file (.KDM)")->required();
    show->add_option("--format", options->format,
                     "text (default): both tables for a terminal;\n"
                     "json: the parameters, document \"kdmxp-parameters\" version 1 (docs/json-schema.md);\n"
                     "csv: one line per parameter (block,program,letter,name,value,suspect), LF line ends,\n"
                     "control bytes by name (<ESC>);\n"
                     "grid-json: type, heading and every cell of both tables;\n"
                     "grid-csv: every cell of one table, RFC 4180")
        ->check(CLI::IsMember({"text", "json", "csv", "grid-json", "grid-csv"}));
    show->add_option("--table", options->table,
                     "system or program: the table to show (csv lists both unless told, grid-csv shows the\n"
                     "system table unless told)")
        ->check(CLI::IsMember({"system", "program"}));
    show->callback([options, &exitCode] {
        // "r1" finds the "r1.KDM" a read saved, as the file dialogs do.
        options->file = kdm::ResolveDataFileName(options->file, "KDM");
        exitCode = RunShow(*options);
    });
}

}  // namespace kdmcli
