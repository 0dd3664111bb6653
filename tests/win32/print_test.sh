#!/usr/bin/env bash
# Prints with the Windows program's printer dialog and GDI printer under Wine onto a private
# CUPS scheduler (scripts/cups), then checks what the scheduler spooled:
#   print_test.sh PRINTER_TESTS.exe CUPS_SCRIPT OUTPUT_DIRECTORY
# Two documents named "Print Job" of one page each, the template landscape and the strobe
# disk portrait, and nothing for the cancelled dialog. Pictures of the pages go to the output.
set -euo pipefail
tests_exe=$1
cups=$2
out=$3
if [ "$(id -u)" -ne 0 ]; then
  echo "The private CUPS scheduler needs root; skipped." >&2
  exit 77
fi

# Short: the scheduler's socket path must fit in a socket address.
work=$(mktemp -d /tmp/veltrane-wprint.XXXXXX)
xvfb_pid=
cleanup() {
  WINEPREFIX="$work/prefix" wineserver -k >/dev/null 2>&1 || true
  "$cups" stop "$work/cups" >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

"$cups" start "$work/cups" >"$work/cups.log" 2>&1 || { cat "$work/cups.log" >&2; exit 1; }
export CUPS_SERVER="$work/cups/cups.sock"

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
export DISPLAY=":$(head -n 1 "$work/display")"

# A fresh prefix made while the scheduler runs, so that Wine lists its queue as a printer.
export WINEPREFIX="$work/prefix" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml=;winedbg.exe=d"
mkdir -p "$WINEPREFIX" "$out"
wineserver -p </dev/null >/dev/null 2>&1
wineboot -i </dev/null >"$work/wine.log" 2>&1

status=0
wine "$tests_exe" </dev/null >"$work/tests.log" 2>&1 || status=$?
tr -d '\r' <"$work/tests.log"
[ "$status" -eq 0 ] || exit "$status"

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

# Every job's document stays in the spool as d<job>-001, in the order printed.
jobs=("$work"/cups/spool/d*-001)
[ ${#jobs[@]} -eq 2 ] || fail "${#jobs[@]} documents spooled, not 2"
page_setup() {
  sed -n '/^%%BeginPageSetup/,/^%%EndPageSetup/p' "$1"
}
for job in "${jobs[@]}"; do
  grep -qx '%%Title: Print Job' "$job" || fail "$job is not named Print Job"
  [ "$(grep -c '^%%Page: ' "$job")" -eq 1 ] || fail "$job has not exactly one page"
done
# The page setup turns a landscape page onto the sheet, and a portrait one not at all.
page_setup "${jobs[0]}" | grep -qx -- '-\?90 rotate' || fail "the template page is not landscape"
page_setup "${jobs[1]}" | grep -qx '0 rotate' || fail "the strobe page is not portrait"

if command -v gs >/dev/null; then
  gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -r50 -sOutputFile="$out/template.png" \
    "${jobs[0]}" || true
  gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -r50 -sOutputFile="$out/strobe.png" \
    "${jobs[1]}" || true
fi
echo "Printed through the printer dialog onto CUPS; pages in $out." >&2
