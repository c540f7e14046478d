#!/usr/bin/env bash
# Runs inside the User-Mode Linux guest, whose kernel sequencer Wine's ALSA MIDI driver lists:
# kt73b-emulator --once serves the device on its ALSA port; kt73b-update.exe lists it, refuses a
# port that is not there and updates it by position, Updater.exe fills its lists (UPDATER_EXE_TEST,
# on an Xvfb of the guest's own: the host's X server cannot be reached from the guest); each program
# must end with its own status, and the emulator's says whether its flash equals the images.
# Usage: wine_midi_guest.sh WINE_PREFIX EMULATOR IMAGE_DIR UPDATE_EXE UPDATER_EXE_TEST
set -u
[ $# -eq 5 ] || {
    echo "usage: $0 WINE_PREFIX EMULATOR IMAGE_DIR UPDATE_EXE UPDATER_EXE_TEST" >&2
    exit 2
}
# A crash ends the program at once instead of waiting in the debugger.
export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES=winedbg.exe=d KT73B_WINE_MIDI_GUEST=1
emulator=$2 images=$3 update_exe=$4 updater_exe_test=$5
port="VELK KT Series - VELK KT Series"  # Wine joins the sequencer's client and port names
scratch=$(mktemp -d)
cd "$scratch" || exit 1
failures=0

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

# expect WHAT STATUS TEXT PROGRAM [ARG...]: the program ends with STATUS within 240 s and its
# output holds TEXT. The bound leaves the guest time to say what hung.
expect() {
    local what=$1 status=$2 text=$3 started=$SECONDS
    shift 3
    timeout -k 10 240 wine "$@" >run.log 2>&1
    local got=$?
    if [ "$got" -eq "$status" ] && grep -qF -- "$text" run.log; then
        echo "ok: $what ($((SECONDS - started)) s)"
    else
        echo "FAILED: $what: status $got (expected $status; 124: no end within 240 s), output:"
        cat run.log
        echo "The emulator's last messages:"
        tail -n 20 emulator.log
        failures=$((failures + 1))
    fi
}

# The emulator's position in one section of the last --list.
position() {
    awk -v section="$1" -v port="$port" \
        '/^MIDI / { inside = index($0, section) == 1; next } inside && index($0, port) { print $1; exit }' \
        list.log
}

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>display >/dev/null 2>&1 &
xvfb=$!
wait_for 60 test -s display || { echo "Xvfb did not start in the guest"; exit 1; }
export DISPLAY=":$(cat display)"
wineserver -p  # one server for the whole run, started with the display set

# As fast as it goes: what is tested is Wine's driver between the two, not the device's pace.
"$emulator" --once --expect "$images" --verbose --command-time=0 --erase-time=0 --write-time=0 \
    --link-rate=0 --link-latency=0 >emulator.log 2>&1 &
emulator_pid=$!
wait_for 60 grep -q " on the ALSA sequencer as " emulator.log || {
    echo "kt73b-emulator did not serve its ALSA port:"
    cat emulator.log
    exit 1
}

start=$(date +%s)
expect "--list shows the emulator's ports and ends with 0" 0 "$port" "$update_exe" --list
cp run.log list.log
in=$(position "MIDI IN") out=$(position "MIDI OUT")
expect "a port that is not there ends with 3" 3 "no MIDI input at position 99" \
    "$update_exe" --in 99 --out "$out"
timeout -k 10 120 wine "$updater_exe_test" --gtest_filter="*.WineMidiDriver_*" >dialog.log 2>&1 || {
    echo "FAILED: Updater.exe with Wine's driver:"
    failures=$((failures + 1))
}
cat dialog.log
# Last: the update's finish request ends the emulator.
expect "a whole update through Wine's driver ends with 0" 0 "Version update completed." \
    "$update_exe" --in "$in" --out "$out" --firmware "$images"
echo "The Windows programs' cases in the guest took $(($(date +%s) - start)) s."

wait_for 30 sh -c "! kill -0 $emulator_pid 2>/dev/null"
kill "$emulator_pid" 2>/dev/null
wait "$emulator_pid"
emulator_status=$?
if [ "$emulator_status" -eq 0 ]; then
    echo "ok: the emulator's flash equals the images"
else
    echo "FAILED: kt73b-emulator --once ended with $emulator_status:"
    cat emulator.log
    failures=$((failures + 1))
fi

wineserver -k
kill "$xvfb" 2>/dev/null
cd / && rm -rf "$scratch"
[ "$failures" -eq 0 ]
