#include "files/print_layout.h"

#include <algorithm>

#include "link/wire.h"

namespace kdm {

namespace {

constexpr char kTab = '\t';

bool IsDelimiter(char c) {
    return c == STX || c == kTab;
}

std::string_view WithoutLineEnd(std::string_view run) {
    while (!run.empty() && (run.back() == '\r' || run.back() == '\n'))
        run.remove_suffix(1);
    return run;
}

// The runs between delimiters, in order, up to the first empty one. A leading STX opens the first
// record and is not a run boundary of its own.
std::vector<std::string_view> BodyRuns(std::string_view text) {
    std::vector<std::string_view> runs;
    std::size_t pos = (!text.empty() && text[0] == STX) ? 1 : 0;
    while (pos < text.size()) {
        std::size_t end = pos;
        while (end < text.size() && !IsDelimiter(text[end]))
            ++end;
        if (end == pos) break;  // a line that would start on a delimiter ends the body
        runs.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    return runs;
}

bool IsUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0u) == 0x80u;
}

// Pieces of at most kPrintLineChars characters; an empty text is one empty piece. Paths are UTF-8, so
// a header piece ends before a multi-byte character rather than inside it.
std::vector<std::string> Wrap(std::string_view text, bool keepUtf8Sequences = false) {
    std::vector<std::string> pieces;
    do {
        std::size_t n = std::min(text.size(), kPrintLineChars);
        if (keepUtf8Sequences && n < text.size()) {
            std::size_t back = n;
            while (back > n - 3 && IsUtf8Continuation(text[back]))
                --back;
            if (back > 0 && !IsUtf8Continuation(text[back])) n = back;
        }
        pieces.emplace_back(text.substr(0, n));
        text.remove_prefix(n);
    } while (!text.empty());
    return pieces;
}

class PageWriter {
  public:
    PageWriter(std::string_view path, PrintLayout& layout) : path_(path), layout_(layout) {}

    void StartFirstPage(std::string_view identification) {
        Add(PrintItemKind::kHeading, kPrintHeadingY, std::string(kPrintHeading));
        int y = AddWrapped(PrintItemKind::kHeader, kPrintHeaderY, PrintHeaderText(path_, page_));
        y = AddWrapped(PrintItemKind::kIdentification, std::max(kPrintIdentificationY, y), identification);
        StartBody(y);
    }

    void AddBodyLine(std::string text) {
        Add(PrintItemKind::kBody, bodyStart_ + kPrintLineStep * line_, std::move(text));
        if (++line_ >= capacity_) {
            ++page_;
            StartBody(AddWrapped(PrintItemKind::kHeader, kPrintHeaderY, PrintHeaderText(path_, page_)));
        }
    }

    int Pages() const { return page_; }

  private:
    void Add(PrintItemKind kind, int y, std::string text) {
        layout_.items.push_back(PrintItem{page_, kPrintX, y, kind, std::move(text)});
    }

    // Returns the y below the last line added.
    int AddWrapped(PrintItemKind kind, int y, std::string_view text) {
        for (std::string& piece : Wrap(text, kind == PrintItemKind::kHeader)) {
            Add(kind, y, std::move(piece));
            y += kPrintLineStep;
        }
        return y;
    }

    // One free line between the top block and the body, and the body never above its usual start.
    void StartBody(int yBelowTop) {
        bodyStart_ = std::max(kPrintBodyFirstY, yBelowTop + kPrintLineStep);
        capacity_ = std::max(1, (kPrintBodyLastY - bodyStart_) / kPrintLineStep + 1);
        line_ = 0;
    }

    std::string_view path_;
    PrintLayout& layout_;
    int page_ = 1;
    int bodyStart_ = kPrintBodyFirstY;
    int capacity_ = kPrintLinesPerPage;
    int line_ = 0;
};

}  // namespace

std::string PrintHeaderText(std::string_view path, int page) {
    std::string header = "FileName: ";
    header.append(path);
    header.append("         Page: ");
    header.append(std::to_string(page));
    return header;
}

PrintLayout LayOutPrintText(std::string_view text, std::string_view path) {
    text = text.substr(0, text.find('\0'));
    const std::vector<std::string_view> runs = BodyRuns(text);

    PrintLayout layout;
    PageWriter writer(path, layout);
    writer.StartFirstPage(runs.empty() ? std::string_view() : WithoutLineEnd(runs.front()));
    for (std::string_view run : runs) {
        for (std::string& piece : Wrap(WithoutLineEnd(run)))
            writer.AddBodyLine(std::move(piece));
    }
    layout.pageCount = writer.Pages();
    return layout;
}

}  // namespace kdm
