#!/usr/bin/env bash
# The package helper and the Windows job's skip against a stub apt-get that
# fails update a number of times or install for one package; nothing here
# touches the network or the machine's packages.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
stub=$(mktemp -d)
trap 'rm -rf "$stub"' EXIT
cat >"$stub/apt-get" <<'STUB'
#!/bin/sh
echo "$*" >>"$STUB_DIR/calls"
case $1 in
update)
  [ "$(grep -c '^update' "$STUB_DIR/calls")" -gt "$UPDATE_FAILS" ] && exit 0
  echo "E: Failed to fetch binary-i386/Packages  File has unexpected size"; exit 100;;
install)
  case " $* " in *" $BROKEN "*)
    echo "The following packages have unmet dependencies:"
    echo " $BROKEN : Depends: libwine:i386 but it is not going to be installed"
    echo "E: Unable to correct problems, you have held broken packages."; exit 100;; esac;;
esac
STUB
printf '#!/bin/sh\n[ "$3" = installed-pkg ] && echo "install ok installed"\n' >"$stub/dpkg-query"
printf '#!/bin/sh\n[ "$1" = --print-foreign-architectures ] && echo i386; exit 0\n' >"$stub/dpkg"
printf '#!/bin/sh\nexec "$@"\n' >"$stub/sudo"
chmod +x "$stub"/*
export PATH="$stub:$PATH" STUB_DIR=$stub PMSNMP_APT_PAUSE=0 PMSNMP_REQUIRE_WINDOWS=0

failures=0
# run UPDATE_FAILS BROKEN COMMAND...: output in $stub/out, status in $status
run() {
  rm -f "$stub/calls"
  UPDATE_FAILS=$1 BROKEN=$2 "${@:3}" >"$stub/out" 2>&1
  status=$?
}
expect() {  # expect WHAT STATUS UPDATES INSTALL-ARGS [TEXT]
  local updates installs
  updates=$(grep -c '^update' "$stub/calls" 2>/dev/null)
  installs=$(grep '^install -y' "$stub/calls" 2>/dev/null | sed 's/.*--no-install-recommends //')
  if [ "$status" != "$2" ] || [ "${updates:-0}" != "$3" ] || [ "$installs" != "$4" ] ||
     ! grep -qF -- "${5:-}" "$stub/out"; then
    echo "FAIL $1: status $status, $updates updates, install '$installs'"; sed 's/^/  | /' "$stub/out"
    failures=$((failures + 1))
  fi
}
helper() { (. "$root/scripts/lib/apt_install.sh" && apt_install "$@"; r=$?; echo "failed=$APT_FAILED"; exit $r); }
packages_of() { awk '/^packages=\(/ {on = 1} on {print} on && /\)/ {exit}' "$root/scripts/$1" | sed 's/packages=//' | tr -d '()' | xargs; }

run 0 none helper installed-pkg
expect "nothing missing" 0 0 ""
run 0 none helper pkg-a installed-pkg
expect "installs only the missing" 0 1 "pkg-a"
run 1 none helper pkg-a
expect "update retried once" 0 2 "pkg-a" "try 1 of 3"
run 9 none helper pkg-a pkg-b
expect "update failing always, install decides" 0 3 "pkg-a pkg-b" "going on with the indexes"
run 0 pkg-b helper pkg-a pkg-b
expect "install failure names its package" 1 1 "pkg-a pkg-b" "failed=pkg-b"
grep -qF "apt: E: Unable to correct problems, you have held broken packages." "$stub/out" ||
  { echo "FAIL apt's reason not printed"; failures=$((failures + 1)); }
run 9 none "$root/scripts/deps.sh"
expect "deps.sh with a broken index" 0 3 "$(packages_of deps.sh)"

wine_packages=$(packages_of windows.sh)
run 0 wine32:i386 "$root/scripts/windows.sh" "$stub/windows"
expect "windows job skipped" 77 1 "$wine_packages" \
  "windows job SKIPPED: wine32:i386 cannot be installed (apt: Unable to correct problems, you have held broken packages.)"
PMSNMP_REQUIRE_WINDOWS=1 run 0 wine32:i386 "$root/scripts/windows.sh" "$stub/windows"
expect "windows job required" 1 1 "$wine_packages" "windows job FAILED: wine32:i386"
exit $((failures > 0))
