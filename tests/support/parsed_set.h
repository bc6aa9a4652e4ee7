// A data file's text taken apart, for tests whose texts are known to be whole.
#pragma once

#include <gtest/gtest.h>

#include <string_view>
#include <utility>

#include "data/parameter_model.h"

namespace kdmtest {

// The parameter set of `text`; a text that does not parse fails the calling test.
inline kdm::ParameterSet Parse(std::string_view text) {
    kdm::ParsedParameterSet parsed = kdm::ParseParameterSet(text);
    EXPECT_TRUE(parsed.ok) << parsed.reason;
    return std::move(parsed.set);
}

}  // namespace kdmtest
