// kdmxp-cli show FILE: both parameter tables of a data file as text, CSV or JSON.
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "data/grid.h"
#include "data/tables.h"
#include "files/data_file.h"

namespace kdmcli {
namespace {

// Cells hold the device's bytes as they came; each byte stands for the Latin-1 character of its value.
std::string Latin1ToUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xC0 | (byte >> 6));
            text += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return text;
}

// Control bytes would move the cursor or vanish on a terminal; show them by name instead.
std::string Legible(std::string_view bytes) {
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        switch (byte) {
            case 0x00:
                text += "<NUL>";
                break;
            case 0x02:
                text += "<STX>";
                break;
            case 0x03:
                text += "<ETX>";
                break;
            case 0x09:
                text += "<TAB>";
                break;
            case 0x0A:
                text += "<LF>";
                break;
            case 0x0D:
                text += "<CR>";
                break;
            default:
                if (byte < 0x20 || byte == 0x7F) {
                    char hex[8];
                    std::snprintf(hex, sizeof hex, "<%02X>", byte);
                    text += hex;
                } else {
                    text += Latin1ToUtf8(std::string_view(&c, 1));
                }
        }
    }
    return text;
}

// Characters on screen of a UTF-8 text (every character here is one column wide).
std::size_t Width(std::string_view utf8) {
    std::size_t width = 0;
    for (const char c : utf8) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++width;
    }
    return width;
}

std::string CsvField(std::string_view bytes) {
    const std::string text = Latin1ToUtf8(bytes);
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string Csv(const kdm::MemoryGrid& grid) {
    std::string out;
    for (int row = 0; row < grid.Rows(); ++row) {
        for (int col = 0; col < grid.Cols(); ++col) {
            if (col > 0) out += ',';
            out += CsvField(grid.Cell(row, col));
        }
        out += "\r\n";
    }
    return out;
}

nlohmann::ordered_json JsonTable(const kdm::MemoryGrid& grid) {
    nlohmann::ordered_json rows = nlohmann::ordered_json::array();
    for (int row = 0; row < grid.Rows(); ++row) {
        nlohmann::ordered_json cells = nlohmann::ordered_json::array();
        for (int col = 0; col < grid.Cols(); ++col)
            cells.push_back(Latin1ToUtf8(grid.Cell(row, col)));
        rows.push_back(std::move(cells));
    }
    return rows;
}

// A value whose record failed its checksum carries the file's own mark, so it is not taken for good.
std::string TextCell(const kdm::MemoryGrid& grid, int row, int col) {
    std::string text = Legible(grid.Cell(row, col));
    if (grid.Suspect(row, col)) text += " !!!";
    return text;
}

// The rows and columns holding anything, aligned in columns two blanks apart.
std::string TextTable(const kdm::MemoryGrid& grid) {
    std::vector<int> rows;
    std::vector<int> cols;
    for (int row = 0; row < grid.Rows(); ++row) {
        for (int col = 0; col < grid.Cols(); ++col) {
            if (!grid.Cell(row, col).empty()) {
                rows.push_back(row);
                break;
            }
        }
    }
    for (int col = 0; col < grid.Cols(); ++col) {
        for (int row = 0; row < grid.Rows(); ++row) {
            if (!grid.Cell(row, col).empty()) {
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

struct ShowOptions {
    std::string file;
    std::string format = "text";
    std::string table;
};

int RunShow(const ShowOptions& options) {
    kdm::MemoryGrid system;
    kdm::MemoryGrid program;
    kdm::ParameterTables tables(system, program);
    std::string reason;
    std::string text;
    long length = 0;
    if (!kdm::ReadWholeFile(options.file, text, length, reason)) {
        std::cerr << "kdmxp-cli show: " << reason << '\n';
        return kExitFailure;
    }
    const int type = tables.ShowDump(text);
    // The same heading the system table shows in its first row.
    const std::string& heading = system.Cell(0, 2);

    if (options.format == "json") {
        const nlohmann::ordered_json document = {{"type", type},
                                                 {"heading", Latin1ToUtf8(heading)},
                                                 {"system", JsonTable(system)},
                                                 {"program", JsonTable(program)}};
        std::cout << document.dump() << '\n';
        return kExitOk;
    }
    if (options.format == "csv") {
        std::cout << Csv(options.table == "program" ? program : system);
        return kExitOk;
    }
    std::string out =
        "Device type: " + std::to_string(type) + (type == 0 ? " (unknown device code)" : "") + "\n";
    out += "Identification: " + Legible(heading) + "\n";
    if (tables.SuspectValues() > 0) {
        out += "Checksum mismatch in " + std::to_string(tables.SuspectValues()) +
               " shown value(s): those records are marked \" !!!\" in the file\n";
    }
    if (options.table != "program") out += "\n" + TextTable(system);
    if (options.table != "system") out += "\n" + TextTable(program);
    std::cout << out;
    return kExitOk;
}

}  // namespace

void RegisterShow(CLI::App& app, Context& context, int& exitCode) {
    (void)context;
    auto options = std::make_shared<ShowOptions>();
    CLI::App* show = app.add_subcommand("show", "Show the parameter tables of a data file");
    show->add_option("FILE", options->file, "Data file (.KDM)")->required();
    show->add_option("--format", options->format,
                     "text (default): both tables for a terminal; csv: one table, RFC 4180; json: type, "
                     "heading and every cell of both tables")
        ->check(CLI::IsMember({"text", "csv", "json"}));
    show->add_option("--table", options->table,
                     "system or program: the table to show (csv shows the system table unless told)")
        ->check(CLI::IsMember({"system", "program"}));
    show->callback([options, &exitCode] { exitCode = RunShow(*options); });
}

}  // namespace kdmcli
