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

source "$(dirname "$0")/../../scripts/wine-lib.sh"
# Short: the scheduler's socket path must fit in a socket address.
work=$(mktemp -d /tmp/veltrane-wprint.XXXXXX)
cleanup() {
  wine_session_stop
  "$cups" stop "$work/cups" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

"$cups" start "$work/cups" >"$work/cups.log" 2>&1 || { cat "$work/cups.log" >&2; exit 1; }
export CUPS_SERVER="$work/cups/cups.sock"
# A fresh prefix made while the scheduler runs, so that Wine lists its queue as a printer.
wine_session_start "$work"
mkdir -p "$out"

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
