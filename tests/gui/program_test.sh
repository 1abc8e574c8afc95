#!/usr/bin/env bash
# Starts the desktop program the way a user does, with arguments it must ignore, and ends it
# by Alt+F4 and by File > Quit from the keyboard: each time the window must open with its
# title, the process must end with exit code 0, and nothing may appear on stderr.
#   program_test.sh PATH/TO/kavrin      (needs a display: run it under xvfb-run)
set -euo pipefail
program=$(realpath "$1")
log=$(mktemp)
# The program keeps its choices under a temporary home, never the user's.
HOME=$(mktemp -d)
XDG_CONFIG_HOME=$HOME/.config
export HOME XDG_CONFIG_HOME
trap 'rm -rf "$log" "$HOME"' EXIT

run_and_close() {
    local how=$1
    shift
    (cd / && exec "$program" --help -x "ünknown argument") 2>"$log" &
    local pid=$!
    local window
    window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Kavrin 2\.0$' | head -n 1)
    # Without a window manager the keys go to the window under the pointer.
    xdotool mousemove --window "$window" 100 100
    sleep 0.5
    xdotool key --clearmodifiers "$@"
    local status=0
    timeout 20 tail --pid="$pid" -f /dev/null || { kill "$pid"; echo "$how: still running" >&2; exit 1; }
    wait "$pid" || status=$?
    if [[ $status -ne 0 ]]; then
        echo "$how: exit code $status" >&2
        exit 1
    fi
    if [[ -s "$log" ]]; then
        echo "$how: the program wrote to stderr:" >&2
        cat "$log" >&2
        exit 1
    fi
    echo "$how: closed, exit code 0"
}

run_and_close "Alt+F4" alt+F4
run_and_close "File > Quit" alt+f Return
