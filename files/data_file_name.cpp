#include "files/data_file_name.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <vector>

namespace kdm {
namespace {

char Upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// Index where the last path component begins.
std::size_t BaseNameStart(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

// The letter-case variants of `extension` in the order they are preferred.
std::vector<std::string> CaseVariants(std::string_view extension) {
    std::string upper(extension);
    std::transform(upper.begin(), upper.end(), upper.begin(), Upper);
    std::string lower(extension);
    std::transform(lower.begin(), lower.end(), lower.begin(), Lower);
    std::string capitalised = lower;
    if (!capitalised.empty()) capitalised[0] = Upper(capitalised[0]);

    std::vector<std::string> variants = {upper, lower, capitalised};
    // Every other mixture, by a bit per letter. Extensions are a few letters long; a longer one (no
    // data file has one) only gets the three forms above rather than thousands of look-ups.
    std::vector<std::size_t> letters;
    for (std::size_t i = 0; i < lower.size(); ++i) {
        if (Upper(lower[i]) != lower[i]) letters.push_back(i);
    }
    if (letters.size() <= 4) {
        const unsigned combinations = 1u << letters.size();
        for (unsigned mask = 0; mask < combinations; ++mask) {
            std::string variant = lower;
            for (std::size_t bit = 0; bit < letters.size(); ++bit) {
                if ((mask >> bit) & 1u) variant[letters[bit]] = Upper(variant[letters[bit]]);
            }
            variants.push_back(variant);
        }
    }
    std::vector<std::string> unique;
    for (std::string& variant : variants) {
        if (std::find(unique.begin(), unique.end(), variant) == unique.end())
            unique.push_back(std::move(variant));
    }
    return unique;
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

bool ExistsAsFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

}  // namespace

std::string ResolveDataFileName(const std::string& given, std::string_view defaultExtension) {
    if (given.empty() || Exists(given)) return given;
    const std::size_t start = BaseNameStart(given);
    // "dir/" names a directory, not a file that lacks its extension.
    if (start == given.size() || given.find('.', start) != std::string::npos) return given;
    for (const std::string& variant : CaseVariants(defaultExtension)) {
        std::string candidate = given + "." + variant;
        if (ExistsAsFile(candidate)) return candidate;
    }
    return given + "." + std::string(defaultExtension);
}

std::string PdfNameFor(const std::string& dataFile) {
    if (dataFile.empty()) return dataFile;
    const std::size_t start = BaseNameStart(dataFile);
    // A leading dot marks a hidden file, not an extension.
    const std::size_t dot = dataFile.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > start;
    return (hasExtension ? dataFile.substr(0, dot) : dataFile) + ".pdf";
}

}  // namespace kdm
