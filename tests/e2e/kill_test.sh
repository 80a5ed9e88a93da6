#!/usr/bin/env bash
# A job killed at a random moment leaves nothing behind: no temporary file beside the input, and
# never a half-made output. Encrypt and decrypt jobs of 256 MiB are started and killed with
# SIGKILL (as Task Manager, a logoff or a crash end them), natively (vexmora-cli) and under Wine
# (the real vexmora.exe, whose Windows process is the Unix process that is killed); then the
# folder is counted.
#
# Usage: kill_test.sh BUILD_DIR [KILLS]   (BUILD_DIR: the windows preset's build, or the linux
#        preset's for the native half only; the suite runs a few kills, by hand run more, e.g. 30)
# Prints one line per kill and a summary; exits 1 when anything was left or half made.
set -uo pipefail

if [ $# -lt 1 ]; then
  echo "usage: $0 BUILD_DIR [KILLS]" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
kills=${2:-4}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
size_mib=${VEXMORA_KILL_MIB:-256}

work=$(mktemp -d "${TMPDIR:-/tmp}/vexmora-kill.XXXXXX")
cleanup() {
  rm -rf "$work"
}
trap cleanup EXIT

head -c $((size_mib << 20)) /dev/urandom >"$work/plain.bin"

cli="$root/build/linux/tools/vexmora-cli"
[ -x "$cli" ] || cli="$build/tools/vexmora-cli"
left=0
halves=0
done_kills=0
# Whether an output is whole: a decrypted one is the plain file byte for byte; an encrypted one
# differs by its IV every time, so it must have the size of a container of the plain file and,
# where the native build is there, decrypt to it.
whole() {  # whole OUTPUT EXPECTED (a plain file, or "container")
  local output=$1 expected=$2
  if [ "$expected" != container ]; then
    cmp -s "$output" "$expected"
    return
  fi
  local n
  n=$(stat -c %s "$work/plain.bin")
  [ "$(stat -c %s "$output")" -eq $((16 + 16 * (n / 16 + 1))) ] || return 1
  [ -x "$cli" ] || return 0
  "$cli" D "$output" "$work/check.bin" pw >/dev/null 2>&1 && cmp -s "$work/check.bin" "$work/plain.bin"
  local same=$?
  rm -f "$work/check.bin"
  return $same
}

report() {  # report WHERE LABEL FOLDER INPUT OUTPUT EXPECTED: count what the kill left
  local where=$1 label=$2 folder=$3 input=$4 output=$5 expected=$6
  local extra=() name
  for name in "$folder"/* "$folder"/.[!.]*; do
    [ -e "$name" ] || continue
    case "$name" in
      "$folder/$input" | "$folder/$output") ;;
      *) extra+=("$(basename "$name")") ;;
    esac
  done
  local state="not begun"
  if [ -e "$folder/$output" ]; then
    if whole "$folder/$output" "$expected"; then
      state="whole"
    else
      state="HALF MADE"
      halves=$((halves + 1))
    fi
  fi
  left=$((left + ${#extra[@]}))
  done_kills=$((done_kills + 1))
  echo "$where $label: output $state, left beside it: ${#extra[@]} ${extra[*]:-}"
}

# Waits up to 5 s for the folder to hold at most `count` entries (a killed process's handles are
# closed by the system, or by Wine's server, a moment after it died).
settle() {
  local folder=$1 count=$2 i
  for i in $(seq 50); do
    [ "$(ls -A "$folder" | wc -l)" -le "$count" ] && return
    sleep 0.1
  done
}

# Kills (SIGKILL) the newest process whose command line holds `pattern` `delay` seconds after
# the job began to write (a temporary file of ours showed in `folder`; with `from` "now", at once:
# a nameless temporary file shows nothing).
kill_after() {
  local delay=$1 pattern=$2 folder=$3 from=$4 i
  if [ "$from" != now ]; then
    for i in $(seq 300); do
      compgen -G "$folder/~vx*" >/dev/null && break
      sleep 0.02
    done
  fi
  sleep "$delay"
  pkill -KILL -n -f -- "$pattern" 2>/dev/null || true
}

# One round: run PROGRAM... on a fresh copy and kill it at a random moment within `span` seconds.
# FROM: "now" to count the delay from the start, "write" from the first write.
round() {  # round WHERE LABEL FROM SPAN PATTERN INPUT OUTPUT EXPECTED COMMAND...
  local where=$1 label=$2 from=$3 span=$4 pattern=$5 input=$6 output=$7 expected=$8
  shift 8
  local folder="$work/round"
  rm -rf "$folder"
  mkdir "$folder"
  cp "$work/$input" "$folder/$input"
  local delay
  delay=$(python3 -c "import random; print(f'{random.uniform(0.02, $span):.2f}')")
  # In a subshell of its own, whose stderr takes the shell's note of the killed job.
  (
    (cd "$folder" && exec "$@" >/dev/null 2>&1) &
    kill_after "$delay" "$pattern" "$folder" "$from"
    wait
  ) 2>/dev/null
  settle "$folder" 2
  report "$where" "$label (killed after ${delay} s)" "$folder" "$input" "$output" "$expected"
}

# The reference outputs, and how long a whole job takes (the kills fall within that time).
timed() {
  local started
  started=$(date +%s.%N)
  "$@" >/dev/null 2>&1
  python3 -c "import sys; print(f'{float(sys.argv[2]) - float(sys.argv[1]):.2f}')" "$started" \
    "$(date +%s.%N)"
}

if [ -x "$cli" ]; then
  encrypt_span=$(cd "$work" && timed "$cli" E plain.bin plain.bin.vx pw)
  decrypt_span=$(cd "$work" && timed "$cli" D plain.bin.vx back.bin pw)
  cmp -s "$work/back.bin" "$work/plain.bin" || { echo "FAIL: the native round trip"; exit 1; }
  # An encrypted output differs in its IV every time: only its size and its decryption tell that
  # it is whole. The decrypted one is compared byte by byte.
  for i in $(seq "$kills"); do
    round native "encrypt $i" now "$encrypt_span" "vexmora-cli E plain.bin" plain.bin out.vx \
      container "$cli" E plain.bin out.vx pw
    round native "decrypt $i" now "$decrypt_span" "vexmora-cli D plain.bin.vx" plain.bin.vx \
      out.bin "$work/plain.bin" "$cli" D plain.bin.vx out.bin pw
  done
else
  echo "skipped: native kills (no build/linux/tools/vexmora-cli)"
fi

if [ -f "$build/vexmora.exe" ] && command -v wine >/dev/null; then
  if [ -z "${DISPLAY:-}" ]; then
    echo "skipped: kills under Wine (no display; the suite runs this under Xvfb)"
  else
    # The suite's prefix (made by its first Windows test), or one of our own when run by hand.
    export WINEPREFIX="${WINEPREFIX:-$build/wineprefix}" WINEARCH=win64 WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    [ -f "$WINEPREFIX/system.reg" ] || wineboot --init >/dev/null 2>&1
    wineserver -p60
    exe="$work/vexmora.exe"
    cp "$build/vexmora.exe" "$exe"
    # Wine's start-up and its ending take most of a run: the kills fall within the job itself,
    # from its first write (its temporary file has a name there) to a little past the moment its
    # output is in place, as a run of its own measures it.
    [ -f "$work/plain.bin.vx" ] || (cd "$work" && wine "$exe" E plain.bin plain.bin.vx pw >/dev/null 2>&1)
    mkdir "$work/measure"
    cp "$work/plain.bin" "$work/measure/plain.bin"
    (cd "$work/measure" && exec wine "$exe" E plain.bin out.vx pw >/dev/null 2>&1) &
    measured=$!
    for i in $(seq 1500); do
      compgen -G "$work/measure/~vx*" >/dev/null && break
      sleep 0.02
    done
    first_write=$(date +%s.%N)
    # Until the output is in place: the process itself takes a while more to end under Wine.
    for i in $(seq 1500); do
      [ -e "$work/measure/out.vx" ] && break
      sleep 0.02
    done
    placed=$(date +%s.%N)
    wait "$measured"
    span=$(python3 -c "import sys; print(f'{max(0.3, 1.1 * (float(sys.argv[2]) - float(sys.argv[1]))):.2f}')" \
      "$first_write" "$placed")
    rm -rf "$work/measure"
    for i in $(seq "$kills"); do
      round wine "encrypt $i" write "$span" "vexmora.exe E plain.bin" plain.bin out.vx container \
        wine "$exe" E plain.bin out.vx pw
      round wine "decrypt $i" write "$span" "vexmora.exe D plain.bin.vx" plain.bin.vx out.bin \
        "$work/plain.bin" wine "$exe" D plain.bin.vx out.bin pw
    done
  fi
else
  echo "skipped: kills under Wine (no vexmora.exe or no wine)"
fi

echo "kills: $done_kills, files left: $left, half-made outputs: $halves"
[ "$left" -eq 0 ] && [ "$halves" -eq 0 ] && [ "$done_kills" -gt 0 ]
