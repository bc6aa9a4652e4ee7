#include "ui/visible_text.h"

#include "link/visible_text.h"

QString VisibleText(const std::string& bytes) {
    // Every byte from 0x80 up stays itself: a Qt widget draws C1 bytes harmlessly.
    return QString::fromLatin1(kdm::VisibleText(bytes, {.hexUpTo = 0x7F}));
}
