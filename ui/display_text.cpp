#include "ui/display_text.h"

#include "link/visible_text.h"

QString DisplayText(const std::string& bytes) {
    // Every byte from 0x80 up stays itself: a Qt widget draws C1 bytes harmlessly.
    return QString::fromLatin1(kdm::VisibleText(bytes, {.hexUpTo = 0x7F}));
}

QString CellText(std::string_view text) {
    return QString::fromStdString(kdm::VisibleText(
        text, {.names = kdm::VisibleStyle::Names::kPictures, .hexUpTo = 0x7F, .utf8 = true}));
}
