#include "app/cli/cli_options.h"

#include <array>

#include "app/cli/exit_status.h"
#include "app/instance_numbering.h"
#include "emulator/fault_script_parser.h"
#include "emulator/named_fault_scripts.h"
#include "platform/os/option_walk.h"

namespace kt73b::cli {

namespace {

enum class OptionId {
    kHelp,
    kVersion,
    kList,
    kEmulate,
    kIn,
    kOut,
    kFault,
    kFirmware,
    kAll,
    kJson,
    kInstance
};

struct Option {
    std::string_view name;
    OptionId id;
    OptionValue value;
};

constexpr std::array kOptions = {
    Option{"--help", OptionId::kHelp, OptionValue::kNone},
    Option{"--list", OptionId::kList, OptionValue::kNone},
    Option{"--emulate", OptionId::kEmulate, OptionValue::kOptionalNumber},
    Option{"--in", OptionId::kIn, OptionValue::kRequired},
    Option{"--out", OptionId::kOut, OptionValue::kRequired},
    Option{"--fault", OptionId::kFault, OptionValue::kRequired},
    Option{"--version", OptionId::kVersion, OptionValue::kNone},
    Option{"--firmware", OptionId::kFirmware, OptionValue::kRequired},
    Option{"--all", OptionId::kAll, OptionValue::kNone},
    Option{"--json", OptionId::kJson, OptionValue::kNone},
    Option{"--instance", OptionId::kInstance, OptionValue::kRequired},
};

bool IsNumber(std::string_view word) {
    return !word.empty() && word.size() <= 2 &&
           word.find_first_not_of("0123456789") == std::string_view::npos;
}

// An instance number, 1 to 20, into `number`.
bool ReadInstanceNumber(std::string_view word, int& number) {
    if (!IsNumber(word)) {
        return false;
    }
    number = std::stoi(std::string(word));
    return number >= 1 && number <= kMaxInstances;
}

// A fault script's name, or rules in the emulator's syntax, after an optional "N:" naming the
// device they are for; the rules on success.
bool ResolveFaults(std::string_view value, CliOptions& options, std::string& error) {
    if (const auto colon = value.find(':');
        colon != value.npos && IsNumber(value.substr(0, colon))) {
        if (!ReadInstanceNumber(value.substr(0, colon), options.faultInstance)) {
            error = "--fault: the device before ':' must be 1 to 20";
            return false;
        }
        value = value.substr(colon + 1);
    }
    std::string& rules = options.faultRules;
    if (const emu::NamedFaultScript* named = emu::FindNamedFaultScript(value)) {
        rules = named->rules;
        return true;
    }
    emu::FaultScript script;
    std::string problem;
    if (!emu::ParseFaultScript(value, script, problem)) {
        error = "--fault: '" + std::string(value) +
                "' is neither the name of a fault script (see --help) nor fault rules: " + problem;
        return false;
    }
    rules = value;
    return true;
}

bool Apply(const Option& option, std::string_view value, CliOptions& options, std::string& error) {
    switch (option.id) {
        case OptionId::kHelp:
            options.help = true;
            return true;
        case OptionId::kVersion:
            options.version = true;
            return true;
        case OptionId::kList:
            options.list = true;
            return true;
        case OptionId::kEmulate:
            options.emulate = true;
            if (!value.empty() && !ReadInstanceNumber(value, options.emulateCount)) {
                error = "--emulate: the number of devices must be 1 to 20";
                return false;
            }
            return true;
        case OptionId::kAll:
            options.all = true;
            return true;
        case OptionId::kJson:
            options.json = true;
            return true;
        case OptionId::kInstance:
            if (!ReadInstanceNumber(value, options.instance)) {
                error = "--instance must be 1 to 20";
                return false;
            }
            return true;
        case OptionId::kIn:
        case OptionId::kOut:
            if (value.empty()) {
                error = std::string(option.name) + " needs a port: its position or its name";
                return false;
            }
            (option.id == OptionId::kIn ? options.in : options.out) = std::string(value);
            return true;
        case OptionId::kFault:
            return ResolveFaults(value, options, error);
        case OptionId::kFirmware:
            if (value.empty()) {
                error = "--firmware needs the folder that holds 129.bin, 136.bin and 137.bin";
                return false;
            }
            options.firmwareFolder = value;
            return true;
    }
    return false;
}

// The names, as many to a line as fit in 79 columns. Appended into one string, with the column
// counted: GCC 12 at -O3 reports a false -Wrestrict overlap in the equivalent string assignments.
std::string FaultScriptNames() {
    constexpr std::size_t kWidth = 79;
    std::string text = " ";
    std::size_t column = 1;
    for (const emu::NamedFaultScript& script : emu::NamedFaultScripts()) {
        if (column + 1 + script.name.size() > kWidth) {
            text.append("\n ");
            column = 1;
        }
        text.append(" ").append(script.name);
        column += 1 + script.name.size();
    }
    return text.append("\n");
}

// What is wrong with the command line, worded for the user.
std::string Describe(const OptionWalkEnd& end) {
    const std::string word(end.word);
    switch (end.mistake) {
        case OptionMistake::kUnknown:
            return word.starts_with("-")
                       ? "unknown option '" + word + "'"
                       : "unexpected argument '" + word + "': options start with --";
        case OptionMistake::kMissingValue:
            return word + " needs a value";
        case OptionMistake::kUnexpectedValue:
            return word + " takes no value";
        case OptionMistake::kRepeated:
            return word + " is given more than once";
        case OptionMistake::kNone:
        case OptionMistake::kRejected:
            break;
    }
    return "";
}

}  // namespace

bool ParseCliOptions(std::span<const std::string_view> args, CliOptions& options,
                     std::string& error) {
    const OptionWalkEnd end =
        WalkOptions(args, std::span<const Option>(kOptions), OptionRepeats::kRefused,
                    [&](const Option& option, std::string_view value) {
                        return Apply(option, value, options, error);
                    });
    if (end.mistake != OptionMistake::kNone) {
        if (end.mistake != OptionMistake::kRejected) {
            error = Describe(end);
        }
        return false;
    }
    if (!options.faultRules.empty() && !options.emulate) {
        error = "--fault is for the emulated device: add --emulate";
        return false;
    }
    if (options.faultInstance > options.emulateCount) {
        error = "--fault names device " + std::to_string(options.faultInstance) + " of " +
                std::to_string(options.emulateCount) + " emulated";
        return false;
    }
    if (options.all && (options.in || options.out || options.list || options.instance != 0)) {
        error = "--all finds each device's ports itself: leave out --in, --out and --list";
        return false;
    }
    return true;
}

std::string CliHelpText() {
    std::string text =
        "Usage: kt73b-update [--in PORT] [--out PORT] [--firmware DIR]\n"
        "  or:  kt73b-update --emulate [N] [--fault [N:]SCRIPT]\n"
        "  or:  kt73b-update --all [--json] [--emulate N] [--firmware DIR]\n"
        "  or:  kt73b-update --list [--emulate]\n"
        "  or:  kt73b-update --version [--firmware DIR]\n"
        "Updates the firmware of a KT-73B connected over MIDI with the firmware this program\n"
        "carries: the same update, texts and diagnostic log as the dialog program. Start the\n"
        "device in its firmware update mode first. A build without real firmware carries\n"
        "placeholder images and updates only the emulated device, unless --firmware names\n"
        "the real images.\n"
        "\n"
        "Options:\n"
        "  --list          print the MIDI input and output devices with their positions, and\n"
        "                  mark the ones an update would use; then exit\n"
        "  --in PORT       the MIDI input the device answers on: its position in --list or its\n"
        "                  exact name (digits alone are a position); default: the port whose\n"
        "                  name is one of the device's known names, as the dialog pre-selects it\n"
        "  --out PORT      the MIDI output that reaches the device, chosen the same way\n"
        "  --emulate       update the emulated KT-73B built into this program instead of a\n"
        "                  device; its ports are chosen unless --in or --out say otherwise\n"
        "  --emulate N     emulate N devices, named for instances 1 to N (\"VELK KT Series\",\n"
        "                  \"VELK KT Series (2)\", ...)\n"
        "  --fault SCRIPT  with --emulate: the emulated device fails (or recovers) as SCRIPT\n"
        "                  says: one of the names below, or fault rules as kt73b-emulator takes;\n"
        "                  \"3:SCRIPT\" is for emulated device 3 only\n"
        "  --all           update every device whose MIDI IN and MIDI OUT both carry the names\n"
        "                  of an instance (1 to 20), all at once, each in a process of its own;\n"
        "                  one progress line per device, and a summary table at the end\n"
        "  --json          one JSON object per line on standard output for every event of the\n"
        "                  run and a last one per device; all other text goes to standard error\n"
        "  --firmware DIR  write the images DIR/129.bin, DIR/136.bin and DIR/137.bin instead of\n"
        "                  those built in (each must have its exact size)\n"
        "  --version       print the program's version and the firmware an update would write\n"
        "                  (where it comes from, each image's size and CRC-32); then exit\n"
        "  --help          show this text and exit\n"
        "\n"
        "Progress goes to standard output: one line redrawn in place on a terminal, plain\n"
        "lines otherwise. Failures go to standard error and, when a file TEST_LOG.txt exists in\n"
        "the current directory, to that file. Ctrl-C stops the update at its next wait.\n"
        "Each running copy, like each copy of the dialog program, claims an instance number\n"
        "from 1 to 20 and by default picks that instance's ports (\"NAME (2)\" for the second).\n"
        "\n"
        "Fault scripts (kt73b-emulator --list-fault-scripts says what each does):\n";
    text += FaultScriptNames();
    text += "\nExit status:\n";
    text += ExitStatusHelp();
    return text;
}

}  // namespace kt73b::cli
