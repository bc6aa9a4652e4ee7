#include "cli/setting_argument.h"

namespace kdmcli {

std::optional<Setting> ParseSetting(std::string_view text) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    std::string_view target = text.substr(0, equals);
    Setting setting;
    setting.value.assign(text.substr(equals + 1));
    // "P12:V": the colon tells a program's parameter from the system letter 'P'.
    if (const std::size_t colon = target.find(':'); colon != std::string_view::npos) {
        const std::string_view program = target.substr(0, colon);
        // Nine digits at most: the number must fit an int.
        if (program.size() < 2 || program.size() > 10 || program.front() != 'P') return std::nullopt;
        int number = 0;
        for (const char c : program.substr(1)) {
            if (c < '0' || c > '9') return std::nullopt;
            number = number * 10 + (c - '0');
        }
        setting.where.program = number;
        target.remove_prefix(colon + 1);
    }
    if (target.size() != 1) return std::nullopt;
    setting.where.letter = target.front();
    return setting;
}

}  // namespace kdmcli
