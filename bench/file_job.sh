#!/usr/bin/env bash
# Times the whole file job (native vexmora-cli, the same job as vexmora.exe's file mode) against
# `openssl enc -aes-256-cbc` with the raw key and IV on the same file, both directions, with the
# input in the page cache. Prints the best of five runs of each and their ratio.
# Usage: bench/file_job.sh [size in MiB, default 1024]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cli="${VEXMORA_CLI:-$root/build/linux/tools/vexmora-cli}"
size_mib=${1:-1024}
work=$(mktemp -d "${TMPDIR:-/tmp}/vexmora-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

head -c "$((size_mib * 1024 * 1024))" /dev/urandom >plain.bin
password="benchmark password"
key=$(printf '%s' "$password" | sha256sum | cut -c1-64)
"$cli" E plain.bin container.vx "$password"
iv=$(head -c 16 container.vx | od -An -tx1 | tr -d ' \n')
tail -c +17 container.vx >body.bin

best() {  # best wall time of five runs of a command, in seconds
  local best_time=""
  for _ in 1 2 3 4 5; do
    rm -f out.vx out.plain out.openssl  # every run writes a new file
    sync
    cat plain.bin container.vx body.bin >/dev/null  # keep the inputs in the page cache
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    best_time=$(python3 -c "t=$end-$start; b='$best_time'; print(min(t, float(b)) if b else t)")
  done
  echo "$best_time"
}

ours_e=$(best "$cli" E plain.bin out.vx "$password")
ref_e=$(best openssl enc -aes-256-cbc -K "$key" -iv "$iv" -in plain.bin -out out.openssl)
ours_d=$(best "$cli" D container.vx out.plain "$password")
cmp -s out.plain plain.bin || { echo "file job: decryption gave other bytes"; exit 1; }
ref_d=$(best openssl enc -d -aes-256-cbc -K "$key" -iv "$iv" -in body.bin -out out.openssl)

python3 - "$size_mib" "$ours_e" "$ref_e" "$ours_d" "$ref_d" <<'PY'
import sys
size, oe, re_, od, rd = int(sys.argv[1]), *map(float, sys.argv[2:])
print(f"| whole file job, {size} MiB in the page cache | vexmora-cli | openssl enc | speed-up |")
print("|---|---|---|---|")
print(f"| encrypt | {oe:.2f} s | {re_:.2f} s | {re_ / oe:.2f}x |")
print(f"| decrypt | {od:.2f} s | {rd:.2f} s | {rd / od:.2f}x |")
PY
