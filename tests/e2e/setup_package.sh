#!/usr/bin/env bash
# The setup and the portable zip that scripts/package makes, in a fresh Wine prefix of their own:
#   - the zip holds the executable, the README, the licence and the third-party notices;
#   - "setup.exe /S" over an older version updates it in place: the registration (type, icon, open
#     verb without a switch, the four context-menu verbs with their direction, uninstall entry with
#     the new version), the files and the shortcuts are there;
#   - the commands the registry gives reach the password prompt: the open verb of a .vx decrypts
#     it beside itself; "Encrypt with Vexmora" on five files at once shows one prompt for the five,
#     and a process that starts only after the prompt shows joins it;
#     on a folder it encrypts its files through the subfolders without following a link loop and
#     without touching a .vx (real key presses, from vexmora_prompt_driver); "Decrypt with
#     Vexmora" on a folder of containers and one other file decrypts the containers, which by
#     their names alone would have been left alone;
#   - "Uninstall.exe /S" leaves the prefix's registry and files as they were before the install;
#   - a folder chosen for the setup that holds files of the user's own (with our files' names):
#     the setup goes into a subfolder and the uninstaller leaves every one of them; an empty one
#     chosen is used as it is and stays after the uninstall.
# The containers are checked with openssl enc.
#
# Usage: setup_package.sh BUILD_DIR      (the windows preset's build folder; needs a display, Xvfb
#                                         is started when there is none)
set -uo pipefail

if [ $# -ne 1 ] || [ ! -f "$1/vexmora.exe" ]; then
  echo "usage: $0 path/to/build/windows" >&2
  exit 2
fi
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1600x1200x24" bash "$0" "$@"
fi
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

work=$(mktemp -d "${TMPDIR:-/tmp}/vexmora-setup.XXXXXX")
export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko; no menu entries or file types for the host's desktop from the shortcuts.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
cleanup() {
  wineserver -k 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

passed=0
failed=0
check() {  # check NAME COMMAND...: one result line per check
  local name=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
    echo "ok: $name"
  else
    failed=$((failed + 1))
    echo "FAIL: $name"
  fi
}
finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit
}

# A Windows path for a host path (Wine maps / to Z:).
winpath() { printf 'Z:%s' "${1//\//\\}"; }
# The value of a registry entry, as reg query prints it (empty name: the default value).
# A query that gives nothing is asked once more: under load Wine's reg.exe has been seen to
# answer nothing for a key that holds its value.
reg_value() {
  local key=$1 name=$2 value attempt
  local args=(/ve)
  [ -n "$name" ] && args=(/v "$name")
  for attempt in 1 2; do
    value=$(wine reg query "$key" "${args[@]}" 2>/dev/null | tr -d '\r' |
      sed -n 's/^ *\([^ ]*\|(Default)\) *REG_[A-Z_]* *//p' | head -n 1)
    [ -n "$value" ] && break
  done
  printf '%s\n' "$value"
}
# The prefix's registry and files, less what changes without us:
#   - save times, and the devices Wine enumerates afresh at every start (Control\Class, network
#     cards);
#   - PendingFileRenameOperations: the uninstaller runs from a copy in the temp folder and asks
#     for that copy to be deleted at the next restart (MoveFileEx with
#     MOVEFILE_DELAY_UNTIL_REBOOT). Windows documents that flag for administrators and
#     LocalSystem only, so for a user's uninstaller it writes nothing there; Wine lets anyone;
#   - the temp folders, the system's scratch space, where that copy waits.
snapshot() {
  wineserver -w
  for hive in system.reg user.reg userdef.reg; do
    sed -e 's/^\(\[.*\]\) [0-9]*$/\1/' "$WINEPREFIX/$hive" | awk '
      /^\[/ { skip = $0 ~ /^\[System\\\\CurrentControlSet\\\\Control\\\\Class\\\\/ || $0 ~ /NetworkCards\]$/ }
      !skip && !/^#time=/ && !/^"PendingFileRenameOperations"=/ { print }'
  done
  (cd "$WINEPREFIX/drive_c" && find . -path '*/[Tt]emp' -prune -o -print | sort)
}
# Waits up to 60 s for every given file to exist.
wait_for() {
  local f tries=0
  while [ $tries -lt 600 ]; do
    local all=1
    for f in "$@"; do [ -e "$f" ] || all=0; done
    [ $all -eq 1 ] && return 0
    sleep 0.1
    tries=$((tries + 1))
  done
  return 1
}
# Decrypts a container with openssl enc (key: SHA-256 of the password; the IV in front) and
# compares it with the expected plain file.
openssl_matches() {
  local container=$1 password=$2 plain=$3
  local key iv
  key=$(printf '%s' "$password" | openssl dgst -sha256 -hex | awk '{ print $NF }')
  iv=$(head -c 16 "$container" | od -An -tx1 | tr -d ' \n')
  tail -c +17 "$container" | openssl enc -d -aes-256-cbc -K "$key" -iv "$iv" | cmp -s - "$plain"
}

# The packages.
"$root/scripts/package" --no-build --out "$work/package" >"$work/package.log" 2>&1 ||
  { cat "$work/package.log"; echo "FAIL: scripts/package"; failed=1; finish; }
setup=$(ls "$work"/package/vexmora-*-setup.exe)
version=$(basename "$setup" | sed 's/^vexmora-\(.*\)-setup\.exe$/\1/')
check "portable zip holds the exe, the README, the licence and the notices" \
  bash -c '[ "$(unzip -Z1 "$1" | sort | tr "\n" " ")" = "LICENSE.txt README.md THIRD-PARTY-NOTICES.txt vexmora.exe " ]' _ \
  "$work/package/vexmora-$version-portable.zip"

# Signing with a certificate given: a throwaway self-signed one here.
openssl req -x509 -newkey rsa:2048 -keyout "$work/key.pem" -out "$work/cert.pem" -days 1 -nodes \
  -subj "/CN=Vexmora test" >/dev/null 2>&1 &&
  openssl pkcs12 -export -out "$work/cert.pfx" -inkey "$work/key.pem" -in "$work/cert.pem" \
    -passout pass:test-only
VEXMORA_SIGN_PASSWORD=test-only "$root/scripts/package" --no-build --cert "$work/cert.pfx" \
  --out "$work/signed" >"$work/signed.log" 2>&1
(cd "$work/signed" && unzip -q "vexmora-$version-portable.zip" vexmora.exe)
for f in "vexmora-$version-setup.exe" vexmora.exe; do
  check "$f signed" bash -c 'osslsigncode verify -CAfile "$1" "$2" 2>&1 | grep -q "^Signature verification: ok"' _ \
    "$work/cert.pem" "$work/signed/$f"
done
check "unsigned setup carries no signature" bash -c '! osslsigncode verify "$1" >/dev/null 2>&1' _ "$setup"

wineboot --init >/dev/null 2>&1
snapshot >"$work/before.txt"

# An older version first: the new setup must update it where it is.
mkdir -p "$work/old"
cp "$root/README.md" "$work/old/README.md"
cp "$root/LICENSE" "$work/old/LICENSE.txt"
cp "$root/THIRD-PARTY-NOTICES" "$work/old/THIRD-PARTY-NOTICES.txt"
{ cat "$build/vexmora.exe"; echo "older"; } >"$work/old/vexmora.exe"
makensis -V1 -DVERSION=0.9.0 -DSTAGE="$work/old" -DOUTFILE="$work/old-setup.exe" \
  "$build/packaging/vexmora.nsi" >/dev/null
wine "$work/old-setup.exe" /S
wineserver -w
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vexmora'
check "older version installed" [ "$(reg_value "$uninstall_key" DisplayVersion)" = 0.9.0 ]
wine "$setup" /S
wineserver -w

classes='HKCU\Software\Classes'
install_dir=$(find "$WINEPREFIX/drive_c/users" -path '*/AppData/Local/Programs/Vexmora' -type d)
rel=${install_dir#"$WINEPREFIX/drive_c/"}
exe_win="C:\\${rel//\//\\}\\vexmora.exe"
check "exe updated in place" cmp -s "$install_dir/vexmora.exe" "$build/vexmora.exe"
check "README, licence, notices and uninstaller installed" test -f "$install_dir/README.md" \
  -a -f "$install_dir/LICENSE.txt" -a -f "$install_dir/THIRD-PARTY-NOTICES.txt" -a -f "$install_dir/Uninstall.exe"
check ".vx names the type" [ "$(reg_value "$classes\\.vx" "")" = Vexmora.EncryptedFile ]
check "type name" [ "$(reg_value "$classes\\Vexmora.EncryptedFile" "")" = "Vexmora encrypted file" ]
check "type icon" [ "$(reg_value "$classes\\Vexmora.EncryptedFile\\DefaultIcon" "")" = "\"$exe_win\",0" ]
check "open verb" [ "$(reg_value "$classes\\Vexmora.EncryptedFile\\shell\\open\\command" "")" = "\"$exe_win\" \"%1\"" ]
# Each verb names its direction; Explorer offers it for up to 100 selected items ("Player").
verbs=(
  '*\shell\Vexmora.Encrypt|Encrypt with Vexmora|encrypt'
  'Directory\shell\Vexmora.Encrypt|Encrypt with Vexmora|encrypt'
  'SystemFileAssociations\.vx\shell\Vexmora.Decrypt|Decrypt with Vexmora|decrypt'
  'Directory\shell\Vexmora.Decrypt|Decrypt with Vexmora|decrypt'
)
for verb in "${verbs[@]}"; do
  IFS='|' read -r key name direction <<<"$verb"
  check "verb $key" [ "$(reg_value "$classes\\$key" "")" = "$name" ]
  check "verb $key: its command" \
    [ "$(reg_value "$classes\\$key\\command" "")" = "\"$exe_win\" /direction:$direction \"%1\"" ]
  check "verb $key: selections" [ "$(reg_value "$classes\\$key" MultiSelectModel)" = Player ]
done
check "uninstall entry version" [ "$(reg_value "$uninstall_key" DisplayVersion)" = "$version" ]
for name in DisplayName Publisher DisplayIcon EstimatedSize UninstallString QuietUninstallString; do
  check "uninstall entry $name" [ -n "$(reg_value "$uninstall_key" "$name")" ]
done
check "quiet uninstall is silent" bash -c '[[ "$1" == *"Uninstall.exe\" /S" ]]' _ \
  "$(reg_value "$uninstall_key" QuietUninstallString)"
users="$WINEPREFIX/drive_c/users"
check "Send To shortcut" test -n "$(find "$users" -path '*/SendTo/Vexmora.lnk')"
check "Start menu shortcut" test -n "$(find "$users" -path '*/Start Menu/Programs/Vexmora.lnk')"

# The prompt through the registered commands.
files="$work/files"
mkdir -p "$files/five" "$files/tree/sub/deep"
driver=("wine" "$build/vexmora_prompt_driver.exe")

printf 'a note\n' >"$files/notes.txt"
key=$(printf '%s' "pass word" | openssl dgst -sha256 -hex | awk '{ print $NF }')
iv=000102030405060708090a0b0c0d0e0f
{ printf '\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f'
  openssl enc -aes-256-cbc -K "$key" -iv "$iv" <"$files/notes.txt"; } >"$files/notes.txt.vx"
mv "$files/notes.txt" "$files/notes.expected"
out=$("${driver[@]}" open "pass word" "$(winpath "$files/notes.txt.vx")" 2>&1 | tr -d '\r')
echo "$out"
check "open verb prompt says what it does" grep -qx 'prompt: Decrypt notes.txt.vx' <<<"$out"
wait_for "$files/notes.txt"
wineserver -w
check "open verb decrypts beside the file" cmp -s "$files/notes.txt" "$files/notes.expected"

paths=()
for i in 1 2 3 4 5; do
  head -c $((i * 1000 + 7)) /dev/urandom >"$files/five/file $i.bin"
  paths+=("$(winpath "$files/five/file $i.bin")")
done
out=$("${driver[@]}" encrypt "pw" "${paths[@]}" 2>&1 | tr -d '\r')
echo "$out"
check "five processes, one prompt" grep -qx 'prompt: Encrypt 5 files' <<<"$out"
check "the weak password was asked about" grep -q '^question: Warning: Dieses Passwort ist sehr schwach' <<<"$out"
wait_for "$files"/five/file\ {1,2,3,4,5}.bin.vx
for i in 1 2 3 4 5; do
  wineserver -w
  check "file $i.bin.vx opens with openssl enc" \
    openssl_matches "$files/five/file $i.bin.vx" pw "$files/five/file $i.bin"
done

# A weak password answered No: the prompt stays open, Esc closes it, and nothing is written.
mkdir -p "$files/refused"
printf 'plain\n' >"$files/refused/plain.txt"
out=$("${driver[@]}" encrypt-weak-no "pw" "$(winpath "$files/refused/plain.txt")" 2>&1 | tr -d '\r')
echo "$out"
wineserver -w
check "a weak password answered No writes nothing" \
  bash -c '[ "$(ls -A "$1")" = plain.txt ]' _ "$files/refused"

# An action seconds after a prompt opened is the user's next one: it gets a prompt of its own,
# and the open prompt does not grow.
mkdir -p "$files/late"
printf 'early\n' >"$files/late/early.txt"
printf 'late\n' >"$files/late/late.txt"
out=$("${driver[@]}" encrypt-late "pw" "$(winpath "$files/late/early.txt")" \
  "$(winpath "$files/late/late.txt")" 2>&1 | tr -d '\r')
echo "$out"
check "a later process gets its own prompt" grep -qx 'late prompt: Encrypt late.txt' <<<"$out"
check "the open prompt keeps its selection" grep -qx 'prompt: Encrypt early.txt' <<<"$out"
wait_for "$files/late/early.txt.vx"
wineserver -w
check "late/early.txt encrypted" openssl_matches "$files/late/early.txt.vx" pw "$files/late/early.txt"
check "late/late.txt left alone" test ! -e "$files/late/late.txt.vx"

printf 'top\n' >"$files/tree/top.txt"
printf 'mid\n' >"$files/tree/sub/mid.txt"
printf 'low\n' >"$files/tree/sub/deep/low.txt"
cp "$files/notes.txt.vx" "$files/tree/sub/keep.vx"
ln -s ../.. "$files/tree/sub/deep/loop"
out=$("${driver[@]}" encrypt "pw" "$(winpath "$files/tree")" 2>&1 | tr -d '\r')
echo "$out"
check "folder prompt counts its files" grep -qx 'prompt: Encrypt the folder tree (3 files)' <<<"$out"
wait_for "$files/tree/top.txt.vx" "$files/tree/sub/mid.txt.vx" "$files/tree/sub/deep/low.txt.vx"
wineserver -w
for f in top.txt sub/mid.txt sub/deep/low.txt; do
  check "tree/$f encrypted" openssl_matches "$files/tree/$f.vx" pw "$files/tree/$f"
done
check "the .vx in the folder untouched" cmp -s "$files/tree/sub/keep.vx" "$files/notes.txt.vx"
check "the link still a link, nothing else written" \
  bash -c '[ -L "$1/sub/deep/loop" ] && [ "$(find "$1" -name "*.vx" | wc -l)" -eq 4 ]' _ "$files/tree"

# "Decrypt with Vexmora" on a folder: its containers are decrypted although it holds another file,
# which by the names alone would have made it a folder to encrypt.
mkdir -p "$files/sealed/sub"
printf 'first\n' >"$files/sealed/first.expected"
printf 'second\n' >"$files/sealed/sub/second.expected"
for f in first sub/second; do
  { printf '\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f'
    openssl enc -aes-256-cbc -K "$key" -iv "$iv" <"$files/sealed/$f.expected"; } >"$files/sealed/$f.txt.vx"
done
printf 'plain\n' >"$files/sealed/plain.txt"
out=$("${driver[@]}" decrypt "pass word" "$(winpath "$files/sealed")" 2>&1 | tr -d '\r')
status=$?
echo "$out"
check "the folder's decrypt verb: a prompt to decrypt it" \
  grep -q '^prompt: Decrypt the folder sealed' <<<"$out"
check "the folder's decrypt verb: one prompt, ended with 0" [ "$status" -eq 0 ]
wait_for "$files/sealed/first.txt" "$files/sealed/sub/second.txt"
wineserver -w
for f in first sub/second; do
  check "sealed/$f.txt.vx decrypted" cmp -s "$files/sealed/$f.txt" "$files/sealed/$f.expected"
done
check "the plain file in it left alone" \
  bash -c '[ "$(cat "$1/plain.txt")" = plain ] && [ ! -e "$1/plain.txt.vx" ]' _ "$files/sealed"

# Uninstall: the uninstaller runs from a copy in the temp folder, so wait for every process.
wine "$install_dir/Uninstall.exe" /S
wineserver -w
snapshot >"$work/after.txt"
check "uninstall leaves registry and files as before the install" \
  diff -u "$work/before.txt" "$work/after.txt"

# A folder the user chose. One holding files of their own, some with our files' names, gets a
# "Vexmora" subfolder, and nothing of theirs is written or deleted; an empty one is used as it is,
# and stays.
drive_c="$WINEPREFIX/drive_c"
mkdir -p "$drive_c/Tools/bin" "$drive_c/Empty"
for f in README.md LICENSE.txt THIRD-PARTY-NOTICES.txt Uninstall.exe vexmora.exe bin/tool.exe; do
  printf 'the user'"'"'s own %s\n' "$f" >"$drive_c/Tools/$f"
done
cp -a "$drive_c/Tools" "$work/tools-before"
snapshot >"$work/before-own.txt"
for row in 'Tools|Tools\Vexmora' 'Empty|Empty'; do
  IFS='|' read -r chosen used <<<"$row"
  used_host="$drive_c/${used//\\//}"
  wine "$setup" /S "/D=C:\\$chosen"
  wineserver -w
  check "chose $chosen: installed into $used" cmp -s "$used_host/vexmora.exe" "$build/vexmora.exe"
  check "chose $chosen: the uninstall entry names it" \
    [ "$(reg_value "$uninstall_key" InstallLocation)" = "C:\\$used" ]
  check "chose $chosen: the verbs run it" \
    [ "$(reg_value "$classes\\Directory\\shell\\Vexmora.Decrypt\\command" "")" = "\"C:\\$used\\vexmora.exe\" /direction:decrypt \"%1\"" ]
  check "chose $chosen: the user's files untouched by the setup" \
    diff -r -x Vexmora "$work/tools-before" "$drive_c/Tools"
  wine "$used_host/Uninstall.exe" /S
  wineserver -w
  check "chose $chosen: the user's files untouched by the uninstaller" \
    diff -r "$work/tools-before" "$drive_c/Tools"
done
snapshot >"$work/after-own.txt"
check "uninstalls from chosen folders leave registry and files as before" \
  diff -u "$work/before-own.txt" "$work/after-own.txt"
finish
