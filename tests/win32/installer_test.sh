#!/usr/bin/env bash
# The Windows installer under Wine's 64-bit msiexec: a silent install puts both programs, the
# README and the licence under Program Files\Veltrane, a Start-menu entry that starts the
# window and an uninstall entry; the installed CLI writes Linux's bytes; a silent uninstall
# takes all of it away again.
#   installer_test.sh VELTRANE.msi LINUX_VELTRANE_CLI WINDOW_TITLE
# Runs in the prefix and on the display of $VELTRANE_WINEPREFIX (scripts/test-windows).
set -euo pipefail
msi=$1
linux_cli=$2
title=$3
source "$(dirname "$0")/../../scripts/wine-lib.sh"
export WINEPREFIX=$VELTRANE_WINEPREFIX
drive=$WINEPREFIX/drive_c
work=$(mktemp -d "${TMPDIR:-/tmp}/veltrane-installer.XXXXXX")
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAILED: $*" >&2
  exit 1
}
files() { (cd "$drive" && find . | LC_ALL=C sort); }
uninstall_entries() {
  wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s </dev/null 2>/dev/null |
    tr -d '\r' | grep -c 'DisplayName *REG_SZ *Veltrane$' || true
}
wait_for() {
  local until=$((SECONDS + 30))
  while [ "$SECONDS" -lt "$until" ]; do
    if "$@"; then return 0; fi
    sleep 0.2
  done
  "$@"
}
window_shown() { xdotool search --name "^$title\$" >/dev/null 2>&1; }

files >"$work/before"
msi_path=$(winepath -w "$msi")
wine msiexec /i "$msi_path" /qn </dev/null >"$work/install.log" 2>&1 ||
  fail "msiexec /i: exit code $?: $(tr -d '\r' <"$work/install.log")"

folder="$drive/Program Files/Veltrane"
for file in veltrane.exe veltrane-cli.exe README.md LICENSE.txt; do
  [ -s "$folder/$file" ] || fail "Program Files\\Veltrane\\$file was not installed"
done
[ "$(uninstall_entries)" = 1 ] || fail "no uninstall entry named Veltrane"
shortcut=$(find "$drive" -name Veltrane.lnk -path '*/Start Menu/Programs/*')
[ -n "$shortcut" ] || fail "no Start-menu entry"

# The programs run from where the installer put them: the CLI as on Linux, the window
# through its Start-menu entry.
wine 'C:\Program Files\Veltrane\veltrane-cli.exe' template --format pdf -o - --id "Ωμέγα café" \
  </dev/null >"$work/installed.pdf" 2>"$work/errors" || fail "the installed CLI: exit code $?"
"$linux_cli" template --format pdf -o - --id "Ωμέγα café" >"$work/linux.pdf"
cmp -s "$work/installed.pdf" "$work/linux.pdf" || fail "the installed CLI writes other bytes"
wine start "$(winepath -w "$shortcut")" </dev/null >"$work/start.log" 2>&1 ||
  fail "starting the Start-menu entry: exit code $?"
wait_for window_shown || fail "the Start-menu entry showed no window \"$title\""
# Closed as its close box closes it.
wine taskkill /im veltrane.exe </dev/null >/dev/null 2>&1 || true
wait_for bash -c "! xdotool search --name '^$title\$' >/dev/null 2>&1" ||
  fail "the window did not close"

wine msiexec /x "$msi_path" /qn </dev/null >"$work/uninstall.log" 2>&1 ||
  fail "msiexec /x: exit code $?: $(tr -d '\r' <"$work/uninstall.log")"
[ "$(uninstall_entries)" = 0 ] || fail "the uninstall entry is still there"
wine reg query 'HKLM\Software\Veltrane' </dev/null >/dev/null 2>&1 &&
  fail "HKLM\\Software\\Veltrane is still there"
# msiexec's own cache folder stays, empty.
left=$(files | LC_ALL=C comm -23 - "$work/before" | grep -v -x './windows/Installer' || true)
[ -z "$left" ] || fail "the uninstall left behind: $left"
[ -z "$(ls -A "$drive/windows/Installer" 2>/dev/null)" ] || fail "msiexec's cache keeps the package"
echo "installed, ran and uninstalled silently: $(basename "$msi")"
