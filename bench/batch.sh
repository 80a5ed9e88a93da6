#!/usr/bin/env bash
# Explorer's selection of 300 files of 4 KiB in the real vexmora.exe under Wine: one process per
# file, two at a time (the way before batches), against one batch and against two batches at once.
# Each round makes fresh files and runs every way once; see batch_bench.cpp for what is timed.
# Usage: bench/batch.sh [rounds, default 3]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
rounds=${1:-3}

if [ "${VEXMORA_BENCH_INSIDE:-}" != 1 ]; then
  # Only our target: others build in the same tree at the same time.
  [ -f build/windows/build.ninja ] || cmake --preset windows >/dev/null
  cmake --build --preset windows --target vexmora_batch_bench >/dev/null
fi

# A prefix of the benchmark's own, with Wine's virtual desktop: without a window manager Wine
# waits 2 s for every window it shows to be mapped; inside its desktop it does not. The way
# before batches shows 300 progress windows, so that wait would be most of its time.
export VEXMORA_WINEPREFIX="$root/build/bench-batch-wineprefix" WINEDEBUG=-all
wine_exec="$root/scripts/lib/wine-exec"

# One X server and one Wine server for the whole run.
if [ "${VEXMORA_BENCH_INSIDE:-}" != 1 ] && [ -z "${DISPLAY:-}" ]; then
  exec env VEXMORA_BENCH_INSIDE=1 xvfb-run -a -s "-screen 0 1600x1200x24" "$0" "$@"
fi
"$wine_exec" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
"$wine_exec" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 800x600 /f \
  >/dev/null 2>&1
# The desktop process reads the setting when it starts, and one may already run without it (a
# prefix made just now starts one): this prefix's server and its processes start again.
WINEPREFIX="$VEXMORA_WINEPREFIX" wineserver -k 2>/dev/null || true
WINEPREFIX="$VEXMORA_WINEPREFIX" wineserver -w 2>/dev/null || true
# A window kept open for the whole run keeps Wine's desktop process alive: it ends a few seconds
# after the last window closes, and starting it again would cost whichever way runs next.
"$wine_exec" notepad >/dev/null 2>&1 &
host=$!
sleep 3
rc=0
"$wine_exec" "$root/build/windows/vexmora_batch_bench.exe" "$rounds" </dev/null || rc=$?
kill "$host" 2>/dev/null || true
WINEPREFIX="$VEXMORA_WINEPREFIX" wineserver -k || true
exit $rc
