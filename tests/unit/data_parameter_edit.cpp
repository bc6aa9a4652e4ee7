// Editing one value: what a typed value is stored as, which record an address names, the refusals, and
// the record afterwards exactly as a read stores it with every other byte of the file unchanged.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "data/parameter_edit.h"
#include "data/parameter_model.h"
#include "link/telegram.h"
#include "support/dump_builder.h"
#include "support/parsed_set.h"

namespace {

using kdm::EditRefusal;
using kdm::ParameterAddress;
using kdmtest::DumpBuilder;

using kdmtest::Parse;

// A telegram record as a read stores it, with any address and suffix.
std::string RecordOf(char address, char letter, std::string_view sevenValue, std::string_view suffix,
                     bool spoilChecksum = false) {
    std::string chars(1, address);
    chars += letter;
    chars += sevenValue;
    chars += suffix;
    chars += kdm::ComputeChecksum("\x02" + chars);
    if (spoilChecksum) chars[13] = chars[13] == '9' ? '0' : static_cast<char>(chars[13] + 1);
    std::string annotated;
    kdm::VerifyTelegram("\x02" + chars + "\x03", annotated);
    return annotated + "\r\n\r";
}

// A type-2 file: two system parameters (the first 'h' overwritten by a second), program 1 and program 2,
// each with a few parameters; program 2's 'W' marked for a checksum mismatch, its 'E' cut short.
std::string Sample() {
    return DumpBuilder("I1P")
        .Add('h', "+000019--")
        .Add('v', "+000235--")
        .Raw(RecordOf('0', 'h', "+000020", "--"))
        .Program(1)
        .Add('J', "+000002--")
        .Add('V', "+172018--")
        .Program(2)
        .Raw(RecordOf('3', 'V', "-000100", "+-"))
        .Add('W', "+000008--", /*damaged=*/true)
        .Raw(
            "\x02"
            "0E+00")
        .Add('G', "-000068--")
        .Text();
}

TEST(StoredValue, SignAndSixDigits) {
    struct Case {
        const char* typed;
        std::optional<std::string> stored;
    };
    const Case cases[] = {
        {"5", "+000005"},           {"-150", "-000150"},    {"+7", "+000007"},      {"0", "+000000"},
        {"-0", "-000000"},          {"123456", "+123456"},  {"-999999", "-999999"}, {"000001", "+000001"},
        {"", std::nullopt},         {"+", std::nullopt},    {"-", std::nullopt},    {"1234567", std::nullopt},
        {" 5", std::nullopt},       {"5 ", std::nullopt},   {"1a", std::nullopt},   {"++5", std::nullopt},
        {"+-5", std::nullopt},      {"0x10", std::nullopt}, {"1.5", std::nullopt},  {"5-", std::nullopt},
        {"+0000005", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kdm::StoredValueOf(c.typed), c.stored) << '"' << c.typed << '"';
}

TEST(PlanEdit, Refusals) {
    const std::string text = Sample();
    const kdm::ParameterSet set = Parse(text);
    struct Case {
        ParameterAddress where;
        const char* value;
        EditRefusal refusal;
    };
    const Case cases[] = {
        {{std::nullopt, 'h'}, "12a", EditRefusal::kBadValue},
        {{std::nullopt, 'h'}, "1234567", EditRefusal::kBadValue},
        {{99, 'V'}, "5", EditRefusal::kNoSuchProgram},
        {{99, 'V'}, "x", EditRefusal::kBadValue},  // the value is looked at first
        {{std::nullopt, 'q'}, "5", EditRefusal::kNoSuchLetter},
        {{std::nullopt, 'V'}, "5", EditRefusal::kNoSuchLetter},  // a program letter in the system block
        {{1, 'h'}, "5", EditRefusal::kNoSuchLetter},             // a system letter in a program
        {{1, 'P'}, "5", EditRefusal::kNoSuchLetter},             // the program number is no parameter
        {{2, 'J'}, "5", EditRefusal::kNoSuchLetter},             // program 1 has it, program 2 not
        {{2, 'E'}, "5", EditRefusal::kDamagedRecord},            // cut short
        {{2, 'W'}, "5", EditRefusal::kNone},                     // only its checksum did not match
        {{1, 'V'}, "-5", EditRefusal::kNone},
        {{std::nullopt, 'v'}, "+7", EditRefusal::kNone},
    };
    for (const Case& c : cases) {
        const kdm::EditPlan plan = kdm::PlanEdit(text, set, c.where, c.value);
        EXPECT_EQ(plan.refusal, c.refusal)
            << (c.where.program ? "P" + std::to_string(*c.where.program) + ":" : std::string())
            << c.where.letter << '=' << c.value;
    }
}

// Damage the line did and damage done by hand: neither record is a telegram anyone can vouch for.
TEST(PlanEdit, RefusesRecordsThatAreNotWholeTelegrams) {
    // A frame whose ETX the line lost (and whose checksum with it): the read stored and marked it.
    std::string frame = RecordOf('0', 'v', "+000235", "--", /*spoilChecksum=*/true).substr(0, 16);
    frame[15] = 'x';
    std::string annotated;
    kdm::VerifyTelegram(frame, annotated);
    std::string byHand = RecordOf('0', 'v', "+000235", "--");
    byHand[8] = '9';  // a value digit changed in an editor, checksums left as they were
    struct Case {
        std::string record;
        kdm::RecordForm form;
    };
    const Case cases[] = {{annotated + "\r\n\r", kdm::RecordForm::kTelegram},
                          {byHand, kdm::RecordForm::kRaw}};
    for (const Case& c : cases) {
        const std::string text = DumpBuilder("I1P").Raw(c.record).Program(1).Text();
        const kdm::ParameterSet set = Parse(text);
        ASSERT_EQ(set.Records()[1].Form(), c.form);
        ASSERT_EQ(set.Records()[1].Suspicion(), kdm::Suspect::kDamaged);
        EXPECT_EQ(kdm::PlanRecordEdit(text, set, 1, "5").refusal, EditRefusal::kDamagedRecord);
        EXPECT_EQ(kdm::PlanEdit(text, set, {std::nullopt, 'v'}, "5").refusal, EditRefusal::kDamagedRecord);
    }
    const std::string text = Sample();
    EXPECT_EQ(kdm::PlanRecordEdit(text, Parse(text), 0, "5").refusal, EditRefusal::kDamagedRecord)
        << "the identification record";
    EXPECT_EQ(kdm::PlanRecordEdit(text, Parse(text), 999, "5").refusal, EditRefusal::kDamagedRecord);
}

// The record after an edit, byte for byte, and the rest of the file untouched.
TEST(PlanEdit, RecordAsAReadStoresItAndNothingElseChanged) {
    struct Case {
        ParameterAddress where;
        const char* value;
        std::string expectedRecord;  // as a read of a device holding the new value would store it
        std::string oldValue;
    };
    const Case cases[] = {
        // Of the two 'h' records, the one the table shows: the last.
        {{std::nullopt, 'h'}, "5", RecordOf('0', 'h', "+000005", "--"), "+000020"},
        // Address '3' and suffix "+-" kept.
        {{2, 'V'}, "-150", RecordOf('3', 'V', "-000150", "+-"), "-000100"},
        // Marked " !!!": the mark goes with the new checksum.
        {{2, 'W'}, "+8", RecordOf('0', 'W', "+000008", "--"), "+000008"},
        {{1, 'J'}, "999999", RecordOf('0', 'J', "+999999", "--"), "+000002"},
        {{2, 'G'}, "-0", RecordOf('0', 'G', "-000000", "--"), "-000068"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, c.where.letter) + "=" + c.value);
        const std::string text = Sample();
        const kdm::ParameterSet set = Parse(text);
        const kdm::EditPlan plan = kdm::PlanEdit(text, set, c.where, c.value);
        ASSERT_TRUE(plan.Ok());
        const kdm::RecordEdit& edit = plan.edit;
        EXPECT_EQ(edit.after, c.expectedRecord);
        EXPECT_EQ(edit.after.find(" !!!"), std::string::npos);
        EXPECT_EQ(edit.oldValue, c.oldValue);
        EXPECT_EQ(edit.newValue, *kdm::StoredValueOf(c.value));
        EXPECT_EQ(edit.offset, set.Records()[edit.record].Offset());
        EXPECT_EQ(edit.before, text.substr(edit.offset, set.Records()[edit.record].Size()));

        std::string edited = text;
        ASSERT_TRUE(kdm::ApplyEdit(edited, edit));
        EXPECT_EQ(edited.substr(0, edit.offset), text.substr(0, edit.offset));
        EXPECT_EQ(edited.substr(edit.offset + edit.after.size()),
                  text.substr(edit.offset + edit.before.size()));
        const kdm::ParameterSet after = Parse(edited);
        ASSERT_EQ(after.Records().size(), set.Records().size());
        const kdm::Record& record = after.Records()[edit.record];
        EXPECT_EQ(record.Form(), kdm::RecordForm::kTelegram);
        EXPECT_EQ(record.Suspicion(), kdm::Suspect::kNone);
        const kdm::Parameter* shown = c.where.program
                                          ? after.FindProgram(*c.where.program)->Find(c.where.letter)
                                          : after.FindSystemParameter(c.where.letter);
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(shown->record, edit.record);
        EXPECT_EQ(shown->Value().substr(0, 7), edit.newValue);

        ASSERT_TRUE(kdm::RevertEdit(edited, edit));
        EXPECT_EQ(edited, text);
    }
}

TEST(ApplyEdit, LeavesATextItWasNotPlannedOnAlone) {
    const std::string text = Sample();
    const kdm::EditPlan plan = kdm::PlanEdit(text, Parse(text), {1, 'V'}, "5");
    ASSERT_TRUE(plan.Ok());
    std::string other = DumpBuilder("I1P").Add('h', "+000001--").Text();
    const std::string kept = other;
    EXPECT_FALSE(kdm::ApplyEdit(other, plan.edit));
    EXPECT_FALSE(kdm::RevertEdit(other, plan.edit));
    EXPECT_EQ(other, kept);
    std::string shortText = text.substr(0, plan.edit.offset + 3);
    EXPECT_FALSE(kdm::ApplyEdit(shortText, plan.edit));
    EXPECT_EQ(shortText, text.substr(0, plan.edit.offset + 3));
}

// Every parameter of a file of many programs, one after the other on the same text: each edit changes
// its own record only, and undoing them all in reverse gives the file back.
TEST(ApplyEdit, EveryParameterOfAFileInTurn) {
    DumpBuilder builder("I1P");
    builder.Add('h', "+000019--").Add('v', "+000235--", true);
    constexpr int kPrograms = 30;
    const char letters[] = {'J', 'N', 'u', 'o', 'V', 'W', 'E', 'G', 'X', 'R', 'Y', 'r', 't', 'C'};
    for (int program = 1; program <= kPrograms; ++program) {
        builder.Program(program);
        for (std::size_t i = 0; i < sizeof letters; ++i)
            builder.Add(letters[i], kdmtest::Value(program * 100 + static_cast<int>(i)),
                        (static_cast<std::size_t>(program) + i) % 17 == 0);
    }
    const std::string original = builder.Text();
    std::string text = original;
    std::vector<kdm::RecordEdit> made;
    kdm::ParameterSet set = Parse(text);
    std::vector<std::size_t> records;
    for (const kdm::Parameter& parameter : set.SystemParameters())
        records.push_back(parameter.record);
    for (const kdm::Program& program : set.Programs()) {
        for (const kdm::Parameter& parameter : program.parameters)
            records.push_back(parameter.record);
    }
    ASSERT_EQ(records.size(), 2u + kPrograms * sizeof letters);
    for (std::size_t n = 0; n < records.size(); ++n) {
        const std::string value = "-" + std::to_string(n % 1000000);
        const kdm::EditPlan plan = kdm::PlanRecordEdit(text, set, records[n], value);
        ASSERT_TRUE(plan.Ok()) << n;
        const std::string before = text;
        ASSERT_TRUE(kdm::ApplyEdit(text, plan.edit));
        ASSERT_EQ(text.size(), before.size() - plan.edit.before.size() + plan.edit.after.size());
        ASSERT_EQ(text.compare(0, plan.edit.offset, before, 0, plan.edit.offset), 0) << n;
        set = Parse(text);
        ASSERT_EQ(set.Records()[records[n]].Suspicion(), kdm::Suspect::kNone) << n;
        ASSERT_EQ(set.Records()[records[n]].Value().substr(0, 7), *kdm::StoredValueOf(value)) << n;
        made.push_back(plan.edit);
    }
    EXPECT_EQ(set.SuspectRecords(), 0);
    for (auto edit = made.rbegin(); edit != made.rend(); ++edit)
        ASSERT_TRUE(kdm::RevertEdit(text, *edit));
    EXPECT_EQ(text, original);
}

}  // namespace
