#include "sim/parameter_set.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "data/catalogue.h"
#include "data/dump.h"
#include "data/parameter_model.h"
#include "link/telegram.h"

namespace kdmsim {

namespace {

// splitmix64: tiny, and its sequence is the same on every platform and standard library, so a seed
// gives the same device everywhere.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    std::uint64_t Below(std::uint64_t bound) { return Next() % bound; }

  private:
    std::uint64_t state_;
};

std::string SixDigits(std::uint64_t number) {
    std::string digits(6, '0');
    for (std::size_t i = 6; i-- > 0;) {
        digits[i] = static_cast<char>('0' + number % 10);
        number /= 10;
    }
    return digits;
}

// Values as such devices show them: mostly small switch positions and counts, some larger measured
// values, now and then a negative offset.
std::string RandomValue(Random& random, bool mayBeNegative) {
    static constexpr std::array<std::uint64_t, 4> kRanges = {10, 100, 5000, 200000};
    const std::uint64_t number = random.Below(kRanges[random.Below(kRanges.size())]);
    const char sign = mayBeNegative && random.Below(8) == 0 ? '-' : '+';
    return std::string(1, sign) + SixDigits(number) + "--";
}

// The letters a layout names, in the order of their rows or columns, without the two letters that have
// their own meaning on the line.
std::vector<char> LettersOf(const kdm::Layout& layout) {
    std::vector<const kdm::LayoutEntry*> entries;
    for (const kdm::LayoutEntry& entry : layout.entries)
        entries.push_back(&entry);
    std::vector<char> letters;
    for (int position = 0; position <= 24; ++position) {
        for (const kdm::LayoutEntry* entry : entries) {
            if (entry->position == position && entry->letter != 'P' && entry->letter != 'g') {
                letters.push_back(entry->letter);
            }
        }
    }
    return letters;
}

int TypeOfCode(std::string_view code) {
    std::string dump(1, kdm::STX);
    dump += "0g+";
    dump += code;
    std::string heading;
    return kdm::DetectDeviceType(dump, heading);
}

}  // namespace

std::string MakeTelegram(char letter, std::string_view value) {
    std::string telegram = "0";
    telegram += letter;
    telegram += value.substr(0, 9);
    telegram.resize(11, '0');
    std::string sum = kdm::ComputeChecksum(std::string(1, kdm::STX) + telegram);
    if (sum.size() < 3) sum.insert(0, 3 - sum.size(), '0');
    return telegram + sum;
}

std::string DeviceCodeOfType(int type) {
    switch (type) {
        case 1:
            return "I10";
        case 2:
            return "I1P";
        case 3:
            return "I1K";
        case 4:
            return "IKP";
        case 5:
            return "IKV";
        case 10:
            return "E20";
        case 11:
            return "E2P";
        case 12:
            return "E10";
        case 13:
            return "E1P";
        case 20:
            return "U20";
        case 21:
            return "U2P";
        case 22:
            return "U10";
        case 23:
            return "U1P";
        default:
            return {};
    }
}

ParameterSet GenerateParameterSet(std::string_view code, int programs, std::uint64_t seed) {
    int type = TypeOfCode(code);
    if (kdm::SystemLayout(type) == nullptr) type = 2;
    Random random(seed);
    ParameterSet set;
    set.identification = MakeTelegram('g', std::string("+") + std::string(code.substr(0, 3)) + "000--");
    for (char letter : LettersOf(*kdm::SystemLayout(type))) {
        set.system.push_back(MakeTelegram(letter, RandomValue(random, false)));
    }
    const std::vector<char> programLetters = LettersOf(*kdm::ProgramLayout(type));
    for (int number = 1; number <= programs; ++number) {
        Program program;
        program.header =
            MakeTelegram('P', std::string(1, '+') + SixDigits(static_cast<std::uint64_t>(number)) + "--");
        for (char letter : programLetters) {
            program.parameters.push_back(MakeTelegram(letter, RandomValue(random, true)));
        }
        set.programs.push_back(std::move(program));
    }
    return set;
}

bool ParseParameterSet(std::string_view text, ParameterSet& set, std::string& reason) {
    const kdm::ParsedParameterSet file = kdm::ParseParameterSet(text);
    if (!file.ok) {
        reason = file.reason;
        return false;
    }
    ParameterSet parsed;
    int record = 0;
    // A device takes the 14 characters after an STX as one telegram, whatever they hold, so an STX
    // among them starts no telegram of its own.
    std::size_t telegramEnd = 0;
    for (const kdm::Record& stored : file.set.Records()) {
        if (!stored.StartsWithStx() || (record > 0 && stored.Offset() < telegramEnd)) continue;
        ++record;
        telegramEnd = stored.Offset() + 1 + kTelegramLength;
        std::string telegram = stored.Telegram();
        if (record == 1) {
            if (telegram.size() < kTelegramLength) break;
            if (telegram[1] != 'g') {
                reason = "the first record is not an identification telegram";
                return false;
            }
            parsed.identification = std::move(telegram);
            continue;
        }
        if (telegram.size() < kTelegramLength) {
            reason = "record " + std::to_string(record) + " is cut short";
            return false;
        }
        if (telegram.find('g') != std::string::npos) {
            // A device would end its block with it, so the rest could never be read back.
            reason = "record " + std::to_string(record) + " holds a 'g'";
            return false;
        }
        if (telegram[1] == 'P') {
            parsed.programs.push_back(Program{std::move(telegram), {}});
        } else if (parsed.programs.empty()) {
            parsed.system.push_back(std::move(telegram));
        } else {
            parsed.programs.back().parameters.push_back(std::move(telegram));
        }
    }
    if (parsed.identification.empty()) {
        reason = "no identification record";
        return false;
    }
    if (parsed.programs.size() > static_cast<std::size_t>(kMaxPrograms)) {
        reason = "more than 255 programs";
        return false;
    }
    set = std::move(parsed);
    return true;
}

bool LoadParameterSet(const std::string& path, ParameterSet& set, std::string& reason) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        reason = path + ": " + std::strerror(errno);
        return false;
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        reason = path + ": read error";
        return false;
    }
    if (!ParseParameterSet(text, set, reason)) {
        reason = path + ": " + reason;
        return false;
    }
    return true;
}

std::vector<std::string> TelegramsOf(const ParameterSet& set) {
    std::vector<std::string> telegrams = set.system;
    for (const Program& program : set.programs) {
        telegrams.push_back(program.header);
        telegrams.insert(telegrams.end(), program.parameters.begin(), program.parameters.end());
    }
    return telegrams;
}

kdm::ParameterSet DataFileSetOf(const ParameterSet& set) {
    return kdm::ParameterSet::OfTelegrams(set.identification, TelegramsOf(set));
}

std::string DataFileTextOf(const ParameterSet& set) {
    return kdm::DataFileTextOf(DataFileSetOf(set));
}

bool SaveParameterSet(const std::string& path, const ParameterSet& set, std::string& reason) {
    const std::string text = DataFileTextOf(set);
    std::string temporary = path + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        reason = temporary + ": " + std::strerror(errno);
        return false;
    }
    int error = 0;
    std::size_t done = 0;
    while (error == 0 && done < text.size()) {
        const ssize_t put = write(fd, text.data() + done, text.size() - done);
        if (put > 0) {
            done += static_cast<std::size_t>(put);
        } else if (put < 0 && errno != EINTR) {
            error = errno;
        } else if (put == 0) {
            error = EIO;
        }
    }
    // The saved set must survive a crash right after the rename: data on disk first, then the name.
    if (error == 0 && (fchmod(fd, 0644) != 0 || fsync(fd) != 0)) error = errno;
    if (close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && rename(temporary.c_str(), path.c_str()) != 0) error = errno;
    if (error == 0) return true;
    reason = path + ": " + std::strerror(error);
    unlink(temporary.c_str());
    return false;
}

}  // namespace kdmsim
