#!/usr/bin/env bash
# The main window and the progress window carry the program's own icon: Wine hands a window's
# icons to the X server as _NET_WM_ICON (what a desktop shows in its title bars and task lists),
# read here with xprop. Both sizes Wine sends (the system's big and small icon) must be there, and
# each must hold the padlock's gold (0xFFE0A21B, opaque), which Wine's default icon has nowhere.
# (Wine answers neither WM_GETICON nor GetClassLongPtr for another process's window.)
#
# Usage: window_icons.sh path/to/vexmora.exe      (needs a display; Xvfb is started when missing)
set -uo pipefail

if [ $# -ne 1 ] || [ ! -f "$1" ]; then
  echo "usage: $0 path/to/vexmora.exe" >&2
  exit 2
fi
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1600x1200x24" bash "$0" "$@"
fi
exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
wine_exec=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib" && pwd)/wine-exec
readonly gold=4292911643

work=$(mktemp -d "${TMPDIR:-/tmp}/vexmora-icons.XXXXXX")
program=""
cleanup() {
  [ -n "$program" ] && kill "$program" 2>/dev/null && wait "$program" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work" || exit 1

failures=0
# Checks the icons of the window titled "Vexmora" that the program started with "$@" shows.
check() {
  local what=$1
  shift
  "$wine_exec" "$exe" "$@" >/dev/null 2>&1 &
  program=$!
  local id=""
  for _ in $(seq 1 300); do
    id=$(xwininfo -name Vexmora 2>/dev/null | awk '/Window id:/ { print $4 }')
    [ -n "$id" ] && break
    sleep 0.1
  done
  local icons=""
  if [ -n "$id" ]; then
    for _ in $(seq 1 50); do
      icons=$(xprop -id "$id" -notype 32c _NET_WM_ICON 2>/dev/null | sed -n 's/^_NET_WM_ICON = //p')
      [ -n "$icons" ] && break
      sleep 0.1
    done
  fi
  kill "$program" 2>/dev/null
  wait "$program" 2>/dev/null
  program=""
  # The property: width, height, width * height ARGB values, and again for the next size.
  local summary
  summary=$(tr ',' '\n' <<<"$icons" | tr -d ' ' | awk -v gold="$gold" '
    NF == 0 { next }
    left == 0 { if (w == "") { w = $1; next } h = $1; left = w * h; found = 0; next }
    { if ($1 == gold) found = 1; if (--left == 0) { printf "%sx%s:%s ", w, h, found ? "ours" : "other"; w = "" } }')
  echo "$what: ${summary:-no icon}"
  case "$summary" in
    "32x32:ours 16x16:ours ") ;;
    *) echo "FAIL: $what: expected our icon at 32x32 and 16x16"; failures=$((failures + 1)) ;;
  esac
}

check "main window"
# A job whose input is missing keeps its progress window open under the error box.
check "progress window" E missing.txt pw

echo "$((2 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
