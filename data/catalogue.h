// The thirteen device types and where each parameter letter is shown: constant data.
#pragma once

#include <span>
#include <string_view>

namespace kdm {

struct LayoutEntry {
    char letter;
    int position;  // system layouts: a row (1 to 24); program layouts: a column (0 to 18)
    int nameId;    // string id of the name shown
};

struct Layout {
    std::span<const LayoutEntry> entries;
    int firstUnlisted;            // first row/column for letters the layout does not name
    std::string_view passedOver;  // letters never shown
    // The entry naming `letter`, or null.
    const LayoutEntry* Find(char letter) const;
    bool PassesOver(char letter) const;
};

// Null for a type without layouts (0 and any unknown number).
const Layout* SystemLayout(int type);
const Layout* ProgramLayout(int type);

// 1, 2, 3, 4, 5, 10, 11, 12, 13, 20, 21, 22, 23.
std::span<const int> KnownDeviceTypes();

}  // namespace kdm
