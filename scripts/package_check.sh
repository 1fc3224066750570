#!/usr/bin/env bash
# What a host developer does with pmsnmp, checked: install a built tree into
# a scratch prefix, build examples/ against it through find_package and
# through pkg-config, run both against snmpd (and the demo printer under
# snmpsim) on loopback, then build the .deb and check its contents and
# declared dependencies.
#
#   scripts/package_check.sh [BUILD_DIR]     (default build/release, built)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=$(realpath "${1:-build/release}")

work=$(mktemp -d /tmp/pmsnmp-package.XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "package check: $*" >&2; exit 1; }
free_port() {
    python3 -c 'import socket; s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"

echo "-- cmake --install into $work/prefix"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
lib=$(dirname "$(find "$prefix" -name "libpmsnmp.so.$version" | head -n 1)")
[ -f "$lib/libpmsnmp.so.$version" ] || fail "libpmsnmp.so.$version not installed"
[ "$(readlink "$lib/libpmsnmp.so.${version%%.*}")" = "libpmsnmp.so.$version" ] || fail "no SONAME link"
[ "$(readlink "$lib/libpmsnmp.so")" = "libpmsnmp.so.${version%%.*}" ] || fail "no development link"
objdump -p "$lib/libpmsnmp.so.$version" | grep -q "SONAME *libpmsnmp.so.${version%%.*}$" || fail "wrong SONAME"
[ -f "$prefix/include/pmsnmp/pmsnmp.h" ] || fail "headers not installed"
[ -f "$prefix/share/man/man1/pmsnmp.1" ] || fail "manual page not installed"
[ "$("$prefix/bin/pmsnmp" --version)" = "pmsnmp $version" ] || fail "pmsnmp --version is not $version"

echo "-- examples through find_package and pkg-config"
cmake -S examples -B "$work/by-cmake" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/by-cmake" >/dev/null
mkdir "$work/by-pkg-config"
PKG_CONFIG_PATH="$lib/pkgconfig" make -s -C "$work/by-pkg-config" -f "$root/examples/Makefile" \
    VPATH="$root/examples" CXXFLAGS="-O2 -Wall -Wextra -Werror" >/dev/null
monitors=("$work/by-cmake/printer_monitor" "$work/by-pkg-config/printer_monitor")
# The CMake build carries the library's folder in its run path; the other
# finds it as an installed host program would after ldconfig.
export LD_LIBRARY_PATH="$lib"

wait_answering() {  # community port pid
    for _ in $(seq 1 50); do
        "$prefix/bin/pmsnmp" get -t 200 -r 0 -c "$1" "127.0.0.1:$2" 1.3.6.1.2.1.1.5.0 >/dev/null 2>&1 && return 0
        kill -0 "$3" 2>/dev/null || return 1
        sleep 0.2
    done
    return 1
}

# Both monitors against the agent on $port: each must print every line given.
expect_monitors() {  # community pattern...
    local community=$1 monitor out pattern
    shift
    for monitor in "${monitors[@]}"; do
        out=$("$monitor" 127.0.0.1 "$port" "$community") || fail "$monitor failed against $community on $port"
        for pattern in "$@"; do
            grep -q "$pattern" <<<"$out" || fail "$monitor printed: $out"
        done
    done
}

port=$(free_port)
mkdir "$work/snmpd"
MIBS="" SNMP_PERSISTENT_DIR="$work/snmpd" /usr/sbin/snmpd -f -Lf "$work/snmpd/log" -C \
    -c tests/support/snmpd.conf -p "$work/snmpd/pid" "udp:127.0.0.1:$port" >/dev/null 2>&1 &
pids+=($!)
wait_answering pmsread "$port" "$!" || fail "snmpd did not start"
expect_monitors pmsread "^  name *pmsnmp-agent$" "^Supplies (0)$"

# The demo printer has supplies to walk. snmpsimd refuses root and drops
# to nobody, who must read the recording and write the cache.
port=$(free_port)
mkdir -p "$work/snmpsim/data" "$work/snmpsim/cache"
cp tools/demo/printer.snmprec "$work/snmpsim/data/demo.snmprec"
user_args=()
if [ "$(id -u)" -eq 0 ]; then
    chown -R nobody:nogroup "$work/snmpsim"
    chmod 755 "$work"
    user_args=(--process-user=nobody --process-group=nogroup)
fi
snmpsimd --data-dir="$work/snmpsim/data" --cache-dir="$work/snmpsim/cache" \
    --agent-udpv4-endpoint="127.0.0.1:$port" "${user_args[@]}" \
    --logging-method=null >/dev/null 2>&1 &
pids+=($!)
wait_answering demo "$port" "$!" || fail "snmpsimd did not start"
expect_monitors demo "^  printer *idle$" "^  Black Toner *8%$" "^  Yellow Toner *some remaining$"

echo "-- Debian package"
(cd "$build" && cpack -G DEB -B "$work/deb" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb=$(ls "$work"/deb/pmsnmp_"$version"_*.deb)
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in "./usr/lib/libpmsnmp.so.$version" ./usr/lib/libpmsnmp.so.0 ./usr/lib/libpmsnmp.so \
            ./usr/include/pmsnmp/pmsnmp.h ./usr/include/pmsnmp/get_data.h ./usr/bin/pmsnmp \
            ./usr/share/man/man1/pmsnmp.1 ./usr/lib/cmake/pmsnmp/pmsnmpConfig.cmake \
            ./usr/lib/pkgconfig/pmsnmp.pc; do
    grep -qx -- "$path" <<<"$contents" || fail "$path missing from $(basename "$deb")"
done
[ "$(dpkg-deb -f "$deb" Package)" = pmsnmp ] || fail "wrong package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "wrong package version"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libc6 libstdc++6; do
    grep -q "$needed" <<<"$depends" || fail "Depends lacks $needed: $depends"
done
echo "package check: $(basename "$deb") (Depends: $depends)"
