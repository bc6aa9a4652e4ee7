// Replays fuzz inputs without libFuzzer: every file of the directories (or the files) named on the
// command line goes once through LLVMFuzzerTestOneInput, in name order. A target's own checks abort on a
// broken invariant, which fails the test.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void Feed(const std::string& bytes) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const fs::path path = argv[i];
        std::error_code error;
        if (fs::is_directory(path, error)) {
            for (const auto& entry : fs::directory_iterator(path, error)) {
                if (entry.is_regular_file(error)) inputs.push_back(entry.path());
            }
        } else if (fs::is_regular_file(path, error)) {
            inputs.push_back(path);
        }
        // A missing directory (no findings yet) is no error.
    }
    std::sort(inputs.begin(), inputs.end());
    Feed(std::string());  // the empty input always
    for (const fs::path& input : inputs) {
        std::ifstream in(input, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "cannot read %s\n", input.c_str());
            return 1;
        }
        Feed(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    }
    std::printf("replayed %zu inputs and the empty one\n", inputs.size());
    return 0;
}
