#include "emulator/named_fault_scripts.h"

#include <array>

namespace kt73b::emu {

namespace {

constexpr std::array kScripts = {
    NamedFaultScript{"not-in-update-mode", "update-mode=status:11",
                     "the update-mode request is answered with 11: the device was started "
                     "normally"},
    NamedFaultScript{"illegal-model", "identity=model:0x59",
                     "the Identity Reply reports model byte 0x59, which no updater accepts"},
    NamedFaultScript{"identity-timeout", "identity=ignore",
                     "the Identity Request is never answered: identity time-out"},
    NamedFaultScript{"update-mode-silent", "update-mode=ignore",
                     "the update-mode request is never answered (the host waits without limit)"},
    NamedFaultScript{"erase-timeout", "erase#1=ignore",
                     "the first erase request is never answered: erase time-out"},
    NamedFaultScript{"erase-refused", "erase=status:1",
                     "every erase request is refused: seven tries, then a transfer error"},
    NamedFaultScript{"crc-error-once", "write#2=status:8",
                     "the 2nd write-data frame is answered with 8 (check value), then resent"},
    NamedFaultScript{"flash-error-once", "write#2=status:3",
                     "the 2nd write-data frame is answered with 3 (flash write), then resent"},
    NamedFaultScript{"lost-write-answer", "write#2=drop",
                     "the answer to the 2nd write-data frame is lost: the host resends the chunk "
                     "after its time-out and the update goes on"},
    NamedFaultScript{"six-write-timeouts", "write#2-7=ignore",
                     "one chunk goes unanswered six times; the seventh send succeeds"},
    NamedFaultScript{"write-timeout", "write#2-8=ignore",
                     "one chunk goes unanswered seven times: write time-out"},
    NamedFaultScript{"timeouts-then-crc-errors", "write#2-4=ignore;write#5-8=status:8",
                     "one chunk: three time-outs, then four answers with 8: transfer error"},
    NamedFaultScript{"silent-after-erase", "write#1=silent",
                     "the device erases, then stops answering at the first write-data frame"},
    NamedFaultScript{"late-write-answer", "write#2=late:1500ms",
                     "the answer to the 2nd write-data frame comes after the host's 1 s time-out"},
    NamedFaultScript{"duplicate-write-answer", "write#2=duplicate",
                     "the 2nd write-data frame is answered twice"},
    NamedFaultScript{"split-answers", "any=split:3",
                     "every answer reaches the host in pieces of 3 bytes"},
    NamedFaultScript{"truncated-write-answer", "write#2=truncate:4",
                     "only the first 4 bytes of the 2nd write answer arrive"},
    NamedFaultScript{"finish-timeout", "finish=ignore", "the finish request is never answered"},
    NamedFaultScript{"finish-status-8", "finish=status:8",
                     "the finish request is answered with 8, which still completes the update"},
};

}  // namespace

std::span<const NamedFaultScript> NamedFaultScripts() {
    return kScripts;
}

const NamedFaultScript* FindNamedFaultScript(std::string_view name) {
    for (const NamedFaultScript& script : kScripts) {
        if (script.name == name) {
            return &script;
        }
    }
    return nullptr;
}

}  // namespace kt73b::emu
