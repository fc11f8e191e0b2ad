#!/usr/bin/env bash
# Holds keys down on a virtual X display (Xvfb), where the server repeats a held key as a
# keyboard does, and checks that the repeats never act for the user:
#   1. Escape held in the Process dialog closes it, and its repeats leave the main window
#      open (the main window took them before it learnt that it had the focus, and quit).
#   2. Escape held during a run brings the question "Continue ?", which its repeats leave
#      open (they used to answer No, and the next repeat quit the program).
#   3. Enter held from Start until after the run does not open the Process dialog again.
# The program must still run with its window after each, and end on a real Escape.
#
#     held-keys-under-xvfb.sh ORVO XKEYS
#
# Exit status 77 (skipped) when Xvfb or the X tools are not installed.
set -euo pipefail
orvo=$1 xkeys=$2
for tool in Xvfb xwininfo python3; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed: skipped"; exit 77; }
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/bin" "$scratch/work" "$scratch/config" "$scratch/runtime"
chmod 700 "$scratch/runtime"
cp "$orvo" "$scratch/bin/orvo"
# Long enough that the run still goes when Escape comes; short enough to end under a held key.
# One subtitle a second: overlapping times would end the run in the Error Log.
for list in long:20000 short:20; do
    for ((i = 1; i <= ${list#*:}; i++)); do
        time=$(printf '%02d:%02d:%02d' $((i / 3600)) $((i / 60 % 60)) $((i % 60)))
        printf '%d\t%s:00\t%s:12\tSubtitle %d\n' "$i" "$time" "$time" "$i"
    done >"$scratch/work/${list%:*}.txt"
done

# shellcheck disable=SC2016
"$(dirname "$0")/../../../scripts/on-xvfb" 1280x900 bash -c '
    set -eu
    scratch=$1 xkeys=$2
    ids() { xwininfo -root -tree | grep -F "\"$1\":" | awk "{print \$1}" || true; }
    fail() { echo "$1" >&2; kill "$pid" 2>/dev/null || true; exit 1; }
    alive() { kill -0 "$pid" 2>/dev/null || fail "orvo ended: $1"; }
    # Polls for 20 seconds until the window titled $1 is there (or, with "gone", is not).
    wait_window() {
        for _ in $(seq 200); do
            alive "waiting for $1"
            if [ "${2:-}" = gone ]; then [ -z "$(ids "$1")" ] && return 0
            else [ -n "$(ids "$1")" ] && return 0; fi
            sleep 0.1
        done
        fail "window $1 did not ${2:-come}"
    }
    # Opens the Process dialog and loads the list $1 by typing its name and Enter.
    load_list() {
        "$xkeys" Return
        wait_window "Process Subtitle File"
        # shellcheck disable=SC2046
        "$xkeys" $(echo "$1" | sed "s/./& /g; s/\\./period/") Return
    }
    # Loads the list $1 and presses Start with $2 (Return, or Return held): Start is seven Tabs
    # from the path, after Load..., the output type, the frame rate, the start index, the name
    # and the header.
    run_list() {
        load_list "$1"
        "$xkeys" Tab Tab Tab Tab Tab Tab Tab "$2"
    }
    cd "$scratch/work"
    XDG_RUNTIME_DIR=$scratch/runtime XDG_CONFIG_HOME=$scratch/config QT_QPA_PLATFORM=xcb \
        "$scratch/bin/orvo" &
    pid=$!
    wait_window Tessaly
    # Test mode: the runs write no bitmaps.
    "$xkeys" alt+t

    # Before any run: a run leaves a configuration file beside its list, which asks a question.
    load_list short.txt
    "$xkeys" Escape:1.5
    wait_window "Process Subtitle File" gone
    sleep 0.5
    alive "Escape held in the Process dialog"
    [ -n "$(ids Tessaly)" ] || fail "the main window is gone after Escape was held in the dialog"

    run_list long.txt Return
    "$xkeys" Escape:2.5
    alive "Escape held during the run"
    [ -n "$(ids Tessaly)" ] || fail "the main window is gone after Escape was held"
    question=$(ids Orvo)
    [ -n "$question" ] || fail "the question did not come, or a repeat of Escape answered it"
    "$xkeys" n
    for _ in $(seq 200); do
        ids Orvo | grep -qF "$question" || break
        sleep 0.1
    done
    ids Orvo | grep -qF "$question" && fail "N did not answer the question"
    # A stopped run says how far it came.
    sleep 0.5
    if [ -n "$(ids Orvo)" ]; then
        "$xkeys" Return
        wait_window Orvo gone
    fi
    alive "after the question"

    run_list short.txt Return:3
    sleep 0.5
    alive "Enter held over the end of a run"
    [ -z "$(ids "Process Subtitle File")" ] || fail "a repeat of Enter opened the Process dialog"
    [ -n "$(ids Tessaly)" ] || fail "the main window is gone after Enter was held"

    "$xkeys" Escape
    for _ in $(seq 200); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && fail "Escape did not end orvo"
    wait "$pid"
' bash "$scratch" "$xkeys"

[ -f "$scratch/bin/orvo.cfg" ] || { echo "no settings file beside the program" >&2; exit 1; }
echo "held keys did nothing: the question waited for an answer and the window stayed"
