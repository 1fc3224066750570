#!/usr/bin/env bash
# Cross-builds pmsnmp.dll and the portable tests for 32-bit Windows with
# MinGW-w64 and runs them under Wine, with the Linux snmpd as their agent.
# Installs what it needs (once); the build folder keeps the objects and the
# Wine prefix, so a second run only rebuilds what changed.
#   scripts/windows.sh [build-dir]      (default build/windows)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${1:-build/windows}
jobs=$(nproc)

packages=(g++-mingw-w64-i686-posix wine wine32:i386 wine64 snmpd snmp python3 cmake)

install_packages() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# The DLL offers the two factories and nothing else, undecorated.
check_exports() {
  local dll=$build/pmsnmp.dll names
  names=$(i686-w64-mingw32-objdump -p "$dll" |
          sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk '/\]/ && NR > 1 {print $NF}' | sort | tr '\n' ' ')
  if [ "$names" != "pmc_create_get_data pms_create_pdu_list " ]; then
    echo "pmsnmp.dll exports: $names" >&2
    exit 1
  fi
}

# SNMPv3 needs Net-SNMP and OpenSSL cross-built into $build/deps (cached
# there); until then the DLL answers "not supported" for user-based targets.

echo "== Windows: packages"
install_packages

echo "== Windows: cross-build"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw32.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DPMSNMP_WERROR=ON \
  -DPMSNMP_BUILD_BENCH=OFF -DPMSNMP_BUILD_TOOLS=OFF >/dev/null
cmake --build "$build" -j "$jobs"
check_exports

echo "== Windows: tests under Wine"
export WINEPREFIX=$(cd "$build" && pwd)/wineprefix WINEARCH=win32 WINEDEBUG=-all
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i </dev/null >/dev/null 2>&1
# ctest hangs when wineserver starts inside its output pipe: start a
# persistent one before (once wineboot's has gone), stop it after.
wineserver -w
(wineserver -p && wine cmd /c exit) </dev/null >/dev/null 2>&1
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT INT TERM
ctest --test-dir "$build" -j "$jobs" --output-on-failure | tee "$build/ctest.log"
