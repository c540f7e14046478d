#include "app/failure_table.h"

#include <array>

#include "app/log_messages.h"
#include "resources/ui/ui_resources.h"

namespace kt73b {

namespace {

constexpr std::string_view kRestartInUpdateMode =
    "Restart the device in its firmware update mode and run the update again.";
constexpr std::string_view kTransferMeaning =
    "the device refused a request or kept reporting transfer errors";

// In the order of a run; kinds that share an exit status share its help, the first row's.
constexpr std::array kTable = {
    FailureRow{FailureKind::kPlaceholderFirmware, 0,
               "This build carries placeholder firmware: it can update only the emulated "
               "KT-73B. Build with KT73B_FIRMWARE_DIR set to the folder of the real images.",
               kNoLogEntry, true, false, ExitStatus::kPlaceholderFirmware,
               "this program carries placeholder firmware, which only the emulated device may "
               "receive; nothing was sent",
               "Name the folder of the real images with --firmware DIR, or use --emulate."},
    FailureRow{FailureKind::kCantOpenMidiOut, IDS_CANT_OPEN_MIDI_OUT, "", kLogMidiOutError, true,
               false, ExitStatus::kCantOpenMidiOut,
               "the MIDI output did not open; nothing was sent",
               "Check that no other program uses the port, or choose another with --out."},
    // The log has no line of its own for the input side.
    FailureRow{FailureKind::kCantOpenMidiIn, IDS_CANT_OPEN_MIDI_IN, "", kLogMidiOutError, true,
               false, ExitStatus::kCantOpenMidiIn, "the MIDI input did not open; nothing was sent",
               "Check that no other program uses the port, or choose another with --in."},
    FailureRow{FailureKind::kWorkerNotStarted, 0, "The update could not be started.", kNoLogEntry,
               true, true, ExitStatus::kOtherFailure,
               "the update did not complete for another reason", "Run the update again."},
    FailureRow{FailureKind::kIdentityNotSent, IDS_CANT_OPEN_MIDI_OUT, "", kLogMidiOutError, false,
               false, ExitStatus::kCantOpenMidiOut, "", ""},
    FailureRow{FailureKind::kIdentityTimeOut, IDS_TIMEOUT_IDENTITY, "", kLogMidiOutError, true,
               true, ExitStatus::kIdentityTimeOut, "the device did not answer the identity request",
               "Check the cable and the chosen ports (see --list)."},
    FailureRow{FailureKind::kIllegalDevice, IDS_ILLEGAL_DEVICE, "", kLogIllegalDevice, true, true,
               ExitStatus::kIllegalDevice,
               "the device on these ports is not a model this firmware is for",
               "Check the chosen ports (see --list)."},
    FailureRow{FailureKind::kNotInUpdateMode, IDS_USE_UPDATE_MODE, "", kLogNotInUpdateMode, true,
               true, ExitStatus::kNotInUpdateMode,
               "the device is not in its firmware update mode; nothing was erased",
               "Start the device in its firmware update mode, then run the update again."},
    FailureRow{FailureKind::kUpdateModeRefused, IDS_TRANSFER_ERROR, "", kNoLogEntry, true, true,
               ExitStatus::kTransferError, kTransferMeaning, kRestartInUpdateMode},
    FailureRow{FailureKind::kEraseTimeOut, IDS_TIMEOUT_ERASE, "", kLogEraseTimeOut, true, true,
               ExitStatus::kEraseTimeOut, "a flash region was not erased in time",
               kRestartInUpdateMode},
    FailureRow{FailureKind::kEraseRefused, IDS_TRANSFER_ERROR, "", kLogEraseTimeOut, true, true,
               ExitStatus::kTransferError, kTransferMeaning, kRestartInUpdateMode},
    FailureRow{FailureKind::kImageUnusable, IDS_TRANSFER_ERROR, "", kNoLogEntry, true, true,
               ExitStatus::kTransferError, kTransferMeaning, kRestartInUpdateMode},
    FailureRow{FailureKind::kWriteTimeOut, IDS_TIMEOUT_WRITE, "", kLogWriteTimeOut, true, true,
               ExitStatus::kWriteTimeOut, "the device stopped acknowledging the data written to it",
               kRestartInUpdateMode},
    FailureRow{FailureKind::kWriteRefused, IDS_TRANSFER_ERROR, "", kNoLogEntry, true, true,
               ExitStatus::kTransferError, kTransferMeaning, kRestartInUpdateMode},
    FailureRow{FailureKind::kFinishTimeOut, IDS_TRANSFER_ERROR, "", kNoLogEntry, true, true,
               ExitStatus::kTransferError, kTransferMeaning, kRestartInUpdateMode},
};

}  // namespace

std::span<const FailureRow> FailureTable() {
    return kTable;
}

const FailureRow& RowFor(FailureKind kind) {
    return kTable[static_cast<std::size_t>(kind)];
}

std::string_view FailureText(const FailureRow& row) {
    return row.stringId != 0 ? res::LoadString(row.stringId) : row.ownText;
}

// RowFor indexes by kind: the rows stand in the order of the enumeration.
static_assert([] {
    for (std::size_t i = 0; i < kTable.size(); ++i) {
        if (static_cast<std::size_t>(kTable[i].kind) != i) {
            return false;
        }
    }
    return true;
}());

std::string_view FailureKindName(FailureKind kind) {
    switch (kind) {
        case FailureKind::kPlaceholderFirmware:
            return "placeholder-firmware";
        case FailureKind::kCantOpenMidiOut:
            return "cant-open-midi-out";
        case FailureKind::kCantOpenMidiIn:
            return "cant-open-midi-in";
        case FailureKind::kWorkerNotStarted:
            return "worker-not-started";
        case FailureKind::kIdentityNotSent:
            return "identity-not-sent";
        case FailureKind::kIdentityTimeOut:
            return "identity-time-out";
        case FailureKind::kIllegalDevice:
            return "illegal-device";
        case FailureKind::kNotInUpdateMode:
            return "not-in-update-mode";
        case FailureKind::kUpdateModeRefused:
            return "update-mode-refused";
        case FailureKind::kEraseTimeOut:
            return "erase-time-out";
        case FailureKind::kEraseRefused:
            return "erase-refused";
        case FailureKind::kImageUnusable:
            return "image-unusable";
        case FailureKind::kWriteTimeOut:
            return "write-time-out";
        case FailureKind::kWriteRefused:
            return "write-refused";
        case FailureKind::kFinishTimeOut:
            return "finish-time-out";
    }
    return "unknown";
}

}  // namespace kt73b
