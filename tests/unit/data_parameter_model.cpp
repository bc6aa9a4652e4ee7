// The parameter model: exact round trip for every text, record forms and suspect flags, device type,
// sections as the table walks see them, parameters by letter and programs by number with their names.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "data/grid.h"
#include "data/parameter_model.h"
#include "data/strings.h"
#include "data/tables.h"
#include "support/dump_builder.h"
#include "support/parsed_set.h"
#include "support/random.h"

namespace {

using kdm::ParameterSet;
using kdm::RecordForm;
using kdm::Suspect;
using kdmtest::DumpBuilder;
using kdmtest::Value;

std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

using kdmtest::Parse;

std::vector<std::filesystem::path> CorpusFiles() {
    std::vector<std::filesystem::path> files;
    for (const char* dir : {"dump", "frames"}) {
        const std::filesystem::path root =
            std::filesystem::path(KDMXP_SOURCE_DIR) / "tests/fuzz/corpus" / dir;
        for (const auto& entry : std::filesystem::directory_iterator(root))
            files.push_back(entry.path());
    }
    return files;
}

std::vector<std::size_t> Indexes(const kdm::SectionRecords& section) {
    return std::vector<std::size_t>(section.begin(), section.end());
}

int RawRecords(const ParameterSet& set) {
    int raw = 0;
    for (const kdm::Record& record : set.Records())
        raw += record.Form() == RecordForm::kRaw ? 1 : 0;
    return raw;
}

using kdmtest::Random;

// A text with a few bytes changed, inserted, removed or repeated; the bytes that mean something to a
// reader are the likeliest.
std::string Mutated(std::string text, Random& random) {
    static const std::string kBytes = std::string("\x02\x03\r\n\r !QSPg0123456789+-") + '\0';
    const std::size_t steps = 1 + random.Below(4);
    for (std::size_t i = 0; i < steps; ++i) {
        const std::size_t at = random.Below(text.size() + 1);
        const char byte =
            random.Below(4) == 0 ? static_cast<char>(random.Below(256)) : kBytes[random.Below(kBytes.size())];
        switch (random.Below(5)) {
            case 0:
                if (at < text.size()) text[at] = byte;
                break;
            case 1:
                text.insert(at, 1, byte);
                break;
            case 2:
                if (at < text.size()) text.erase(at, 1 + random.Below(20));
                break;
            case 3:
                text.resize(at);
                break;
            default:
                text.insert(at, text.substr(random.Below(text.size() + 1), random.Below(40)));
                break;
        }
    }
    return text;
}

TEST(ParameterModel, CorpusFilesRoundTripAndReadStoredRecordsKeepNoRawBytes) {
    const std::vector<std::filesystem::path> files = CorpusFiles();
    ASSERT_GE(files.size(), 13u);
    int saved = 0;
    for (const auto& path : files) {
        SCOPED_TRACE(path.string());
        const std::string text = Slurp(path);
        const ParameterSet set = Parse(text);
        EXPECT_EQ(kdm::DataFileTextOf(set), text);
        EXPECT_EQ(set.TextSize(), text.size());
        const std::string name = path.filename().string();
        // Files saved by the simulator hold only records as a read stores them: nothing kept raw.
        if (name.starts_with("sim_")) {
            ++saved;
            EXPECT_EQ(RawRecords(set), 0);
            EXPECT_EQ(set.SuspectRecords(), 0);
            EXPECT_NE(set.Identification(), nullptr);
            EXPECT_NE(set.DeviceType(), 0);
        }
        // Its last record is cut short; the two marked records are as a read stores them.
        if (name == "mixed_damaged_cut.kdm") {
            EXPECT_EQ(RawRecords(set), 1);
            EXPECT_EQ(set.SuspectRecords(Suspect::kMismatch), 2);
            EXPECT_EQ(set.SuspectRecords(Suspect::kDamaged), 1);
        }
    }
    EXPECT_GE(saved, 8);
}

TEST(ParameterModel, MutatedCorpusFilesRoundTrip) {
    Random random(20240611);
    int texts = 0;
    for (const auto& path : CorpusFiles()) {
        const std::string original = Slurp(path);
        for (int i = 0; i < 300; ++i, ++texts) {
            const std::string text = Mutated(original, random);
            const ParameterSet set = Parse(text);
            ASSERT_EQ(kdm::DataFileTextOf(set), text) << path << " mutation " << i;
            std::size_t offset = 0;
            for (const kdm::Record& record : set.Records()) {
                ASSERT_EQ(record.Offset(), offset);
                offset += record.Size();
            }
            ASSERT_EQ(offset, text.size());
        }
    }
    EXPECT_GE(texts, 3900);
}

TEST(ParameterModel, OddTextsRoundTrip) {
    const std::string good = DumpBuilder("I10").Add('d', Value(1)).Program(1).Add('N', Value(2)).Text();
    const std::vector<std::string> texts = {
        "",
        "no STX at all",
        "\r\n\r",
        "\r\n\r\r\n\r\x02",
        std::string("\0\x02\0\r\n\r", 6),
        "junk before" + good,
        good + "junk after",
        good.substr(0, good.size() - 1),  // the last terminator cut
        good.substr(0, good.size() - 3),  // without the last terminator
        "\x02"
        "0g+I10000--572",  // identification without terminator
        "\x02"
        "0s+000000--584\x03 QS 584 QS 584\r\n\r",
        "\x02"
        "0s+000000--584\x03 QS 0584\r\n\r",
        "\x02"
        "0s+000000--584\x03 QS \r\n\r",
        "\x02"
        "0s+0\x02"
        "0s+000000--584\x03 QS 584\r\n\r",
        std::string(200, '\x02'),
    };
    for (const std::string& text : texts) {
        EXPECT_EQ(kdm::DataFileTextOf(Parse(text)), text) << text.size();
    }
}

TEST(ParameterModel, RefusesOnlyTextsLargerThanADataFile) {
    const std::string large(kdm::kMaxParameterSetText + 1, '0');
    const kdm::ParsedParameterSet refused = kdm::ParseParameterSet(large);
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.reason.find("too large"), std::string::npos);
    EXPECT_TRUE(refused.set.Records().empty());
}

struct FormCase {
    const char* name;
    std::string record;  // after a good identification record
    RecordForm form;
    Suspect suspect;
    bool marked;
};

TEST(ParameterModel, RecordFormsAndSuspectFlags) {
    const std::string good = kdmtest::TelegramChars('d', Value(1));  // 14 characters
    std::string wrongSum = good;
    wrongSum[13] = wrongSum[13] == '9' ? '0' : static_cast<char>(wrongSum[13] + 1);
    std::string annotatedWrong;
    kdm::VerifyTelegram("\x02" + wrongSum + "\x03", annotatedWrong);
    const std::string sum = kdm::ComputeChecksum("\x02" + good);
    const std::vector<FormCase> cases = {
        {"as read", "\x02" + good + "\x03 QS " + sum + "\r\n\r", RecordForm::kTelegram, Suspect::kNone,
         false},
        {"checksum mismatch", annotatedWrong + "\r\n\r", RecordForm::kTelegram, Suspect::kMismatch, true},
        // A frame the line damaged is stored with the mark even when its checksum fits.
        {"marked complete frame", "\x02" + good + "\x03 QS " + sum + " !!!\r\n\r", RecordForm::kTelegram,
         Suspect::kDamaged, true},
        {"cut frame",
         "\x02"
         "0s+0 QS 254 !!!\r\n\r",
         RecordForm::kTelegram, Suspect::kDamaged, true},
        {"byte 15 not ETX", "\x02" + good + "X QS " + sum + " !!!\r\n\r", RecordForm::kTelegram,
         Suspect::kDamaged, true},
        // What a read never stores keeps its bytes.
        {"mismatch without mark", "\x02" + wrongSum + "\x03 QS " + sum + "\r\n\r", RecordForm::kRaw,
         Suspect::kDamaged, false},
        {"cut frame without mark",
         "\x02"
         "0s+0 QS 254\r\n\r",
         RecordForm::kRaw, Suspect::kDamaged, false},
        {"wrong computed sum", "\x02" + good + "\x03 QS 1\r\n\r", RecordForm::kRaw, Suspect::kDamaged, false},
        {"no terminator", "\x02" + good + "\x03 QS " + sum, RecordForm::kRaw, Suspect::kDamaged, false},
        {"no annotation", "\x02" + good + "\x03\r\n\r", RecordForm::kRaw, Suspect::kDamaged, false},
        {"no STX", good + "\x03 QS " + sum + "\r\n\r", RecordForm::kRaw, Suspect::kDamaged, false},
        {"second identification",
         "\x02"
         "0g+I10000--572\r\n\r",
         RecordForm::kRaw, Suspect::kDamaged, false},
    };
    const std::string identification = DumpBuilder("I10").Text();
    for (const FormCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ParameterSet set = Parse(identification + c.record);
        ASSERT_EQ(set.Records().size(), 2u);
        const kdm::Record& record = set.Records()[1];
        EXPECT_EQ(record.Form(), c.form);
        EXPECT_EQ(record.Suspicion(), c.suspect);
        EXPECT_EQ(record.Marked(), c.marked);
        EXPECT_EQ(record.Offset(), identification.size());
        EXPECT_EQ(set.SuspectRecords(), c.suspect == Suspect::kNone ? 0 : 1);
        EXPECT_EQ(set.SuspectRecords(Suspect::kMismatch), c.suspect == Suspect::kMismatch ? 1 : 0);
    }
}

TEST(ParameterModel, RecordsEndAtTheirTerminatorOrAtTheNextStx) {
    const std::string id = DumpBuilder("I10").Text();
    const ParameterSet set = Parse(id +
                                   "\x02"
                                   "0a+1\x02"
                                   "0d+000001--570\x03 QS 570\r\n\rtail\r\n\r\x02");
    ASSERT_EQ(set.Records().size(), 5u);
    EXPECT_EQ(set.Records()[1].Bytes(),
              "\x02"
              "0a+1");
    // A record cut short reads on into the next one, as every reader takes its 14 characters.
    EXPECT_EQ(set.Records()[1].Telegram(),
              "0a+1\x02"
              "0d+000001");
    EXPECT_EQ(set.Records()[1].Letter(), "a");
    EXPECT_EQ(set.Records()[1].Value(),
              "+1\x02"
              "0d+000");
    EXPECT_EQ(set.Records()[2].Form(), RecordForm::kTelegram);
    EXPECT_EQ(set.Records()[3].Bytes(), "tail\r\n\r");
    EXPECT_FALSE(set.Records()[3].StartsWithStx());
    EXPECT_EQ(set.Records()[3].Telegram(), "");
    EXPECT_EQ(set.Records()[4].Telegram(), "");
    EXPECT_EQ(set.Records()[4].Letter(), "");
}

TEST(ParameterModel, DeviceTypeAndHeadingComeFromTheFirstStx) {
    EXPECT_EQ(Parse(DumpBuilder("I1K").Text()).DeviceType(), 3);
    EXPECT_EQ(Parse(DumpBuilder("U1C").Text()).DeviceType(), 21);
    EXPECT_EQ(Parse(DumpBuilder("u1c").Text()).DeviceType(), 0);
    EXPECT_EQ(Parse(DumpBuilder("E2P").Text()).Heading(), "0g+E2P000--");
    const ParameterSet shifted = Parse("abcde" + DumpBuilder("U10").Text());
    EXPECT_EQ(shifted.DeviceType(), 22);
    EXPECT_EQ(shifted.Heading(), "0g+U10000--");
    // Junk in front: the first record is no identification record a read stores.
    EXPECT_EQ(shifted.Identification(), nullptr);
    EXPECT_EQ(Parse("").DeviceType(), 0);
    EXPECT_EQ(Parse("").Heading(), "");
}

TEST(ParameterModel, ParametersByLetterWithTheNamesOfTheTables) {
    DumpBuilder dump("I10");
    dump.Add('d', Value(1)).Add('#', Value(2)).Add('&', "+00g000--").Add('e', Value(3), true);
    dump.Program(7).Add('N', Value(4)).Add('u', "-000050--").Add('%', Value(5));
    dump.Program(9).Add('N', Value(6));
    const ParameterSet set = Parse(dump.Text());
    ASSERT_EQ(set.DeviceType(), 1);

    // '&' is unlisted with a 'g' in its value: the tables drop it, and so does the model.
    ASSERT_EQ(set.SystemParameters().size(), 3u);
    const kdm::Parameter* mode = set.FindSystemParameter('d');
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(mode->Name(), "Mode");
    EXPECT_EQ(mode->Value(), "+000001--");
    EXPECT_EQ(mode->Letter(), "d");
    EXPECT_EQ(mode->ShownValue(), " 000001  ");
    EXPECT_EQ(mode->ValueText(), "000001");
    EXPECT_EQ(mode->record, 1u);
    EXPECT_EQ(mode->suspect, Suspect::kNone);
    const kdm::Parameter* unlisted = set.FindSystemParameter('#');
    ASSERT_NE(unlisted, nullptr);
    EXPECT_EQ(unlisted->nameId, kdm::sid::kUnlisted);
    EXPECT_EQ(unlisted->Name(), " ");
    EXPECT_EQ(set.FindSystemParameter('&'), nullptr);
    EXPECT_EQ(set.FindSystemParameter('e')->suspect, Suspect::kMismatch);
    EXPECT_EQ(set.FindSystemParameter('e')->Name(), "operating");

    ASSERT_EQ(set.Programs().size(), 2u);
    const kdm::Program* seven = set.FindProgram(7);
    ASSERT_NE(seven, nullptr);
    EXPECT_EQ(seven->NumberText(), "000007");
    EXPECT_EQ(seven->number->Name(), "Program no.");
    ASSERT_EQ(seven->parameters.size(), 3u);
    EXPECT_EQ(seven->Find('u')->ValueText(), "-000050");
    EXPECT_EQ(seven->Find('u')->Name(), "Lower limit ");
    EXPECT_EQ(seven->Find('%')->Name(), " ");
    EXPECT_EQ(seven->Find('x'), nullptr);
    EXPECT_EQ(set.FindProgram(9)->Find('N')->Value(), Value(6));
    EXPECT_EQ(set.FindProgram(8), nullptr);
    EXPECT_EQ(set.SuspectRecords(), 1);
}

TEST(ParameterModel, UnknownDeviceListsEveryRecordWithoutNames) {
    const ParameterSet set = Parse(
        DumpBuilder("X99").Add('d', Value(1)).Program(1).Add('N', Value(2)).Add('&', "+00g000--").Text());
    EXPECT_EQ(set.DeviceType(), 0);
    ASSERT_EQ(set.SystemParameters().size(), 1u);
    EXPECT_EQ(set.SystemParameters()[0].Name(), "");
    ASSERT_EQ(set.Programs().size(), 1u);
    EXPECT_EQ(set.Programs()[0].Number(), 1);
    EXPECT_EQ(set.Programs()[0].parameters.size(), 2u);
}

TEST(ParameterModel, ProgramNumbers) {
    const auto numberOf = [](const std::string& value) {
        return Parse(DumpBuilder("I10").Add('P', value).Text()).Programs().at(0).Number();
    };
    EXPECT_EQ(numberOf("+000012--"), 12);
    EXPECT_EQ(numberOf("-000003--"), -3);
    EXPECT_EQ(numberOf("+--------"), std::nullopt);
    EXPECT_EQ(numberOf("0001x----"), 1);
}

TEST(ParameterModel, DamagedSectionsAreWhatTheTablesWalk) {
    // A 'P' inside a system value starts the program walk at that record: it lies in both sections,
    // and its program has no 'P' record.
    DumpBuilder dump("I10");
    dump.Add('d', Value(1)).Add('e', "+P00001--").Add('v', Value(2)).Program(3).Add('N', Value(4));
    const ParameterSet set = Parse(dump.Text());
    EXPECT_EQ(Indexes(set.SystemSection()), (std::vector<std::size_t>{1, 2, 3}));
    EXPECT_EQ(Indexes(set.ProgramSection()), (std::vector<std::size_t>{2, 3, 4, 5}));
    ASSERT_EQ(set.Programs().size(), 2u);
    EXPECT_FALSE(set.Programs()[0].number.has_value());
    EXPECT_EQ(set.Programs()[0].NumberText(), "");
    EXPECT_EQ(set.Programs()[0].parameters.size(), 2u);
    EXPECT_EQ(set.Programs()[1].Number(), 3);

    // A 'g' record ends the program section; what follows lies in no section.
    const ParameterSet ended =
        Parse(DumpBuilder("I10").Program(1).Add('N', Value(1)).Add('g', Value(2)).Add('u', Value(3)).Text());
    EXPECT_EQ(Indexes(ended.ProgramSection()), (std::vector<std::size_t>{1, 2}));
    EXPECT_TRUE(ended.SystemSection().empty());
}

// The sections must be exactly the records the table walks deliver, for any text.
void ExpectSectionsMatchTheWalks(const std::string& text) {
    const ParameterSet set = Parse(text);
    kdm::MemoryGrid a;
    kdm::MemoryGrid b;
    kdm::ParameterTables tables(a, b);
    std::string letter;
    std::string value;
    std::vector<std::pair<std::string, std::string>> walked;
    std::vector<std::pair<std::string, std::string>> modelled;
    while (tables.NextSystemRecord(text, letter, value))
        walked.emplace_back(letter, value);
    for (const std::size_t k : set.SystemSection())
        modelled.emplace_back(set.Records()[k].Letter(), set.Records()[k].Value());
    ASSERT_EQ(modelled, walked) << "system";
    walked.clear();
    modelled.clear();
    while (tables.NextProgramRecord(text, letter, value))
        walked.emplace_back(letter, value);
    for (const std::size_t k : set.ProgramSection())
        modelled.emplace_back(set.Records()[k].Letter(), set.Records()[k].Value());
    ASSERT_EQ(modelled, walked) << "program";
}

TEST(ParameterModel, SectionsAreTheRecordsTheTableWalksDeliver) {
    Random random(77);
    for (const auto& path : CorpusFiles()) {
        const std::string original = Slurp(path);
        SCOPED_TRACE(path.string());
        ExpectSectionsMatchTheWalks(original);
        for (int i = 0; i < 300; ++i) {
            const std::string text = Mutated(original, random);
            SCOPED_TRACE(i);
            ExpectSectionsMatchTheWalks(text);
            if (HasFatalFailure()) return;
        }
    }
}

TEST(ParameterModel, OfTelegramsIsWhatAReadStores) {
    const std::string identification = kdmtest::TelegramChars('g', "+I10000--");
    std::string wrong = kdmtest::TelegramChars('e', Value(2));
    wrong[13] = wrong[13] == '9' ? '0' : static_cast<char>(wrong[13] + 1);
    const std::vector<std::string> telegrams = {kdmtest::TelegramChars('d', Value(1)), wrong,
                                                kdmtest::TelegramChars('P', "+000001--")};
    const ParameterSet set = ParameterSet::OfTelegrams(identification, telegrams);
    const std::string expected =
        DumpBuilder("I10").Add('d', Value(1)).Add('e', Value(2), true).Program(1).Text();
    EXPECT_EQ(kdm::DataFileTextOf(set), expected);
    EXPECT_EQ(set.SuspectRecords(Suspect::kMismatch), 1);
    EXPECT_EQ(set.Identification()->Telegram(), identification);
    EXPECT_EQ(set.Programs().size(), 1u);
}

// Records are views of the text their set keeps: a copy keeps it alive after the original is gone, a
// moved set keeps its identification, and the set that took its text without a copy is the same.
TEST(ParameterModel, CopiesAndMovedSetsKeepTheirRecords) {
    Random random(4242);
    const std::string original =
        Slurp(std::filesystem::path(KDMXP_SOURCE_DIR) / "tests/fuzz/corpus/dump/sim_type1_p3.kdm");
    for (int i = 0; i < 50; ++i) {
        const std::string text = i == 0 ? original : Mutated(original, random);
        std::vector<std::string> bytes;
        const ParameterSet first = Parse(text);
        for (const kdm::Record record : first.Records())
            bytes.push_back(record.Bytes() + "|" + record.Telegram());
        ParameterSet copy;
        {
            const ParameterSet parsed = Parse(text);
            copy = parsed;
        }
        ParameterSet moved = kdm::ParseParameterSetInPlace(std::string(text)).set;
        const ParameterSet target = std::move(moved);
        for (const ParameterSet* set : {static_cast<const ParameterSet*>(&copy), &target}) {
            ASSERT_EQ(kdm::DataFileTextOf(*set), text) << i;
            std::vector<std::string> again;
            for (const kdm::Record record : set->Records())
                again.push_back(record.Bytes() + "|" + record.Telegram());
            EXPECT_EQ(again, bytes) << i;
            ASSERT_EQ(set->Identification() != nullptr, Parse(text).Identification() != nullptr) << i;
            if (set->Identification() != nullptr) {
                EXPECT_EQ(set->Identification()->Bytes(), text.substr(0, kdm::kIdentificationBytes));
            }
        }
    }
}

// A record keeps its offset in 27 bits and its end is the next one's start: the last records of a text
// at the size limit must come out where they stand.
TEST(ParameterModel, RecordsAtTheEndOfTheLargestTextAreWhereTheyStand) {
    const std::string identification = DumpBuilder("I10").Text();
    const std::string tail =
        DumpBuilder("I10").Add('d', Value(1)).Add('e', Value(2), true).Text().substr(identification.size());
    std::string text = identification;
    text.resize(kdm::kMaxParameterSetText - tail.size() - 1, 'x');
    text += tail + "\x02";
    ASSERT_EQ(text.size(), kdm::kMaxParameterSetText);
    const ParameterSet set = kdm::ParseParameterSetInPlace(std::string(text)).set;
    const kdm::RecordList records = set.Records();
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[1].Size(), text.size() - tail.size() - 1 - identification.size());
    EXPECT_EQ(records[2].Offset(), text.size() - tail.size() - 1);
    EXPECT_EQ(records[2].Form(), RecordForm::kTelegram);
    EXPECT_EQ(records[2].Letter(), "d");
    EXPECT_EQ(records[3].Suspicion(), Suspect::kMismatch);
    EXPECT_EQ(records[4].Offset(), text.size() - 1);
    EXPECT_EQ(records[4].Size(), 1u);
    EXPECT_EQ(kdm::DataFileTextOf(set), text);
}

}  // namespace
