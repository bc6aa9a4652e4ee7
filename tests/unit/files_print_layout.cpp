// The print layout: positions, page breaks, line splitting and the handling of over-long lines.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "files/print_layout.h"

namespace {

using kdm::LayOutPrintText;
using kdm::PrintItem;
using kdm::PrintItemKind;
using kdm::PrintLayout;

const std::string kStx = "\x02";
const std::string kEtx = "\x03";
const std::string kEnd = "\r\n\r";
const std::string kIdent = "0g+020410--602";

std::string Record(const std::string& body) {
    return kStx + body + kEnd;
}

std::string Telegram(int n) {
    std::string digits = std::to_string(100000 + n).substr(0, 6);
    return "0a+" + digits + "--123";
}

// A file of the identification record followed by `count` telegram records, as a read stores them.
std::string DataFile(int count) {
    std::string text = Record(kIdent);
    for (int i = 0; i < count; ++i)
        text += Record(Telegram(i) + kEtx + " QS 123");
    return text;
}

std::vector<PrintItem> ItemsOf(const PrintLayout& layout, PrintItemKind kind) {
    std::vector<PrintItem> out;
    for (const PrintItem& item : layout.items)
        if (item.kind == kind) out.push_back(item);
    return out;
}

std::vector<std::string> BodyTexts(const PrintLayout& layout) {
    std::vector<std::string> out;
    for (const PrintItem& item : ItemsOf(layout, PrintItemKind::kBody))
        out.push_back(item.text);
    return out;
}

// Facts every layout must satisfy, whatever the input.
void ExpectSoundLayout(const PrintLayout& layout, const std::string& path) {
    ASSERT_GE(layout.pageCount, 1);
    std::set<std::pair<int, int>> taken;
    std::map<int, std::string> headerOfPage;
    int lastPage = 1;
    for (const PrintItem& item : layout.items) {
        EXPECT_EQ(item.x, kdm::kPrintX);
        EXPECT_GE(item.y, kdm::kPrintHeadingY);
        EXPECT_LE(item.y, kdm::kPrintBodyLastY) << "item below the page: " << item.text;
        EXPECT_LE(item.text.size(), kdm::kPrintLineChars);
        EXPECT_TRUE(taken.insert({item.page, item.y}).second)
            << "two items at page " << item.page << " y " << item.y;
        EXPECT_GE(item.page, lastPage) << "items out of page order";
        EXPECT_LE(item.page, lastPage + 1) << "a page was skipped";
        lastPage = item.page;
        if (item.kind == PrintItemKind::kHeader) headerOfPage[item.page] += item.text;
    }
    EXPECT_EQ(lastPage, layout.pageCount);
    for (int page = 1; page <= layout.pageCount; ++page)
        EXPECT_EQ(headerOfPage[page], kdm::PrintHeaderText(path, page)) << "page " << page;
}

TEST(PrintLayout, OneRecordFilePrintsHeadingHeaderIdentificationAndTheRecordOnce) {
    const PrintLayout layout = LayOutPrintText(Record(kIdent), "C:\\a.kdm");
    ASSERT_EQ(layout.pageCount, 1);
    const std::vector<PrintItem> expected = {
        {1, 300, 50, PrintItemKind::kHeading, "KDM_XP"},
        {1, 300, 200, PrintItemKind::kHeader, "FileName: C:\\a.kdm         Page: 1"},
        {1, 300, 500, PrintItemKind::kIdentification, kIdent},
        {1, 300, 700, PrintItemKind::kBody, kIdent},
    };
    ASSERT_EQ(layout.items.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(layout.items[i].page, expected[i].page) << i;
        EXPECT_EQ(layout.items[i].x, expected[i].x) << i;
        EXPECT_EQ(layout.items[i].y, expected[i].y) << i;
        EXPECT_EQ(layout.items[i].kind, expected[i].kind) << i;
        EXPECT_EQ(layout.items[i].text, expected[i].text) << i;
    }
}

TEST(PrintLayout, TelegramRecordsKeepEveryCharacterAndDropTheLineEnd) {
    const PrintLayout layout = LayOutPrintText(DataFile(2), "/tmp/x.KDM");
    const std::vector<std::string> body = BodyTexts(layout);
    ASSERT_EQ(body.size(), 3u);
    EXPECT_EQ(body[0], kIdent);
    // The character right after each STX (the address '0') stays.
    EXPECT_EQ(body[1], Telegram(0) + kEtx + " QS 123");
    EXPECT_EQ(body[2], Telegram(1) + kEtx + " QS 123");
    const std::vector<PrintItem> items = ItemsOf(layout, PrintItemKind::kBody);
    EXPECT_EQ(items[1].y, 800);
    EXPECT_EQ(items[2].y, 900);
}

// Body line count -> pages, and where the last body line stands.
struct PageCase {
    int bodyLines;
    int pages;
    int lastPage;
    int lastY;
};

class PrintPages : public ::testing::TestWithParam<PageCase> {};

TEST_P(PrintPages, FiftySixBodyLinesAPageAndTheBreakComesRightAfterTheLast) {
    const PageCase c = GetParam();
    // The identification record is body line 1.
    const std::string path = "/home/u/dev.KDM";
    const PrintLayout layout = LayOutPrintText(DataFile(c.bodyLines - 1), path);
    ExpectSoundLayout(layout, path);
    EXPECT_EQ(layout.pageCount, c.pages);
    const std::vector<PrintItem> body = ItemsOf(layout, PrintItemKind::kBody);
    ASSERT_EQ(static_cast<int>(body.size()), c.bodyLines);
    EXPECT_EQ(body.back().page, c.lastPage);
    EXPECT_EQ(body.back().y, c.lastY);
    for (std::size_t i = 0; i < body.size(); ++i) {
        const int onPage = static_cast<int>(i) % kdm::kPrintLinesPerPage;
        EXPECT_EQ(body[i].page, 1 + static_cast<int>(i) / kdm::kPrintLinesPerPage) << i;
        EXPECT_EQ(body[i].y, 700 + 100 * onPage) << i;
    }
    // Heading and identification line on page 1 only.
    for (const PrintItem& item : layout.items)
        if (item.kind == PrintItemKind::kHeading || item.kind == PrintItemKind::kIdentification) {
            EXPECT_EQ(item.page, 1);
        }
}

INSTANTIATE_TEST_SUITE_P(Counts, PrintPages,
                         ::testing::Values(PageCase{1, 1, 1, 700}, PageCase{55, 1, 1, 6100},
                                           PageCase{56, 2, 1, 6200}, PageCase{57, 2, 2, 700},
                                           PageCase{112, 3, 2, 6200}, PageCase{113, 3, 3, 700}));

TEST(PrintLayout, SecondPageCarriesItsNumberInTheHeaderAtTwoHundred) {
    const PrintLayout layout = LayOutPrintText(DataFile(56), "C:\\a.kdm");
    const std::vector<PrintItem> headers = ItemsOf(layout, PrintItemKind::kHeader);
    ASSERT_EQ(headers.size(), 2u);
    EXPECT_EQ(headers[1].page, 2);
    EXPECT_EQ(headers[1].y, 200);
    EXPECT_EQ(headers[1].text, "FileName: C:\\a.kdm         Page: 2");
    const std::vector<PrintItem> body = ItemsOf(layout, PrintItemKind::kBody);
    ASSERT_EQ(body.size(), 57u);
    EXPECT_EQ(body[56].text, Telegram(55) + kEtx + " QS 123");
}

TEST(PrintLayout, FiftySixLinesEndWithAPageHoldingOnlyItsHeader) {
    const PrintLayout layout = LayOutPrintText(DataFile(55), "p");
    ASSERT_EQ(layout.pageCount, 2);
    int onLastPage = 0;
    for (const PrintItem& item : layout.items) {
        if (item.page != 2) continue;
        ++onLastPage;
        EXPECT_EQ(item.kind, PrintItemKind::kHeader);
    }
    EXPECT_EQ(onLastPage, 1);
}

// Text -> identification line and body lines.
struct SplitCase {
    const char* name;
    std::string text;
    std::string identification;
    std::vector<std::string> body;
};

class PrintSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(PrintSplit, LinesAreSplitAtStxAndTabAndEndAtTheFirstEmptyOne) {
    const SplitCase& c = GetParam();
    const PrintLayout layout = LayOutPrintText(c.text, "f");
    const std::vector<PrintItem> ident = ItemsOf(layout, PrintItemKind::kIdentification);
    ASSERT_EQ(ident.size(), 1u);
    EXPECT_EQ(ident[0].text, c.identification);
    EXPECT_EQ(BodyTexts(layout), c.body);
}

// Readable texts: '^' stands for STX, '~' for the record terminator CR LF CR, '0' for a NUL byte.
std::string T(std::string_view shorthand) {
    std::string text;
    for (char c : shorthand) {
        if (c == '^') {
            text += kStx;
        } else if (c == '~') {
            text += kEnd;
        } else if (c == '0') {
            text += '\0';
        } else {
            text += c;
        }
    }
    return text;
}

std::string SplitCaseName(const ::testing::TestParamInfo<SplitCase>& param) {
    return param.param.name;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Texts, PrintSplit, ::testing::Values(
    SplitCase{"TabSplitsARecord",                       T("^AB\tCD~^EF~"), "AB",   {"AB", "CD", "EF"}},
    SplitCase{"TabRightAfterTheFirstCharacterIsKept",   T("^A\tB~"),       "A",    {"A", "B"}},
    SplitCase{"TwoStxInARowEndTheBody",                 T("^A~^^B~"),      "A",    {"A"}},
    SplitCase{"TabThenStxEndsTheBody",                  T("^A\t^B~"),      "A",    {"A"}},
    SplitCase{"StxAtTheVeryEndAddsNoLine",              T("^A~^"),         "A",    {"A"}},
    SplitCase{"NulEndsTheText",                         T("^A~^B0^C"),     "A",    {"A", "B"}},
    SplitCase{"OnlyLineEndsAfterATabPrintAsABlankLine", T("^A\t~^B"),      "A",    {"A", "", "B"}},
    SplitCase{"TextWithoutLeadingStxStartsAtOnce",      T("AB~^CD"),       "AB",   {"AB", "CD"}},
    SplitCase{"TextStartingWithTabHasNoBody",           T("\tAB"),         "",     {}},
    SplitCase{"EmptyText",                              T(""),             "",     {}},
    SplitCase{"InnerCarriageReturnIsKept",              T("^A\rB\r\n"),    "A\rB", {"A\rB"}}),
    SplitCaseName);
// clang-format on

TEST(PrintLayout, OverlongRecordsContinueOnFurtherLinesWithoutLosingACharacter) {
    std::string longRecord;
    for (int i = 0; i < 450; ++i)
        longRecord += static_cast<char>('A' + i % 26);
    const std::string text = Record(kIdent) + Record(longRecord) + Record("tail");
    const PrintLayout layout = LayOutPrintText(text, "f");
    ExpectSoundLayout(layout, "f");
    const std::vector<std::string> body = BodyTexts(layout);
    ASSERT_EQ(body.size(), 5u);
    EXPECT_EQ(body[1].size(), kdm::kPrintLineChars);
    EXPECT_EQ(body[2].size(), kdm::kPrintLineChars);
    EXPECT_EQ(body[1] + body[2] + body[3], longRecord);
    EXPECT_EQ(body[4], "tail");
    // Each piece takes a line of its own.
    const std::vector<PrintItem> items = ItemsOf(layout, PrintItemKind::kBody);
    EXPECT_EQ(items[4].y, 700 + 4 * 100);
}

TEST(PrintLayout, OverlongIdentificationPushesTheBodyDownOnTheFirstPageOnly) {
    const std::string first(450, 'x');
    std::string text = Record(first);
    for (int i = 0; i < 80; ++i)
        text += Record(Telegram(i));
    const PrintLayout layout = LayOutPrintText(text, "f");
    ExpectSoundLayout(layout, "f");
    const std::vector<PrintItem> ident = ItemsOf(layout, PrintItemKind::kIdentification);
    ASSERT_EQ(ident.size(), 3u);
    EXPECT_EQ(ident[0].y, 500);
    EXPECT_EQ(ident[2].y, 700);
    const std::vector<PrintItem> body = ItemsOf(layout, PrintItemKind::kBody);
    // One free line below the top block, as below the usual identification line.
    EXPECT_EQ(body.front().y, 900);
    // Page 1 holds 54 lines (900 .. 6200); page 2 starts at 700 again.
    int onFirstPage = 0;
    for (const PrintItem& item : body)
        onFirstPage += item.page == 1 ? 1 : 0;
    EXPECT_EQ(onFirstPage, 54);
    EXPECT_EQ(body[54].page, 2);
    EXPECT_EQ(body[54].y, 700);
}

TEST(PrintLayout, LongPathsWrapTheHeaderOnEveryPageAndKeepTheBodyBelowIt) {
    struct Case {
        std::size_t pathLength;
        int firstPageBodyY;
        int laterPageBodyY;
    };
    // 203 characters fit a line; the header adds 10 + 15 + the page number to the path.
    for (const Case c : {Case{150, 700, 700}, Case{400, 700, 700}, Case{600, 800, 700},
                         Case{1200, 1100, 1000}, Case{4096, 2500, 2400}}) {
        SCOPED_TRACE(c.pathLength);
        const std::string path = std::string("/").append(c.pathLength - 1, 'd');
        const PrintLayout layout = LayOutPrintText(DataFile(130), path);
        ExpectSoundLayout(layout, path);
        const std::vector<PrintItem> body = ItemsOf(layout, PrintItemKind::kBody);
        ASSERT_EQ(body.size(), 131u);
        EXPECT_EQ(body.front().y, c.firstPageBodyY);
        for (std::size_t i = 1; i < body.size(); ++i) {
            if (body[i].page == body[i - 1].page) continue;
            EXPECT_EQ(body[i].y, c.laterPageBodyY) << "page " << body[i].page;
        }
    }
}

TEST(PrintLayout, HeaderPiecesNeverSplitAMultiByteCharacterOfThePath) {
    // "ü" is two bytes in UTF-8; shifting the path by one byte at a time puts a line end inside one.
    for (std::size_t shift = 0; shift < 4; ++shift) {
        std::string path = std::string("/").append(shift, 'a');
        while (path.size() < 600)
            path += "\xc3\xbc";
        const PrintLayout layout = LayOutPrintText(Record(kIdent), path);
        std::string joined;
        for (const PrintItem& item : ItemsOf(layout, PrintItemKind::kHeader)) {
            ASSERT_FALSE(item.text.empty());
            EXPECT_NE(static_cast<unsigned char>(item.text.front()) & 0xC0u, 0x80u) << "shift " << shift;
            EXPECT_LE(item.text.size(), kdm::kPrintLineChars);
            joined += item.text;
        }
        EXPECT_EQ(joined, kdm::PrintHeaderText(path, 1));
    }
}

TEST(PrintLayout, ArbitraryBytesAlwaysGiveASoundLayout) {
    // A small deterministic generator over the characters that matter to the layout.
    const std::string alphabet = std::string("\x02\t\r\nAB\x03 ", 8);
    unsigned state = 12345;
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int length = round * 7 % 900;
        for (int i = 0; i < length; ++i) {
            state = state * 1103515245u + 12345u;
            const unsigned pick = (state >> 16) % 40;
            // Mostly letters, so that long runs and many lines both occur.
            text += pick < alphabet.size() ? alphabet[pick] : static_cast<char>('a' + pick % 26);
        }
        const std::string path(static_cast<std::size_t>(round % 5) * 120, 'p');
        const PrintLayout layout = LayOutPrintText(text, path);
        ExpectSoundLayout(layout, path);
    }
}

}  // namespace
