#include "transfer/verify.h"

#include <algorithm>
#include <cstdio>

#include "files/data_file.h"
#include "link/telegram.h"
#include "link/visible_text.h"

namespace kdm {

namespace {

std::string Legible(std::string_view text) {
    return VisibleText(text, {.names = VisibleStyle::Names::kFrame, .hexUpTo = 0xFF});
}

// The bytes of a record without its terminator.
std::string RecordText(const Record& record) {
    std::string text;
    record.AppendTo(text);
    if (text.ends_with(kRecordTerminator)) text.resize(text.size() - kRecordTerminator.size());
    return text;
}

}  // namespace

std::vector<std::string> SplitRecords(std::string_view text) {
    const ParsedParameterSet parsed = ParseParameterSet(text);
    std::vector<std::string> records;
    for (const Record& record : parsed.set.Records())
        records.push_back(RecordText(record));
    return records;
}

std::string TelegramOfRecord(std::string_view record) {
    const int stx = FindLetter(record, STX, 0);
    return TakeField(record, stx < 0 ? 0 : stx + 1, 14);
}

std::vector<RecordDifference> CompareParameterRecords(const ParameterSet& file, const ParameterSet& device) {
    const auto telegramOf = [](const RecordList& records, std::size_t i) {
        if (i >= records.size()) return std::string();
        return records[i].StartsWithStx() ? records[i].Telegram() : RecordText(records[i]);
    };
    const auto suspectOf = [](const RecordList& records, std::size_t i) {
        return i < records.size() ? records[i].Suspicion() : Suspect::kNone;
    };
    std::vector<RecordDifference> differences;
    const std::size_t count = std::max(file.Records().size(), device.Records().size());
    // Record 0 is the identification record: the write already refused a device of another type.
    for (std::size_t i = 1; i < count; ++i) {
        const std::string fromFile = telegramOf(file.Records(), i);
        const std::string fromDevice = telegramOf(device.Records(), i);
        const Suspect fileSuspect = suspectOf(file.Records(), i);
        const Suspect deviceSuspect = suspectOf(device.Records(), i);
        const bool bothPresent = i < file.Records().size() && i < device.Records().size();
        if (!bothPresent || fromFile != fromDevice || fileSuspect != Suspect::kNone ||
            deviceSuspect != Suspect::kNone) {
            differences.push_back(
                {static_cast<int>(i + 1), fromFile, fromDevice, fileSuspect, deviceSuspect});
        }
    }
    return differences;
}

std::vector<RecordDifference> CompareParameterRecords(std::string_view fileText,
                                                      std::string_view deviceText) {
    return CompareParameterRecords(ParseParameterSet(fileText).set, ParseParameterSet(deviceText).set);
}

std::string DescribeDifference(const RecordDifference& difference) {
    auto side = [](const std::string& text) {
        return text.empty() ? std::string("(missing)") : Legible(text);
    };
    std::string text = "record " + std::to_string(difference.record) + ": file " +
                       side(difference.fileTelegram) + " device " + side(difference.deviceTelegram);
    if (difference.fileSuspect != Suspect::kNone)
        text += " (file: " + std::string(SuspectName(difference.fileSuspect)) + ")";
    if (difference.deviceSuspect != Suspect::kNone)
        text += " (device: " + std::string(SuspectName(difference.deviceSuspect)) + ")";
    return text;
}

}  // namespace kdm
