# Sourced by tests of the install path. make_debian_standins DIR: puts stand-ins for dpkg-query,
# apt-get and sudo into DIR (made if missing), to be put first on PATH. They play a Debian machine
# whose dpkg knows the packages of $STANDIN_INSTALLED (and $STANDIN_REMOVED, removed with their
# settings kept) and none else, and an apt-get that records its calls in $STANDIN_LOG/apt.
make_debian_standins() {
  local dir=$1
  mkdir -p "$dir"
  # dpkg-query -W -f=FORMAT PACKAGE...: records the packages it was asked about; answers "installed"
  # for those in $STANDIN_INSTALLED, "deinstall ... config-files" (removed, settings kept) for those
  # in $STANDIN_REMOVED; exits 1 when it knew not all of them.
  cat >"$dir/dpkg-query" <<'STANDIN'
#!/usr/bin/env bash
rc=0
for arg in "$@"; do
  case $arg in -*) continue ;; esac
  echo "$arg" >>"$STANDIN_LOG/asked"
  if grep -qx -- "$arg" <<<"$STANDIN_INSTALLED"; then
    echo "$arg install ok installed"
  elif grep -qx -- "$arg" <<<"$STANDIN_REMOVED"; then
    echo "$arg deinstall ok config-files"
  else
    echo "dpkg-query: no packages found matching $arg" >&2
    rc=1
  fi
done
exit $rc
STANDIN
  # apt-get: records each call; "update" and "install" exit with $STANDIN_UPDATE_RC / $STANDIN_INSTALL_RC.
  cat >"$dir/apt-get" <<'STANDIN'
#!/usr/bin/env bash
echo "$*" >>"$STANDIN_LOG/apt"
for arg in "$@"; do
  case $arg in
    update) exit "${STANDIN_UPDATE_RC:-0}" ;;
    install) exit "${STANDIN_INSTALL_RC:-0}" ;;
  esac
done
STANDIN
  printf '#!/bin/sh\nexec "$@"\n' >"$dir/sudo"
  chmod +x "$dir/"*
}
