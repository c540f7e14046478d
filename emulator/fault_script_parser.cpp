#include "emulator/fault_script_parser.h"

#include <charconv>
#include <cstdint>
#include <vector>

#include "emulator/duration_text.h"
#include "emulator/number_text.h"

namespace kt73b::emu {

namespace {

constexpr std::uint32_t kDataByteLimit = 0x7F;

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\n')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\n')) {
        text.remove_suffix(1);
    }
    return text;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    while (true) {
        const auto at = text.find(separator);
        parts.push_back(Trim(text.substr(0, at)));
        if (at == std::string_view::npos) {
            return parts;
        }
        text.remove_prefix(at + 1);
    }
}

bool ParseKind(std::string_view name, FaultRule& rule) {
    if (name == "any") {
        rule.kind.reset();
        return true;
    }
    for (std::size_t i = 0; i < kRequestKindCount; ++i) {
        const auto kind = static_cast<RequestKind>(i);
        if (name == RequestKindName(kind)) {
            rule.kind = kind;
            return true;
        }
    }
    return false;
}

bool ParseOccurrences(std::string_view text, FaultRule& rule, std::string& error) {
    const auto dash = text.find('-');
    const bool onwards = text.ends_with('+');
    std::string_view firstText = text;
    if (onwards) {
        firstText.remove_suffix(1);
    } else if (dash != std::string_view::npos) {
        firstText = text.substr(0, dash);
    }
    if (!ParseNumber(firstText, rule.first) || rule.first == 0) {
        error = "occurrences are counted from 1: '#" + std::string(text) + "'";
        return false;
    }
    rule.last = onwards ? kEveryOccurrence : rule.first;
    if (!onwards && dash != std::string_view::npos &&
        (!ParseNumber(text.substr(dash + 1), rule.last) || rule.last < rule.first)) {
        error = "'#" + std::string(text) + "' is no range N-M with M >= N";
        return false;
    }
    return true;
}

bool ParseTarget(std::string_view text, FaultRule& rule, std::string& error) {
    const auto hash = text.find('#');
    const std::string_view name = Trim(text.substr(0, hash));
    if (!ParseKind(name, rule)) {
        error = "unknown request kind '" + std::string(name) +
                "' (identity, update-mode, erase, write, finish, any)";
        return false;
    }
    return hash == std::string_view::npos ||
           ParseOccurrences(Trim(text.substr(hash + 1)), rule, error);
}

bool ParseDataByte(std::string_view text, std::optional<std::uint8_t>& value) {
    std::uint32_t number = 0;
    if (!ParseNumber(text, number) || number > kDataByteLimit) {
        return false;
    }
    value = static_cast<std::uint8_t>(number);
    return true;
}

bool ParseCount(std::string_view text, std::size_t& value) {
    std::uint32_t number = 0;
    if (!ParseNumber(text, number) || number == 0) {
        return false;
    }
    value = number;
    return true;
}

bool ParseEffectWithArgument(std::string_view name, std::string_view argument, FaultPlan& plan) {
    if (name == "delay") {
        return ParseDuration(argument, plan.delay);
    }
    if (name == "late") {
        Micros late{0};
        const bool ok = ParseDuration(argument, late);
        plan.late = late;
        return ok;
    }
    if (name == "status") {
        return ParseDataByte(argument, plan.status);
    }
    if (name == "model") {
        return ParseDataByte(argument, plan.model);
    }
    if (name == "split") {
        return ParseCount(argument, plan.splitBytes);
    }
    if (name == "truncate") {
        return ParseCount(argument, plan.truncateBytes);
    }
    return false;
}

bool ParseEffect(std::string_view text, FaultPlan& plan, std::string& error) {
    const auto colon = text.find(':');
    bool ok = false;
    if (colon == std::string_view::npos) {
        ok = true;
        if (text == "ignore") {
            plan.ignore = true;
        } else if (text == "drop") {
            plan.drop = true;
        } else if (text == "duplicate") {
            plan.copies = 2;
        } else if (text == "silent") {
            plan.silent = true;
        } else {
            ok = false;
        }
    } else {
        ok = ParseEffectWithArgument(Trim(text.substr(0, colon)), Trim(text.substr(colon + 1)),
                                     plan);
    }
    if (!ok) {
        error = "unknown or incomplete effect '" + std::string(text) + "'";
    }
    return ok;
}

bool ParseRule(std::string_view text, FaultRule& rule, std::string& error) {
    const auto equals = text.find('=');
    if (equals == std::string_view::npos) {
        error = "no '=' between the request and its effects";
        return false;
    }
    if (!ParseTarget(Trim(text.substr(0, equals)), rule, error)) {
        return false;
    }
    for (const std::string_view effect : Split(text.substr(equals + 1), ',')) {
        if (!ParseEffect(effect, rule.plan, error)) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool ParseFaultScript(std::string_view text, FaultScript& script, std::string& error) {
    std::vector<FaultRule> rules;
    for (const std::string_view ruleText : Split(text, ';')) {
        if (ruleText.empty()) {
            continue;
        }
        FaultRule rule;
        if (!ParseRule(ruleText, rule, error)) {
            error = "fault rule '" + std::string(ruleText) + "': " + error;
            return false;
        }
        rules.push_back(rule);
    }
    for (const FaultRule& rule : rules) {
        script.Add(rule);
    }
    return true;
}

const char* FaultSyntaxHelp() {
    // One table at the left margin, so that help2man makes the manual page's list from it.
    return "A fault rule is REQUEST=EFFECT[,EFFECT...]; several rules are separated by ';'.\n"
           "REQUEST is identity, update-mode, erase, write, finish or any, optionally with #N\n"
           "(the Nth of that kind, counting from 1), #N-M (the Nth to the Mth) or #N+ (the Nth\n"
           "and every later one); without # every one. EFFECT is one of:\n"
           "  ignore      the request is lost on its way: no work, no answer\n"
           "  drop        the device does the work, its answer is lost\n"
           "  duplicate   the answer is sent twice\n"
           "  silent      the device takes no request at all from this one on\n"
           "  delay:T     the answer leaves T later\n"
           "  late:T      the answer leaves no earlier than T after the request came\n"
           "  status:S    answer status S (0-127) and leave the request undone\n"
           "  model:M     the answer (or Identity Reply) carries model byte M\n"
           "  split:N     the answer goes out in pieces of N bytes\n"
           "  truncate:N  only the first N bytes of the answer go out\n"
           "T is a whole number with us, ms or s (ms without a unit); S and M are decimal or\n"
           "0x hexadecimal. Examples: write#3=status:8   erase=ignore   write#5-10=ignore\n"
           "identity=model:0x59   finish=delay:2s,duplicate\n";
}

}  // namespace kt73b::emu
