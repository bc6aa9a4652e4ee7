// Bytes of the line and of data files as text a terminal can show: every control byte by name or
// value, everything else untouched.
#include <gtest/gtest.h>

#include <string>

#include "link/visible_text.h"

namespace {

TEST(VisibleText, ControlBytesAppearByNameOrValue) {
    EXPECT_EQ(kdm::VisibleText(std::string("\x02"
                                           "0a+000123--584\x03\r\n\r")),
              "<STX>0a+000123--584<ETX><CR><LF><CR>");
    EXPECT_EQ(kdm::VisibleText(std::string("\x1b[2J", 4)), "<ESC>[2J");
    EXPECT_EQ(kdm::VisibleText(std::string("\x00\x07\x09\x1f\x7f", 5)), "<NUL><BEL><HT><US><DEL>");
    // C1 bytes, which a UTF-8 terminal may take for controls once they are converted from Latin-1.
    EXPECT_EQ(kdm::VisibleText("\x80\x9b\x9f"), "<0x80><0x9B><0x9F>");
}

TEST(VisibleText, EveryOtherByteStaysAsItIs) {
    std::string printable;
    for (int byte = 0x20; byte < 0x7f; ++byte)
        printable += static_cast<char>(byte);
    for (int byte = 0xa0; byte <= 0xff; ++byte)
        printable += static_cast<char>(byte);
    EXPECT_EQ(kdm::VisibleText(printable), printable);
    EXPECT_EQ(kdm::VisibleText(""), "");
}

}  // namespace
