// Where every text of a printed data file goes: a pure function from the file's text and its path to a
// list of page items. The desktop application renders the items; tests check them.
//
// Coordinates are device units of a printer that resolves about 600 dots per inch (the renderer scales
// them to the real resolution), x to the right and y downwards from the top of the printable area.
//
// The printout:
//  - page 1: the heading "KDM_XP" at (300, 50);
//  - every page: the header "FileName: " + path + "         Page: " + n at (300, 200);
//  - page 1: the identification line (the first record) at (300, 500);
//  - the body, starting again with the first record, one line per run of text between the delimiters
//    STX and TAB, at y = 700, 800, ... 6200: 56 lines a page. The page is changed as soon as its last
//    line has been printed, so a body of exactly 56 x k lines ends with a page that holds only its header.
//  - The body ends at the first empty run (two delimiters in a row, or a delimiter at the end of the
//    text), at the end of the text, or at a NUL byte.
//
// Every character of a record is printed, the one right after its STX included; the line-end characters
// CR and LF at the end of a run are not (they would only show as boxes). Nothing is cut: a run longer
// than kPrintLineChars continues on the next line(s), and so does a header with a long path; when the
// header or the identification line takes more lines than the space reserved for it, the body starts
// correspondingly lower on that page and the page holds fewer body lines, so nothing is printed below
// y = 6200 and nothing overlaps.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kdm {

inline constexpr int kPrintX = 300;
inline constexpr int kPrintHeadingY = 50;
inline constexpr int kPrintHeaderY = 200;
inline constexpr int kPrintIdentificationY = 500;
inline constexpr int kPrintBodyFirstY = 700;
inline constexpr int kPrintBodyLastY = 6200;
inline constexpr int kPrintLineStep = 100;
inline constexpr int kPrintLinesPerPage = 56;
// A printed line holds at most this many characters (a 204-character buffer with its terminator).
inline constexpr std::size_t kPrintLineChars = 203;
inline constexpr std::string_view kPrintHeading = "KDM_XP";
// Device units per inch the coordinates assume.
inline constexpr int kPrintUnitsPerInch = 600;

enum class PrintItemKind { kHeading, kHeader, kIdentification, kBody };

struct PrintItem {
    int page = 1;  // 1-based, the number the header shows
    int x = 0;
    int y = 0;
    PrintItemKind kind = PrintItemKind::kBody;
    std::string text;  // bytes of the file, unconverted (control characters other than CR/LF included)
};

struct PrintLayout {
    int pageCount = 0;
    std::vector<PrintItem> items;  // in printing order: page by page, top to bottom
};

// The header text of page `page` (before wrapping).
std::string PrintHeaderText(std::string_view path, int page);

// Lays out the whole printout of `text` (the file's bytes; a NUL byte ends it) under the name `path`.
// Never fails; an empty text gives one page with heading, header and an empty identification line.
PrintLayout LayOutPrintText(std::string_view text, std::string_view path);

}  // namespace kdm
