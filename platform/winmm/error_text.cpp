// midiInGetErrorTextA and midiOutGetErrorTextA of the layer: a line of text for each result code.
#include <algorithm>
#include <cstring>
#include <string_view>

#include "platform/winmm/mmsystem_api.h"

namespace {

std::string_view TextOf(MMRESULT code) {
    switch (code) {
        case MMSYSERR_NOERROR:
            return "The specified command was carried out.";
        case MMSYSERR_ERROR:
            return "Undefined external error.";
        case MMSYSERR_BADDEVICEID:
            return "The device ID is out of range.";
        case MMSYSERR_NOTENABLED:
            return "The driver was not enabled.";
        case MMSYSERR_ALLOCATED:
            return "The device is already in use.";
        case MMSYSERR_INVALHANDLE:
            return "The device handle is invalid.";
        case MMSYSERR_NODRIVER:
            return "The device is no longer there.";
        case MMSYSERR_NOMEM:
            return "There is not enough memory for this task.";
        case MMSYSERR_NOTSUPPORTED:
            return "This function is not supported.";
        case MMSYSERR_INVALFLAG:
            return "An invalid flag was passed to a system function.";
        case MMSYSERR_INVALPARAM:
            return "An invalid parameter was passed to a system function.";
        case MIDIERR_UNPREPARED:
            return "The MIDI header was not prepared.";
        case MIDIERR_STILLPLAYING:
            return "A buffer is still with the device.";
        case MIDIERR_NOMAP:
            return "A MIDI map was not found.";
        case MIDIERR_NOTREADY:
            return "The port is busy sending data to the device.";
        case MIDIERR_NODEVICE:
            return "No default MIDI output device is available.";
        case MIDIERR_INVALIDSETUP:
            return "The MIDI setup information is missing.";
        default:
            return {};
    }
}

MMRESULT CopyErrorText(MMRESULT code, LPSTR text, UINT capacity) {
    if (text == nullptr || capacity == 0) {
        return MMSYSERR_INVALPARAM;
    }
    const std::string_view message = TextOf(code);
    const std::size_t length = std::min<std::size_t>(message.size(), capacity - 1);
    if (length != 0) {
        std::memcpy(text, message.data(), length);
    }
    text[length] = '\0';
    return message.empty() ? MMSYSERR_BADERRNUM : MMSYSERR_NOERROR;
}

}  // namespace

extern "C" {

MMRESULT midiInGetErrorTextA(MMRESULT mmrError, LPSTR pszText, UINT cchText) {
    return CopyErrorText(mmrError, pszText, cchText);
}

MMRESULT midiOutGetErrorTextA(MMRESULT mmrError, LPSTR pszText, UINT cchText) {
    return CopyErrorText(mmrError, pszText, cchText);
}

}  // extern "C"
