// The catalogue's own consistency, the string table's exact texts and the in-memory grid.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "data/catalogue.h"
#include "data/grid.h"
#include "data/strings.h"

namespace {

TEST(Catalogue, LayoutsAreConsistent) {
    ASSERT_EQ(kdm::KnownDeviceTypes().size(), 13u);
    for (const int type : kdm::KnownDeviceTypes()) {
        SCOPED_TRACE("type " + std::to_string(type));
        for (const bool system : {true, false}) {
            const kdm::Layout* layout = system ? kdm::SystemLayout(type) : kdm::ProgramLayout(type);
            ASSERT_NE(layout, nullptr);
            std::set<char> letters;
            std::set<int> positions;
            int last = 0;
            for (const kdm::LayoutEntry& entry : layout->entries) {
                EXPECT_TRUE(letters.insert(entry.letter).second) << entry.letter;
                EXPECT_TRUE(positions.insert(entry.position).second) << entry.position;
                EXPECT_FALSE(kdm::LoadString(entry.nameId).empty()) << entry.nameId;
                EXPECT_FALSE(layout->PassesOver(entry.letter)) << entry.letter;
                EXPECT_EQ(layout->Find(entry.letter), &entry);
                last = std::max(last, entry.position);
            }
            // Named positions are contiguous from the first and the unlisted ones follow at once.
            const int first = system ? 1 : 0;
            EXPECT_EQ(static_cast<int>(positions.size()), last - first + 1);
            EXPECT_EQ(layout->firstUnlisted, last + 1);
            EXPECT_LE(layout->firstUnlisted, system ? 24 : 18);
            if (!system) {
                EXPECT_EQ(layout->Find('P')->position, 0);
            }
            EXPECT_TRUE(layout->PassesOver('g'));
            EXPECT_EQ(layout->Find('#'), nullptr);
            const bool controls = !system || type >= 20;
            for (const char control : {'\x02', '\x03', '\n', '\r'})
                EXPECT_EQ(layout->PassesOver(control), controls) << int(control);
            EXPECT_FALSE(layout->PassesOver('\0'));
        }
    }
    for (const int type : {0, -1, 6, 9, 14, 19, 24, 100}) {
        EXPECT_EQ(kdm::SystemLayout(type), nullptr) << type;
        EXPECT_EQ(kdm::ProgramLayout(type), nullptr) << type;
    }
}

TEST(Strings, ExactTexts) {
    struct Case {
        int id;
        const char* text;
    };
    const Case cases[] = {
        {101, "&About KDM_XP..."},
        {102, "Hold 2-sheet"},
        {103, "Program parameters"},
        {104, "Device error no:"},
        {105, "Error RS232"},
        {129, "System parameter"},
        {134, "Lower limit "},
        {165, " "},
        {218, "Hold >/<"},
        {288, " Sensor No."},
        {290, "Lower Limit "},
        {293, "Teach factor2"},
        {300, "Upper Limit"},
        {324, "Programm No."},
        {336, " "},
        {338, "Searching for COM ..."},
        {341, "communication terminated"},
        {350, "Parameterfile has an error"},
        {355, "No device response"},
        {357, "Actual data not stored! \nDo you realy want to break?"},
        {364, "Select Port"},
        {372, "file type is not device typ"},
        {58112, "Measuring time"},
        {58114, "Lower limit "},
        {58116, "Offset"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kdm::LoadString(c.id), c.text) << c.id;
    for (const int id : {0, 100, 119, 373, 58111, 58117, -1, 32790})
        EXPECT_EQ(kdm::LoadString(id), "") << id;
}

TEST(Strings, EveryStatusAndErrorText) {
    // The workflows look these up by id; each must exist.
    for (const int id :
         {338, 339, 340, 341, 342, 343, 344, 345, 346, 348, 349, 350, 351, 352, 353, 354, 355, 357, 364, 372})
        EXPECT_FALSE(kdm::LoadString(id).empty()) << id;
}

TEST(MemoryGrid, SizeRules) {
    kdm::MemoryGrid grid;
    grid.SetCols(3);
    grid.SetRows(25);
    grid.SetTextMatrix(24, 2, "last");
    grid.SetTextMatrix(25, 0, "beyond");
    grid.SetTextMatrix(0, 3, "beyond");
    grid.SetTextMatrix(-1, 0, "beyond");
    EXPECT_EQ(grid.Cell(24, 2), "last");
    EXPECT_EQ(grid.Cell(25, 0), "");
    EXPECT_EQ(grid.CellWrites(), 1);
    EXPECT_EQ(grid.RejectedWrites(), 6);  // alignment and text of each of the three
    EXPECT_EQ(grid.Alignment(24, 2), kdm::kAlignLeftCenter);

    grid.SetTextMatrix(3, 1, "first");
    grid.SetTextMatrix(3, 1, "second");
    EXPECT_EQ(grid.Cell(3, 1), "second");
    EXPECT_EQ(grid.Cell(4, 1), "");

    // Shrinking drops what no longer fits; growing again does not bring it back; the rest stays.
    grid.SetCellSuspect(true);
    grid.SetRows(10);
    grid.SetCols(2);
    EXPECT_EQ(grid.Cell(3, 1), "second");
    EXPECT_TRUE(grid.Suspect(3, 1));
    grid.SetRows(25);
    grid.SetCols(3);
    EXPECT_EQ(grid.Cell(24, 2), "");
    EXPECT_EQ(grid.Cell(3, 1), "second");

    grid.SetColWidth(2, 2000);
    grid.SetColWidth(3, 99);
    EXPECT_EQ(grid.ColWidth(2), 2000);
    EXPECT_EQ(grid.ColWidth(3), 0);
    grid.SetRows(-5);
    EXPECT_EQ(grid.Rows(), 0);
    EXPECT_EQ(grid.Cell(3, 1), "");
}

}  // namespace
