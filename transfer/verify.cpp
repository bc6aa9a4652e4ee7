#include "transfer/verify.h"

#include <algorithm>
#include <cstdio>

#include "files/data_file.h"
#include "link/telegram.h"

namespace kdm {

namespace {

std::string Legible(std::string_view text) {
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == STX) {
            out += "<STX>";
        } else if (c == ETX) {
            out += "<ETX>";
        } else if (byte < 0x20 || byte >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "<0x%02X>", byte);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::vector<std::string> SplitRecords(std::string_view text) {
    std::vector<std::string> records;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find(kRecordTerminator, start);
        if (end == std::string_view::npos) {
            records.emplace_back(text.substr(start));
            break;
        }
        records.emplace_back(text.substr(start, end - start));
        start = end + kRecordTerminator.size();
    }
    return records;
}

std::string TelegramOfRecord(std::string_view record) {
    const int stx = FindLetter(record, STX, 0);
    return TakeField(record, stx < 0 ? 0 : stx + 1, 14);
}

std::vector<RecordDifference> CompareParameterRecords(std::string_view fileText,
                                                      std::string_view deviceText) {
    const std::vector<std::string> file = SplitRecords(fileText);
    const std::vector<std::string> device = SplitRecords(deviceText);
    std::vector<RecordDifference> differences;
    const std::size_t count = std::max(file.size(), device.size());
    // Record 0 is the identification record: the write already refused a device of another type.
    for (std::size_t i = 1; i < count; ++i) {
        const std::string fromFile = i < file.size() ? TelegramOfRecord(file[i]) : std::string();
        const std::string fromDevice = i < device.size() ? TelegramOfRecord(device[i]) : std::string();
        const bool bothPresent = i < file.size() && i < device.size();
        if (!bothPresent || fromFile != fromDevice) {
            differences.push_back({static_cast<int>(i + 1), fromFile, fromDevice});
        }
    }
    return differences;
}

std::string DescribeDifference(const RecordDifference& difference) {
    auto side = [](const std::string& text) {
        return text.empty() ? std::string("(missing)") : Legible(text);
    };
    return "record " + std::to_string(difference.record) + ": file " + side(difference.fileTelegram) +
           " device " + side(difference.deviceTelegram);
}

}  // namespace kdm
