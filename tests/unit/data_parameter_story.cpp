// Each parameter's story across a machine's sets: the oldest set of the unbroken run of its value, a
// suspect telegram on either side of a step counting as a change, a program that appears counting as a
// change of each of its parameters.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "data/parameter_model.h"
#include "data/parameter_story.h"
#include "support/dump_builder.h"

namespace {

using kdmtest::DumpBuilder;
using kdmtest::Value;

// A type 1 device: system d and h, program 1 with J and N, and program 2 with J when `withProgram2`.
// Values are given by letter ("d", "1J", "2J"); `damaged` letters get a wrong checksum.
std::string Set(const std::map<std::string, int>& values, const std::string& damaged = "",
                bool withProgram2 = false) {
    const auto value = [&values](const std::string& key) {
        const auto found = values.find(key);
        return Value(found == values.end() ? 0 : found->second);
    };
    const auto bad = [&damaged](const std::string& key) { return damaged == key; };
    DumpBuilder dump("I10");
    dump.Add('d', value("d"), bad("d")).Add('h', value("h"), bad("h"));
    dump.Program(1).Add('J', value("1J"), bad("1J")).Add('N', value("1N"), bad("1N"));
    if (withProgram2) dump.Program(2).Add('J', value("2J"), bad("2J"));
    return dump.Text();
}

struct Expected {
    std::size_t since;
    bool flagged;
    bool changedInLast;
};

TEST(ParameterStory, EachValueIsTracedToTheOldestSetOfItsRun) {
    struct Case {
        const char* what;
        std::vector<std::string> newestFirst;
        std::map<std::string, Expected> cells;  // by "d", "1J", "1P", "2J"...
    };
    const Case cases[] = {
        {"one set: everything since it",
         {Set({{"d", 1}})},
         {{"d", {0, false, false}},
          {"h", {0, false, false}},
          {"1P", {0, false, false}},
          {"1J", {0, false, false}}}},
        {"nothing changed: since the oldest",
         {Set({{"d", 1}}), Set({{"d", 1}}), Set({{"d", 1}})},
         {{"d", {2, false, false}}, {"1N", {2, false, false}}}},
        {"a value changed in the last set, another before",
         {Set({{"d", 2}, {"1J", 5}}), Set({{"d", 1}, {"1J", 5}}), Set({{"d", 1}, {"1J", 4}})},
         {{"d", {0, false, true}}, {"1J", {1, false, false}}, {"h", {2, false, false}}}},
        {"a value that came back is a new run",
         {Set({{"d", 1}}), Set({{"d", 2}}), Set({{"d", 1}})},
         {{"d", {0, false, true}}, {"h", {2, false, false}}}},
        {"a suspect telegram in an older set breaks the run there, flagged",
         {Set({{"h", 3}}), Set({{"h", 3}}), Set({{"h", 3}}, "h")},
         {{"h", {1, true, false}}, {"d", {2, false, false}}}},
        {"a suspect value now is flagged and new",
         {Set({{"h", 3}}, "h"), Set({{"h", 3}})},
         {{"h", {0, true, true}}, {"d", {1, false, false}}}},
        {"a program that appeared: each of its parameters since then",
         {Set({{"2J", 7}}, "", true), Set({}), Set({})},
         {{"2P", {0, false, true}}, {"2J", {0, false, true}}, {"1J", {2, false, false}}}},
    };
    for (const Case& c : cases) {
        std::vector<kdm::ParameterSet> sets;
        for (const std::string& text : c.newestFirst)
            sets.push_back(kdm::ParseParameterSet(text).set);
        const std::vector<kdm::StoryCell> cells = kdm::ParameterStory(sets);
        std::map<std::string, const kdm::StoryCell*> byKey;
        for (const kdm::StoryCell& cell : cells) {
            const std::string program =
                cell.block == kdm::DiffBlock::kSystem ? "" : std::to_string(cell.program.value_or(-1));
            byKey[program + cell.letter] = &cell;
        }
        for (const auto& [key, expected] : c.cells) {
            ASSERT_TRUE(byKey.count(key)) << c.what << ": " << key;
            const kdm::StoryCell& cell = *byKey[key];
            EXPECT_EQ(cell.since, expected.since) << c.what << ": " << key;
            EXPECT_EQ(cell.flagged, expected.flagged) << c.what << ": " << key;
            EXPECT_EQ(cell.changedInLast, expected.changedInLast) << c.what << ": " << key;
        }
    }
    EXPECT_TRUE(kdm::ParameterStory({}).empty());
}

TEST(ParameterStory, CellsFollowTheTablesOrderWithTheNewestValues) {
    const std::vector<kdm::ParameterSet> sets = {kdm::ParseParameterSet(Set({{"d", 4}, {"1N", 9}})).set};
    const std::vector<kdm::StoryCell> cells = kdm::ParameterStory(sets);
    std::vector<std::string> order;
    for (const kdm::StoryCell& cell : cells)
        order.push_back((cell.block == kdm::DiffBlock::kSystem ? "s" : "p") + cell.letter + "=" + cell.value);
    EXPECT_EQ(order,
              (std::vector<std::string>{"sd=000004", "sh=000000", "pP=000001", "pJ=000000", "pN=000009"}));
}

}  // namespace
