#!/usr/bin/env bash
# Cross-builds pmsnmp.dll and every test program not labelled linux_only for
# 32-bit Windows with MinGW-w64 and runs them under Wine, with the Linux
# snmpd and test agent as their peers (started through
# tests/support/supervise.py). A host built with MSVC's ABI (clang and
# lld-link, no Microsoft file) runs against the same DLL as the MinGW host.
# Installs what it needs (once); the build folder keeps the objects and the
# Wine prefix, so a second run only rebuilds what changed.
#   scripts/windows.sh [build-dir]      (default build/windows)
# When the tool chain cannot be installed it says so on one line and exits
# with 77 (skipped); PMSNMP_REQUIRE_WINDOWS=1 makes that a failure (1).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib/apt_install.sh
root=$(pwd)
build=${1:-build/windows}
jobs=$(nproc)

packages=(g++-mingw-w64-i686-posix clang lld wine wine32:i386 wine64 snmpd snmp python3 cmake nlohmann-json3-dev)

install_packages() {
  [ -n "$(apt_missing "${packages[@]}")" ] || return 0
  if ! dpkg --print-foreign-architectures | grep -qx i386 && ! apt_as_root dpkg --add-architecture i386; then
    APT_FAILED="the i386 architecture" APT_REASON="dpkg --add-architecture i386 failed"
    return 1
  fi
  apt_install "${packages[@]}"
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

# SNMPv3 links a static Net-SNMP over a static OpenSSL, both cross-built from
# Debian's source packages into $build/deps once; the stamp skips it after.
# apt-get source needs deb-src entries: the twins of the machine's own deb
# ones.
deps_sources() {
  local suite lists=/etc/apt/sources.list.d
  suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
  if ! grep -qs '^Types:.*deb-src\|^[[:space:]]*deb-src' /etc/apt/sources.list "$lists"/*.sources "$lists"/*.list; then
    apt_src_stanzas "$lists"/*.sources | write_root_file "$lists/pmsnmp-deb-src.sources"
    apt_src_lines /etc/apt/sources.list "$lists"/*.list | write_root_file "$lists/pmsnmp-deb-src.list"
    grep -qs '^Types: deb-src\|^deb-src' "$lists"/pmsnmp-deb-src.* ||
      { echo "no deb entry in the apt sources to take deb-src entries from" >&2; return 1; }
    apt_update
  fi
  # The release's own versions: the security mirror serves no sources.
  (cd "$1" && apt-get source -qq "openssl/$suite" "net-snmp/$suite" >/dev/null 2>&1)
}

# Writes standard input to a root-owned file, or nothing when it is empty.
write_root_file() {
  local text
  text=$(cat)
  [ -z "$text" ] || printf '%s\n' "$text" | apt_as_root tee "$1" >/dev/null
}

build_deps() {
  local deps=$deps_dir prefix=$deps_dir/prefix src host=i686-w64-mingw32
  [ -f "$deps/stamp" ] && return 0
  rm -rf "$deps/src" "$prefix" && mkdir -p "$deps/src"
  deps_sources "$deps/src" || return 1
  src=$(echo "$deps"/src/openssl-3*/)
  (cd "$src" && ./Configure mingw --cross-compile-prefix=$host- --prefix="$prefix" --libdir=lib \
     no-shared no-asm no-tests no-engine no-dso no-module &&
   make -j "$jobs" build_libs && make install_dev) || return 1
  src=$(echo "$deps"/src/net-snmp-5*/)
  (cd "$src" && ./configure --host=$host --prefix="$prefix" \
     --disable-agent --disable-applications --disable-manuals --disable-scripts \
     --disable-embedded-perl --without-perl-modules --disable-mibs --disable-mib-loading \
     --enable-static --disable-shared --with-transports=UDP --with-security-modules=usm \
     --with-defaults --enable-blumenthal-aes --with-openssl="$prefix" \
     LIBS="-lws2_32 -lgdi32 -lcrypt32" OPENSSL_CFLAGS="-I$prefix/include" \
     OPENSSL_LIBS="-L$prefix/lib -lcrypto -lws2_32 -lgdi32 -lcrypt32" &&
   make -C snmplib -j "$jobs" && make -C snmplib install && make installheaders) || return 1
  touch "$deps/stamp"
}

echo "== Windows: packages"
if ! install_packages; then
  if [ "${PMSNMP_REQUIRE_WINDOWS:-0}" = 1 ]; then
    echo "windows job FAILED: $APT_FAILED cannot be installed (apt: $APT_REASON)" >&2
    exit 1
  fi
  echo "windows job SKIPPED: $APT_FAILED cannot be installed (apt: $APT_REASON)"
  exit 77
fi

echo "== Windows: Net-SNMP and OpenSSL"
deps_dir=$(mkdir -p "$build/deps" && cd "$build/deps" && pwd)
# Called in a condition, so each step checks its own status.
if ! build_deps >"$deps_dir/build.log" 2>&1; then
  tail -40 "$deps_dir/build.log" >&2
  echo "cross-building Net-SNMP and OpenSSL failed; see $deps_dir/build.log" >&2
  exit 1
fi

echo "== Windows: cross-build"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw32.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DPMSNMP_WERROR=ON \
  -DPMSNMP_BUILD_BENCH=OFF -DPMSNMP_BUILD_TOOLS=OFF -DPMSNMP_WINDOWS_DEPS="$deps_dir/prefix" >/dev/null
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
