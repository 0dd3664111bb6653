#!/usr/bin/env bash
# veltrane-cli.exe under Wine writes exactly the file named, whatever its characters, length
# or depth, and the same bytes as the Linux program writes:
#   cli_names_test.sh VELTRANE_CLI.exe WORK_DIRECTORY
# The Linux program is $VELTRANE_LINUX_CLI (scripts/test-windows builds it); without it the
# test is skipped. Runs in the prefix $VELTRANE_WINEPREFIX (scripts/test-windows), else in
# one of its own. Output goes to files, never through a pipe, so that its bytes arrive as
# written.
set -euo pipefail
cli=$1
work=$2
linux_cli=${VELTRANE_LINUX_CLI:-}
if [ -z "$linux_cli" ]; then
  echo "skipped: no Linux veltrane-cli to compare with (VELTRANE_LINUX_CLI)"
  exit 77
fi
source "$(dirname "$0")/../../scripts/wine-lib.sh"
# Wine reads its arguments in the locale's character set.
export LC_ALL=C.UTF-8
rm -rf "$work"
mkdir -p "$work/out"
if [ -n "${VELTRANE_WINEPREFIX:-}" ]; then
  export WINEPREFIX=$VELTRANE_WINEPREFIX
else
  trap 'wine_session_stop' EXIT
  wine_session_start "$work"
fi

failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

# Runs the Windows program in $work/out; standard output to $work/stdout, errors to
# $work/stderr; returns its exit code.
win() {
  (cd "$work/out" && wine "$cli" "$@" </dev/null >"$work/stdout" 2>"$work/stderr")
}
# The same with the Linux program, into $work/linux.stdout and $work/linux.stderr.
linux() {
  (cd "$work/out" && "$linux_cli" "$@" </dev/null >"$work/linux.stdout" 2>"$work/linux.stderr")
}
listing() { (cd "$work/out" && find . -mindepth 1 | LC_ALL=C sort); }

# Standard output and error byte for byte as on Linux, exit codes alike: the arguments,
# the ID (one argument, left out when empty) and arguments after it.
# clang-format off
same_output=(
  "summary|café ö € Œ|"
  "summary|Ωμέγα 日本 😀 ＼／|--pivot 239.3"
  "template --format pdf -o -|日本 Œ|"
  "template --format svg -o -|café 😀|"
  "template --format trace -o -|Ωμέγα|"
  "analyze --step 10||"
  "summary --pivot||"
  "template -o Ω/none.pdf||"
)
# clang-format on
for case in "${same_output[@]}"; do
  IFS='|' read -r before id after <<<"$case"
  read -ra args <<<"$before"
  [ -z "$id" ] || args+=(--id "$id")
  read -ra rest <<<"$after"
  args+=("${rest[@]}")
  win "${args[@]}" && code=0 || code=$?
  linux "${args[@]}" && linux_code=0 || linux_code=$?
  [ "$code" = "$linux_code" ] || fail "$case: exit code $code, on Linux $linux_code"
  cmp -s "$work/stdout" "$work/linux.stdout" || fail "$case: standard output differs from Linux's"
  cmp -s "$work/stderr" "$work/linux.stderr" || fail "$case: standard error differs from Linux's"
done
[ -z "$(listing)" ] || fail "files left by the runs above: $(listing)"

# Each name gets exactly its file, with Linux's bytes; a look-alike or a fullwidth slash is
# never read as another character or a separator. The longest names fill the file system's
# 255 bytes, so the temporary file's name may not grow from theirs.
linux strobe 60hz --format svg -o -
echo "old" >"$work/out/O.svg"
echo "old" >"$work/x.svg"
# clang-format off
names=(
  "Ω.svg" "ελληνικά.svg" "..／x.svg" "a＼b.svg" "日本語の名前.svg" "😀.svg" "café.svg"
  "$(printf 'L%.0s' {1..251}).svg" "$(printf 'λ%.0s' {1..125}).svg"
)
# clang-format on
expected=("./O.svg")
for name in "${names[@]}"; do
  win strobe 60hz -o "$name" || fail "$name: exit code $?: $(cat "$work/stderr")"
  cmp -s "$work/out/$name" "$work/linux.stdout" || fail "$name is not the page Linux writes"
  expected+=("./$name")
done
[ "$(cat "$work/out/O.svg")" = old ] || fail "O.svg was overwritten"
[ "$(cat "$work/x.svg")" = old ] || fail "a file outside the folder was overwritten"
[ "$(listing)" = "$(printf '%s\n' "${expected[@]}" | LC_ALL=C sort)" ] ||
  fail "the folder holds other names than those given: $(listing)"
find "$work/out" -mindepth 1 -delete

# Past MAX_PATH: a name of the file system's longest (255 bytes) in folders 400 characters
# deep, by a relative and by an absolute path; replacing a file there too.
deep="$work/out"
for _ in 1 2 3 4; do deep+=/$(printf 'd%.0s' {1..99}); done
mkdir -p "$deep"
long=$(printf 'n%.0s' {1..251}).svg
for target in "${deep#"$work/out/"}/$long" "Z:${deep//\//\\}\\$long" "${deep#"$work/out/"}/$long"; do
  win strobe 60hz -o "$target" || fail "a long path: exit code $?: $(cat "$work/stderr")"
  cmp -s "$deep/$long" "$work/linux.stdout" || fail "the long path's file is not the page"
done
[ "$(ls -A "$deep")" = "$long" ] || fail "the deep folder holds more than the file: $(ls -A "$deep")"
find "$work/out" -mindepth 1 -delete

# Devices are written straight through; failures say why and leave nothing behind.
echo "old" >"$work/out/read-only.svg"
chmod 444 "$work/out/read-only.svg"
mkdir "$work/out/folder.svg"
# clang-format off
outcomes=(
  "NUL|0|"
  "nul|0|"
  "read-only.svg|2|veltrane-cli: cannot write 'read-only.svg': Permission denied"
  "folder.svg|2|veltrane-cli: cannot write 'folder.svg': Is a directory"
  "missing\\x.svg|2|veltrane-cli: cannot write 'missing\\x.svg': no folder 'missing'"
)
# clang-format on
for outcome in "${outcomes[@]}"; do
  IFS='|' read -r target code message <<<"$outcome"
  win strobe 60hz --format svg -o "$target" && got=0 || got=$?
  [ "$got" = "$code" ] || fail "-o $target: exit code $got, not $code"
  [ "$(cat "$work/stderr")" = "$message" ] || fail "-o $target: $(cat "$work/stderr")"
done
[ "$(cat "$work/out/read-only.svg")" = old ] || fail "the read-only file was changed"
[ "$(listing)" = "$(printf '%s\n' ./folder.svg ./read-only.svg)" ] ||
  fail "left behind: $(listing)"

# Killed while it writes, the program leaves nothing: the temporary file goes with its handle.
(cd "$work/out" && exec wine "$cli" analyze --step 0.001 --format json -o big.json \
  </dev/null >/dev/null 2>&1) &
writer=$!
for _ in $(seq 600); do
  compgen -G "$work/out/big.json.tmp*" >/dev/null && break
  sleep 0.05
done
kill -9 "$writer" 2>/dev/null || fail "the program ended before it could be killed"
wait "$writer" 2>/dev/null || true
for _ in $(seq 100); do
  [ "$(listing)" = "$(printf '%s\n' ./folder.svg ./read-only.svg)" ] && break
  sleep 0.1
done
[ "$(listing)" = "$(printf '%s\n' ./folder.svg ./read-only.svg)" ] ||
  fail "a killed program left behind: $(listing)"

[ "$failures" = 0 ] || exit 1
echo "names, long paths, devices and output as on Linux"
