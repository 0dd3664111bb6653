#!/usr/bin/env bash
# Drives the real veltrane.exe as a person would, with the mouse and the keyboard, inside
# Wine's own desktop on a private X server and in a fresh Wine prefix:
#   window_smoke_test.sh PROGRAM.exe PROBE.exe SCREENSHOT_DIRECTORY MAIN_WINDOW_TITLE
# Started with arguments, which it ignores, the main window appears, a preset changes the
# radius texts, Escape leaves it open, Help shows the help message, which can be dismissed,
# and closing it ends the program with 0.
set -euo pipefail
program=$1
probe_exe=$2
shots=$3
title=$4

source "$(dirname "$0")/../../scripts/wine-lib.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/veltrane-smoke.XXXXXX")
trap 'wine_session_stop; rm -rf "$work"' EXIT
wine_session_start "$work"
mkdir -p "$shots"
touch "$work/wine.log"

shot() {
  import -window root "$shots/$1.png" 2>/dev/null || true
}

fail() {
  echo "FAILED: $*" >&2
  shot failure
  echo "screenshot: $shots/failure.png; Wine's output:" >&2
  tr -d '\r' <"$work/wine.log" >&2
  exit 1
}

# Runs a program on the desktop "veltrane", as `wine explorer /desktop=...` does; its output
# goes to a file, since Wine's helpers would hold a pipe open.
on_desktop() {
  wine explorer /desktop=veltrane,1024x768 "$@" </dev/null >>"$work/wine.log" 2>&1 &
}

# Waits up to 30 s for a condition given as a command.
wait_for() {
  local until=$((SECONDS + 30))
  while [ "$SECONDS" -lt "$until" ]; do
    if "$@"; then return 0; fi
    sleep 0.2
  done
  "$@"
}

# Asks the probe on the desktop; called in command substitutions, so no counters here.
probe() {
  local result
  result=$(mktemp -u "$work/probe.XXXXXX")
  on_desktop "$(winepath -w "$probe_exe")" "$(winepath -w "$result")" "$@"
  wait_for test -e "$result" || fail "the probe gave no answer to: $*"
  tr -d '\r' <"$result"
  echo
}

x_window() {
  xdotool search --name "^$1\$" 2>/dev/null | head -n 1
}

has_window() {
  [ -n "$(x_window "$1")" ]
}

click() {
  local x y
  read -r x y < <(probe centre "$title" "$1")
  xdotool mousemove --window "$desktop" "$x" "$y" click 1
}

focus_is() {
  [ "$(probe focus "$title")" = "$1" ]
}

radii_are() {
  local texts
  texts=$(probe texts "$title")
  grep -qx "1007 $1" <<<"$texts" && grep -qx "1008 $2" <<<"$texts"
}

echo "Starting $program in Wine's desktop." >&2
exit_file="$work/exit-code"
# With arguments, which the program ignores.
on_desktop "$(winepath -w "$probe_exe")" "$(winepath -w "$exit_file")" launch \
  "$(winepath -w "$program")" --help /? extra
wait_for has_window "$title" || fail "no window titled '$title'"
desktop=$(x_window 'veltrane - Wine desktop')
[ -n "$desktop" ] || fail "no Wine desktop window"
sleep 0.5
shot 1-started
texts=$(probe texts "$title")
grep -qx '1005 209' <<<"$texts" || fail "pivot distance is not 209: $texts"
radii_are 57.5 146.05 || fail "the radii do not start at the DIN values"
wait_for focus_is 1005 || fail "the pivot distance does not have the focus"

echo "Pressing IEC." >&2
click 1021
wait_for radii_are 60.325 146.05 || fail "IEC did not set the radii"
shot 2-iec

echo "Pressing Escape." >&2
xdotool key Escape
sleep 1
has_window "$title" && [ ! -e "$exit_file" ] || fail "Escape closed the window"

echo "Opening the help." >&2
click 1017
wait_for has_window 'Help/About' || fail "no help message"
sleep 0.5
shot 3-help
help=$(probe message 'Help/About')
[ "$(head -n 1 <<<"$help")" = Veltrane ] && [ "$(wc -l <<<"$help")" = 26 ] ||
  fail "unexpected help text: $help"
xdotool key Return
wait_for eval '! has_window Help/About' || fail "the help message stayed open"
wait_for focus_is 1017 || fail "the focus did not return to the Help button"
radii_are 60.325 146.05 || fail "the help changed the fields"

echo "Closing the window." >&2
xdotool key alt+F4
wait_for test -e "$exit_file" || fail "the program did not end"
shot 4-closed
[ "$(tr -d '\r' <"$exit_file")" = 0 ] || fail "exit code $(cat "$exit_file"), not 0"
has_window "$title" && fail "the window is still there"
echo "The window smoke test passed; screenshots in $shots." >&2
