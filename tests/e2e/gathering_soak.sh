#!/usr/bin/env bash
# Soak test of the one-prompt-per-selection handoff, run by hand (not part of the suite): installs
# the setup in a fresh Wine prefix once, then in each round starts "Encrypt with Vexmora" on five
# files at once through vexmora_prompt_driver and counts the rounds that showed one prompt for
# the five. With --load, six busy loops and a loop of synced disk writes compete with it, as on a
# busy machine.
#
# Usage: gathering_soak.sh [--load] BUILD_DIR [ROUNDS]   (BUILD_DIR: the windows preset's build)
set -uo pipefail
load=0
if [ "${1:-}" = --load ]; then
  load=1
  shift
fi
if [ $# -lt 1 ] || [ ! -f "$1/vexmora.exe" ]; then
  echo "usage: $0 [--load] path/to/build/windows [rounds]" >&2
  exit 2
fi
if [ -z "${DISPLAY:-}" ]; then
  again=("$@")
  [ $load -eq 1 ] && again=(--load "$@")
  exec xvfb-run -a -s "-screen 0 1600x1200x24" bash "$0" "${again[@]}"
fi
build=$(cd "$1" && pwd)
rounds=${2:-20}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/vexmora-soak.XXXXXX")
export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
loaders=()
cleanup() {
  [ ${#loaders[@]} -gt 0 ] && kill "${loaders[@]}" 2>/dev/null
  wineserver -k 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
if [ $load -eq 1 ]; then
  for _ in 1 2 3 4 5 6; do
    (while :; do :; done) &
    loaders+=($!)
  done
  (while :; do dd if=/dev/zero of="$work/load" bs=1M count=300 conv=fsync 2>/dev/null; done) &
  loaders+=($!)
fi

"$root/scripts/package" --no-build --out "$work/package" >"$work/package.log" 2>&1 ||
  { cat "$work/package.log"; exit 1; }
wineboot --init >/dev/null 2>&1
wine "$work"/package/vexmora-*-setup.exe /S
wineserver -w
winpath() { printf 'Z:%s' "${1//\//\\}"; }

good=0
bad=0
for round in $(seq 1 "$rounds"); do
  mkdir -p "$work/r$round"
  paths=()
  for i in 1 2 3 4 5; do
    head -c 100 /dev/urandom >"$work/r$round/file $i.bin"
    paths+=("$(winpath "$work/r$round/file $i.bin")")
  done
  out=$(wine "$build/vexmora_prompt_driver.exe" encrypt pw "${paths[@]}" 2>&1 | tr -d '\r')
  if grep -qx 'prompt: Encrypt 5 files' <<<"$out"; then
    good=$((good + 1))
  else
    bad=$((bad + 1))
    echo "round $round: $out"
  fi
  # A fresh wineserver for every round, as in the suite, where each step waits for Wine to end.
  wineserver -k
  sleep 1
done
echo "one prompt in $good of $rounds rounds, $bad failed"
[ $bad -eq 0 ]
