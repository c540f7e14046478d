#include "emulator/program/program_options.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "emulator/duration_text.h"
#include "emulator/fault_script_parser.h"
#include "emulator/named_fault_scripts.h"
#include "emulator/number_text.h"
#include "platform/os/option_walk.h"

namespace kt73b::emu {

namespace {

// The handler gets the option's value (empty for a flag) and says what is wrong, if anything.
using Handler = std::function<std::string(ProgramOptions&, std::string_view value)>;

struct Option {
    std::string_view name;
    std::string_view argument;  // empty for a flag
    std::string_view help;
    Handler handle;
    OptionValue value = argument.empty() ? OptionValue::kNone : OptionValue::kRequired;
};

// "'VALUE' WHY", appended piece by piece: GCC 12 at -O3 reports a false -Wrestrict overlap in a
// chain that starts "'" + std::string(value).
std::string Rejected(std::string_view value, std::string_view why) {
    std::string text = "'";
    text.append(value).append("' ").append(why);
    return text;
}

Handler Duration(Micros DeviceSettings::*field) {
    return [field](ProgramOptions& options, std::string_view value) -> std::string {
        return ParseDuration(value, options.settings.device.*field)
                   ? ""
                   : Rejected(value, "is no duration such as 150ms, 2s or 500us");
    };
}

std::string SetModel(ProgramOptions& options, std::string_view value) {
    std::uint32_t model = 0;
    if (!ParseNumber(value, model) || model > 0x7F) {
        return "the model byte is a data byte, 0 to 0x7F: '" + std::string(value) + "'";
    }
    options.settings.device.model = static_cast<std::uint8_t>(model);
    return "";
}

std::string SetLinkRate(ProgramOptions& options, std::string_view value) {
    return ParseNumber(value, options.settings.link.bytesPerSecond)
               ? ""
               : Rejected(value, "is no number of bytes per second");
}

std::string SetLinkLatency(ProgramOptions& options, std::string_view value) {
    return ParseDuration(value, options.settings.link.latency)
               ? ""
               : Rejected(value, "is no duration such as 1ms");
}

std::string AddFaults(ProgramOptions& options, std::string_view value) {
    std::string error;
    ParseFaultScript(value, options.settings.faults, error);
    return error;
}

std::string AddNamedFaults(ProgramOptions& options, std::string_view value) {
    const NamedFaultScript* named = FindNamedFaultScript(value);
    if (named == nullptr) {
        return "no fault script is named '" + std::string(value) +
               "' (--list-fault-scripts shows them)";
    }
    return AddFaults(options, named->rules);
}

const std::vector<Option>& Options() {
    static const std::vector<Option> options = {
        {"--name", "NAME", "JACK client (and ALSA port) name; default \"VELK KT Series\"",
         [](ProgramOptions& o, std::string_view v) {
             o.name = v;
             return std::string(v.empty() ? "the name must not be empty" : "");
         }},
        {"--model", "BYTE", "model byte in the Identity Reply, e.g. 0x58; default 0x57", SetModel},
        {"--not-in-update-mode", "",
         "act as a device started normally: answer the update-mode request with 11 and refuse "
         "to erase or write",
         [](ProgramOptions& o, std::string_view) {
             o.settings.device.updateMode = false;
             return std::string();
         }},
        {"--command-time", "T",
         "time to answer identity, update-mode and finish requests; default 1ms",
         Duration(&DeviceSettings::commandTime)},
        {"--erase-time", "T", "erase time per 64 KiB block; default 150ms",
         Duration(&DeviceSettings::eraseTimePerBlock)},
        {"--erase-time-fixed", "T", "erase time added to every erase request; default 0ms",
         Duration(&DeviceSettings::eraseTimeFixed)},
        {"--write-time", "T", "time to write one chunk; default 4ms",
         Duration(&DeviceSettings::writeTime)},
        {"--link-rate", "BYTES",
         "link speed in bytes per second, each way; default 144000 (USB full speed, three "
         "bulk packets per 1 ms frame); 0 for no transfer time",
         SetLinkRate},
        {"--link-latency", "T", "latency added to every message, each way; default 1ms",
         SetLinkLatency},
        {"--fault", "RULES", "inject faults (syntax below); may be given more than once",
         AddFaults},
        {"--fault-script", "NAME", "inject a named fault script; may be given more than once",
         AddNamedFaults},
        {"--list-fault-scripts", "", "list the named fault scripts and exit",
         [](ProgramOptions& o, std::string_view) {
             o.listFaultScripts = true;
             return std::string();
         }},
        {"--flash-out", "FILE",
         "write the whole flash (3,895,296 bytes) to FILE whenever a "
         "finish request arrives",
         [](ProgramOptions& o, std::string_view v) {
             o.flashOut = v;
             return std::string();
         }},
        {"--once", "",
         "exit after the first finish request: status 0 when the flash equals the images, "
         "1 when it does not",
         [](ProgramOptions& o, std::string_view) {
             o.once = true;
             return std::string();
         }},
        {"--expect", "DIR",
         "with --once, compare with DIR/129.bin, DIR/136.bin and DIR/137.bin instead of the "
         "images built in",
         [](ProgramOptions& o, std::string_view v) {
             o.expectDir = v;
             return std::string();
         }},
        {"--verbose", "", "print every message, both ways, with its time",
         [](ProgramOptions& o, std::string_view) {
             o.verbose = true;
             return std::string();
         }},
        {"--help", "", "show this text and exit",
         [](ProgramOptions& o, std::string_view) {
             o.help = true;
             return std::string();
         }},
    };
    return options;
}

// "  --name NAME   text..." with the text wrapped under itself at kHelpWidth columns.
std::string WrapHelp(std::string head, std::string_view help) {
    constexpr std::size_t kHelpColumn = 24;
    constexpr std::size_t kHelpWidth = 79;
    std::string text;
    std::string line = head.size() + 1 > kHelpColumn ? head + "\n" : head;
    if (line.back() == '\n') {
        text += line;
        line.clear();
    }
    line.resize(kHelpColumn, ' ');
    while (!help.empty()) {
        const std::size_t room = kHelpWidth - line.size();
        std::size_t cut = help.size() <= room ? help.size() : help.rfind(' ', room);
        if (cut == std::string_view::npos || cut == 0) {
            cut = std::min(help.size(), room);
        }
        text += line + std::string(help.substr(0, cut)) + "\n";
        help.remove_prefix(std::min(help.size(), cut + 1));
        line.assign(kHelpColumn, ' ');
    }
    return text;
}

}  // namespace

bool ParseProgramOptions(int argc, const char* const* argv, ProgramOptions& options,
                         std::string& error) {
    const std::vector<std::string_view> args(argv + std::min(argc, 1), argv + argc);
    const OptionWalkEnd end =
        WalkOptions(std::span(args), std::span(Options()), OptionRepeats::kAllowed,
                    [&](const Option& option, std::string_view value) {
                        if (std::string problem = option.handle(options, value); !problem.empty()) {
                            error = std::string(option.name) + ": " + problem;
                            return false;
                        }
                        return true;
                    });
    const std::string word(end.word);
    switch (end.mistake) {
        case OptionMistake::kUnknown:
            error = "unknown option '" + word + "' (--help lists them)";
            return false;
        case OptionMistake::kMissingValue:
            error = word + " needs a value: " + std::string(Options()[end.option].argument);
            return false;
        case OptionMistake::kUnexpectedValue:
            error = word + " takes no value";
            return false;
        case OptionMistake::kRepeated:
        case OptionMistake::kRejected:
            return false;
        case OptionMistake::kNone:
            break;
    }
    if (!options.expectDir.empty() && !options.once) {
        error = "--expect is used with --once";
        return false;
    }
    return true;
}

std::string HelpText() {
    std::string text =
        "Usage: kt73b-emulator [OPTION...]\n"
        "A KT-73B in software on a JACK MIDI client with one input port (midi_in) and one\n"
        "output port (midi_out), and on an ALSA sequencer port, each where the machine has it\n"
        "(a running JACK server, none is started; the kernel's ALSA sequencer). It answers the\n"
        "updater's messages as the device does, keeps a flash image and can inject faults.\n\n"
        "Options:\n";
    for (const Option& option : Options()) {
        std::string head = "  ";
        head += option.name;
        if (!option.argument.empty()) {
            head += ' ';
            head += option.argument;
        }
        text += WrapHelp(head, option.help);
    }
    text += "\nT is a whole number with us, ms or s (ms without a unit), e.g. 150ms or 2s.\n\n";
    text += FaultSyntaxHelp();
    text +=
        "\nExit status: 0 when stopped by a signal, or with --once when the flash equals the\n"
        "images; 1 with --once when it does not; 2 when the emulator cannot run (a wrong\n"
        "option, neither a JACK server nor an ALSA sequencer, images or flash file that cannot\n"
        "be read or written).\n";
    return text;
}

std::string FaultScriptList() {
    std::string text;
    for (const NamedFaultScript& script : NamedFaultScripts()) {
        text += std::string(script.name) + "\n    " + std::string(script.rules) + "\n    " +
                std::string(script.description) + "\n";
    }
    return text;
}

}  // namespace kt73b::emu
