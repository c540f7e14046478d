// Without libFuzzer (GCC builds, the sanitizer builds), each fuzz target is this program: it runs
// the target once on every file of the given seed corpora, so the targets' checks run in every
// test configuration and a crash the fuzzer saved can be replayed by hand.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "tests/support/temp_dir.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

// The input goes to the target in a block of exactly its size, as libFuzzer hands it over, so a
// read past its end is a read past an allocation.
void RunOne(const std::filesystem::path& file) {
    const std::string bytes = kt73b::testing::ReadFile(file.string());
    const auto block = std::make_unique<std::uint8_t[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), block.get());
    LLVMFuzzerTestOneInput(block.get(), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
    int inputs = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::directory_iterator(path)) {
                RunOne(entry.path());
                ++inputs;
            }
        } else {
            RunOne(path);
            ++inputs;
        }
    }
    std::printf("%d inputs ran\n", inputs);
    return inputs == 0 ? 1 : 0;
}
