// The walk over a command line that kt73b-update and kt73b-emulator share: "--name value" and
// "--name=value", each word found in the program's table of options, the value taken as the
// option's kind says. Each program words the mistakes itself: their texts are its own.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

namespace kt73b {

enum class OptionValue {
    kNone,            // a flag
    kRequired,        // the next word, or what follows '='
    kOptionalNumber,  // taken only when the next word is digits (or given after '=')
};

enum class OptionMistake {
    kNone,
    kUnknown,          // a word that is no option of the table
    kMissingValue,     // the last word, and it needs a value
    kUnexpectedValue,  // "--flag=value"
    kRepeated,         // given twice where the program takes each option once
    kRejected,         // the program's own handler refused the value (it said why)
};

struct OptionWalkEnd {
    OptionMistake mistake = OptionMistake::kNone;
    std::string_view word;   // the option as written, without "=value"
    std::size_t option = 0;  // its place in the table, unless unknown
};

enum class OptionRepeats { kAllowed, kRefused };

// Calls `take(option, value)` for every option in the order given; `Option` is any record with a
// `name` and an `OptionValue value`. The walk ends at the first mistake, or when `take` returns
// false.
template <typename Option, typename Take>
OptionWalkEnd WalkOptions(std::span<const std::string_view> args, std::span<const Option> options,
                          OptionRepeats repeats, Take take) {
    const auto isDigits = [](std::string_view word) {
        return !word.empty() && word.find_first_not_of("0123456789") == std::string_view::npos;
    };
    std::vector<const Option*> seen;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view word = args[i];
        std::string_view value;
        bool inlineValue = false;
        if (const auto equals = word.find('='); word.starts_with("--") && equals != word.npos) {
            value = word.substr(equals + 1);
            word = word.substr(0, equals);
            inlineValue = true;
        }
        std::size_t index = 0;
        while (index < options.size() && options[index].name != word) {
            ++index;
        }
        if (index == options.size()) {
            return {OptionMistake::kUnknown, word};
        }
        const Option* option = &options[index];
        if (repeats == OptionRepeats::kRefused) {
            for (const Option* earlier : seen) {
                if (earlier == option) {
                    return {OptionMistake::kRepeated, word, index};
                }
            }
            seen.push_back(option);
        }
        if (option->value == OptionValue::kNone && inlineValue) {
            return {OptionMistake::kUnexpectedValue, word, index};
        }
        if (option->value == OptionValue::kRequired && !inlineValue) {
            if (i + 1 >= args.size()) {
                return {OptionMistake::kMissingValue, word, index};
            }
            value = args[++i];
        }
        if (option->value == OptionValue::kOptionalNumber && !inlineValue && i + 1 < args.size() &&
            isDigits(args[i + 1])) {
            value = args[++i];
        }
        if (!take(*option, value)) {
            return {OptionMistake::kRejected, word, index};
        }
    }
    return {};
}

}  // namespace kt73b
