// Reading a parameter dump: the device type and the identification heading of its first record.
#pragma once

#include <string>
#include <string_view>

namespace kdm {

// Type 1, 2, 3, 4, 5, 10, 11, 12, 13, 20, 21, 22 or 23 from the device code of the first record, or 0.
// `heading` receives the 11 characters after the first STX (fewer when the dump ends sooner). Pure.
int DetectDeviceType(std::string_view dump, std::string& heading);

}  // namespace kdm
