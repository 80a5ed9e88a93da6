#!/usr/bin/env bash
# Files encrypted by vexmora.exe decrypt with the openssl command, and files encrypted with the
# openssl command (IV put in front) decrypt with vexmora.exe. The key is the SHA-256 digest of the
# password's UTF-8 bytes, the cipher AES-256-CBC with PKCS#7 padding.
#
# Usage: openssl_file_interop.sh path/to/vexmora.exe
# vexmora.exe runs under Wine (scripts/lib/wine-exec, prefix from VEXMORA_WINEPREFIX) with relative
# file names in a temporary folder. Without a display the script runs itself again under Xvfb.
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
# Wine turns the arguments into the Windows command line with the Unix locale's encoding.
export LC_ALL=C.UTF-8

work=$(mktemp -d "${TMPDIR:-/tmp}/vexmora-interop.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

failures=0
checks=0
fail() {
  echo "FAIL: $*"
  [ -f wine.log ] && sed 's/^/    /' wine.log
  failures=$((failures + 1))
}

# Runs vexmora.exe; its (and Wine's) output goes to wine.log, shown when a check fails.
run_vexmora() {
  local started=$SECONDS rc
  timeout 300 "$wine_exec" "$exe" "$@" </dev/null >wine.log 2>&1
  rc=$?
  echo "vexmora $1 ran $((SECONDS - started)) s, exit code $rc" >>wine.log
  return $rc
}

key_of() {
  printf '%s' "$1" | sha256sum | cut -d' ' -f1
}

# Reproducible test data of $2 bytes into file $1.
make_data() {
  if [ "$2" -eq 0 ]; then
    : >"$1"
  else
    openssl enc -aes-128-ctr -K 000102030405060708090a0b0c0d0e0f -iv 00000000000000000000000000000000 \
      -in /dev/zero 2>/dev/null | head -c "$2" >"$1"
  fi
}

passwords=("simple" "two words" "pässwörd ключ 密码" "")
sizes=(0 1 16 17 1000 16777221)

for size in "${sizes[@]}"; do
  for pw in "${passwords[@]}"; do
    label="size $size, password '$pw'"
    key=$(key_of "$pw")
    rm -f ./*
    make_data plain.bin "$size"

    # (a) vexmora encrypts, openssl decrypts.
    checks=$((checks + 1))
    run_vexmora E plain.bin "$pw"
    rc=$?
    if [ $rc -ne 0 ]; then
      fail "$label: vexmora E exit code $rc"
    elif [ ! -f plain.bin.vx ]; then
      fail "$label: vexmora E wrote no plain.bin.vx"
    else
      want=$((16 + 16 * (size / 16 + 1)))
      got=$(stat -c %s plain.bin.vx)
      [ "$got" -eq "$want" ] || fail "$label: container has $got bytes, expected $want"
      iv=$(head -c 16 plain.bin.vx | od -An -tx1 -v | tr -d ' \n')
      tail -c +17 plain.bin.vx >body.bin
      if ! openssl enc -d -aes-256-cbc -K "$key" -iv "$iv" -in body.bin -out openssl-plain.bin 2>err.txt; then
        fail "$label: openssl cannot decrypt vexmora's container: $(head -n 1 err.txt)"
      elif ! cmp -s plain.bin openssl-plain.bin; then
        fail "$label: openssl's decryption of vexmora's container differs from the input"
      fi
    fi

    # (b) openssl encrypts with the IV in front, vexmora decrypts.
    checks=$((checks + 1))
    iv=$(openssl rand -hex 16)
    openssl enc -aes-256-cbc -K "$key" -iv "$iv" -in plain.bin -out body.bin
    { printf "$(printf '%s' "$iv" | sed 's/../\\x&/g')"; cat body.bin; } >theirs.vx
    run_vexmora D theirs.vx "$pw"
    rc=$?
    if [ $rc -ne 0 ]; then
      fail "$label: vexmora D of openssl's container exit code $rc"
    elif [ ! -f theirs ]; then
      fail "$label: vexmora D wrote no output"
    elif ! cmp -s plain.bin theirs; then
      fail "$label: vexmora's decryption of openssl's container differs from the input"
    fi
  done
done

echo "$checks checks, $failures failed"
[ $failures -eq 0 ]
