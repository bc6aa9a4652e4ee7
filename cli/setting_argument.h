// One SETTING of `kdmxp-cli set`: "LETTER=VALUE" for a system parameter, "P<number>:LETTER=VALUE" for
// a parameter of a program. Only the shape is checked here; the value and whether the file holds the
// parameter are the edit's to judge.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "data/parameter_edit.h"

namespace kdmcli {

struct Setting {
    kdm::ParameterAddress where;
    std::string value;  // everything after the '=', as given
};

// None when the text has no '=', when not exactly one character stands before it (after "P<n>:"), or
// when the program number is not 1 to 9 digits.
std::optional<Setting> ParseSetting(std::string_view text);

}  // namespace kdmcli
