// Fuzz target: the command line of kt73b-update. The input is the words after the program's name,
// separated by zero bytes. Reading them is a pure function: it either refuses with a text that
// says what is wrong, or gives options that hold together, and gives the same result every time.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli/cli_options.h"
#include "emulator/fault_script_parser.h"

namespace {

using kt73b::cli::CliOptions;

void Fail(const char* what, const std::vector<std::string_view>& words) {
    std::fprintf(stderr, "%s; the words:", what);
    for (const auto word : words) {
        std::fprintf(stderr, " '%.*s'", static_cast<int>(word.size()), word.data());
    }
    std::fprintf(stderr, "\n");
    std::abort();
}

bool Same(const CliOptions& a, const CliOptions& b) {
    return a.help == b.help && a.list == b.list && a.emulate == b.emulate && a.in == b.in &&
           a.out == b.out && a.faultRules == b.faultRules;
}

void CheckAccepted(const CliOptions& options, const std::vector<std::string_view>& words) {
    if ((options.in && options.in->empty()) || (options.out && options.out->empty())) {
        Fail("an empty port was accepted", words);
    }
    if (!options.faultRules.empty()) {
        if (!options.emulate) {
            Fail("fault rules without the emulated device", words);
        }
        kt73b::emu::FaultScript script;
        std::string error;
        if (!kt73b::emu::ParseFaultScript(options.faultRules, script, error)) {
            Fail("accepted fault rules the emulator cannot read", words);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> words;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find('\0', start), text.size());
        if (end > start || end < text.size()) {
            words.push_back(std::string_view(text).substr(start, end - start));
        }
        start = end + 1;
    }
    CliOptions options;
    std::string error;
    const bool accepted = kt73b::cli::ParseCliOptions(words, options, error);
    if (!accepted && error.empty()) {
        Fail("refused without saying why", words);
    }
    if (accepted) {
        CheckAccepted(options, words);
    }
    CliOptions again;
    std::string againError;
    if (kt73b::cli::ParseCliOptions(words, again, againError) != accepted || againError != error ||
        (accepted && !Same(options, again))) {
        Fail("the same words read differently the second time", words);
    }
    return 0;
}
