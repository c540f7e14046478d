#!/usr/bin/env bash
# Runs inside the User-Mode Linux guest, whose kernel sequencer Wine's ALSA MIDI driver lists:
# kt73b-emulator --once serves the device on its ALSA port, TEST_EXE drives kt73b-update.exe and
# Updater.exe against it (on an Xvfb of the guest's own: the host's X server cannot be reached from
# the guest), and the emulator's status says whether its flash equals the images.
# Usage: wine_midi_guest.sh WINE_PREFIX EMULATOR IMAGE_DIR TEST_EXE
set -u
[ $# -eq 4 ] || { echo "usage: $0 WINE_PREFIX EMULATOR IMAGE_DIR TEST_EXE" >&2; exit 2; }
# A crash ends the program at once instead of waiting in the debugger.
export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES=winedbg.exe=d KT73B_WINE_MIDI_GUEST=1
emulator=$2 images=$3 test_exe=$4
scratch=$(mktemp -d)
cd "$scratch" || exit 1

# Waits up to $1 seconds for the command that follows to succeed.
wait_for() {
    local limit=$1
    shift
    for _ in $(seq $((limit * 10))); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>display >/dev/null 2>&1 &
xvfb=$!
wait_for 60 test -s display || { echo "Xvfb did not start in the guest"; exit 1; }
export DISPLAY=":$(cat display)"
wineserver -p  # one server for the whole run, started with the display set

"$emulator" --once --expect "$images" >emulator.log 2>&1 &
emulator_pid=$!
wait_for 60 grep -q " on the ALSA sequencer as " emulator.log || {
    echo "kt73b-emulator did not serve its ALSA port:"
    cat emulator.log
    exit 1
}

start=$(date +%s)
wine "$test_exe" >tests.log 2>&1
tests=$?
cat tests.log
echo "The Windows programs' cases in the guest took $(($(date +%s) - start)) s."

# The update's finish request ends the emulator; its status compares the flash with the images.
wait_for 30 sh -c "! kill -0 $emulator_pid 2>/dev/null"
kill "$emulator_pid" 2>/dev/null
wait "$emulator_pid"
emulator_status=$?
echo "kt73b-emulator --once: status $emulator_status (0: the flash equals the images)"
[ "$emulator_status" -eq 0 ] || cat emulator.log

wineserver -k
kill "$xvfb" 2>/dev/null
cd / && rm -rf "$scratch"
[ "$tests" -eq 0 ] && [ "$emulator_status" -eq 0 ]
