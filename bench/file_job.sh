#!/usr/bin/env bash
# The whole file job against `openssl enc` and the I/O and cipher floors, on a file in tmpfs:
# the native vexmora-cli and, when it is built and Wine is there, the real vexmora.exe under Wine
# (net of an empty job). See file_job.py for what is measured and how.
# Usage: bench/file_job.sh [size in MiB, default 1024] [rounds, default 5]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cli="${VEXMORA_CLI:-$root/build/linux/tools/vexmora-cli}"
exe="${VEXMORA_EXE:-$root/build/windows/vexmora.exe}"
size_mib=${1:-1024}
rounds=${2:-5}

wine_args=()
if [ -f "$exe" ] && command -v wine >/dev/null; then
  # A prefix of the benchmark's own, with Wine's virtual desktop: without a window manager Wine
  # waits 2 s for every window it shows to be mapped; inside its desktop it does not.
  export VEXMORA_WINEPREFIX="$root/build/bench-wineprefix" WINEDEBUG=-all
  wine_exec="$root/scripts/lib/wine-exec"
  wine_args=("$exe" "$wine_exec")
fi

run() {
  python3 "$root/bench/file_job.py" "$size_mib" "$rounds" "$cli" "${wine_args[@]}"
}
if [ ${#wine_args[@]} -eq 0 ]; then
  run
  exit
fi

# One X server and one Wine server for the whole run. Wine's virtual desktop is a setting of the
# prefix, made once here.
if [ "${VEXMORA_BENCH_INSIDE:-}" != 1 ]; then
  if [ -z "${DISPLAY:-}" ]; then
    exec env VEXMORA_BENCH_INSIDE=1 xvfb-run -a -s "-screen 0 1600x1200x24" "$0" "$@"
  fi
fi
"$wine_exec" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
"$wine_exec" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 800x600 /f \
  >/dev/null 2>&1
# A window kept open for the whole run keeps Wine's desktop process alive: it ends a few seconds
# after the last window closes, and starting it again costs a job that follows a pause (every
# job here: the other cases run between them) about 0.3 s more than one that follows at once.
"$wine_exec" notepad >/dev/null 2>&1 &
host=$!
sleep 3
rc=0
run || rc=$?
kill "$host" 2>/dev/null || true
WINEPREFIX="$VEXMORA_WINEPREFIX" wineserver -k || true
exit $rc
