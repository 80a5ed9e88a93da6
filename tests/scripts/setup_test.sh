#!/usr/bin/env bash
# scripts/setup on machines it has never seen: stand-ins for dpkg-query, apt-get and sudo first on
# PATH play a Debian machine where dpkg knows some, none or all of the packages (dpkg-query -W exits 1
# when it has never heard of one of them, and lists the others), and an apt-get that succeeds or
# fails. Setup must ask apt-get for exactly the packages that are not installed, after an update,
# and must fail with a message naming the step when apt-get fails.
#
# Usage: setup_test.sh path/to/scripts/setup
set -uo pipefail
setup=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/vexmora-setup.XXXXXX")
trap 'rm -rf "$work"' EXIT

source "$(dirname "${BASH_SOURCE[0]}")/debian_standins.sh"
make_debian_standins "$work/bin"

failures=0
checks=0
# check NAME INSTALLED REMOVED UPDATE_RC INSTALL_RC EXPECT: runs setup; EXPECT is evaluated with
# rc (setup's exit code), out (its output), asked (the packages it queried), apt (apt-get's calls)
# and requested (the packages it asked apt-get to install, one per line, sorted).
check() {
  local name=$1
  rm -rf "$work/log"
  mkdir "$work/log"
  out=$(PATH="$work/bin:$PATH" STANDIN_LOG="$work/log" STANDIN_INSTALLED="$2" STANDIN_REMOVED="$3" \
    STANDIN_UPDATE_RC="$4" STANDIN_INSTALL_RC="$5" timeout 30 "$setup" 2>&1)
  rc=$?
  asked=$(sort -u "$work/log/asked" 2>/dev/null)
  apt=$(cat "$work/log/apt" 2>/dev/null)
  requested=$(grep -m1 -w install <<<"$apt" | tr ' ' '\n' | grep -v -e '^-' -e '^install$' -e '^$' | sort)
  checks=$((checks + 1))
  if ! eval "$6"; then
    echo "FAIL: $name (exit code $rc)"
    printf '    setup said: %s\n    apt-get was called with: %s\n' "$out" "$apt"
    failures=$((failures + 1))
  fi
}

# The packages setup wants, as it asks dpkg about them.
check "query" "" "" 0 0 '[ -n "$asked" ]'
all=$asked
some_installed=$(head -n 3 <<<"$all")
one_removed=$(sed -n 4p <<<"$all")
rest=$(tail -n +5 <<<"$all")

check "fresh machine: dpkg knows none of the packages" "" "" 0 0 \
  '[ $rc -eq 0 ] && [ "$requested" = "$all" ] && [ "$(head -n1 <<<"$apt")" = "update -q" ] &&
   grep -q "setup: installing" <<<"$out"'
check "some installed, one removed with its settings kept" "$some_installed" "$one_removed" 0 0 \
  '[ $rc -eq 0 ] && [ "$requested" = "$(sort <<<"$one_removed
$rest")" ]'
check "everything installed: apt-get is not called, nothing said" "$all" "" 0 0 \
  '[ $rc -eq 0 ] && [ -z "$apt" ] && [ -z "$out" ]'
check "apt-get install fails" "" "" 0 100 \
  '[ $rc -ne 0 ] && grep -q "apt-get install.* failed" <<<"$out"'
check "apt-get update fails" "" "" 100 0 \
  '[ $rc -ne 0 ] && grep -q "apt-get update.* failed" <<<"$out" && ! grep -qw install <<<"$apt"'

echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
