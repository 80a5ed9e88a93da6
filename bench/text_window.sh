#!/usr/bin/env bash
# Times text Encode and Decode in the real main window under Wine, from the click to the new text
# in the editor and the window answering again, on texts of 100 KiB, 1 MiB and 5 MiB (or the sizes
# in KiB given). Prints the median, fastest and slowest of the runs of each.
# Usage: bench/text_window.sh [--runs N] [--limit SECONDS] [SIZE_KIB...]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
"$root/scripts/build" windows >/dev/null
export WINEPREFIX="${VEXMORA_WINEPREFIX:-$root/build/wineprefix}"
run=("$root/scripts/lib/wine-exec" "$root/build/windows/vexmora_text_window_bench.exe" "$@")
status=0
if [ -z "${DISPLAY:-}" ]; then
  xvfb-run -a -s "-screen 0 1600x1200x24" bash -c '"$@"; rc=$?; wineserver -k; exit $rc' \
    bench "${run[@]}" </dev/null || status=$?
else
  "${run[@]}" </dev/null || status=$?
fi
exit $status
