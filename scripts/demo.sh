#!/usr/bin/env bash
# The main job in one command: installs what is missing, builds the pmsnmp
# tool, starts a simulated printer on loopback (snmpsim serving the
# project's own recording tools/demo/printer.snmprec), prints its status
# report, and stops the simulator again.
#
#   scripts/demo.sh           text report
#   scripts/demo.sh --json    the same as JSON
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${PMSNMP_DEMO_BUILD:-$root/build/demo}

scripts/deps.sh

echo "== building pmsnmp in $build"
mkdir -p "$build"
if ! { cmake -S "$root" -B "$build" -DPMSNMP_BUILD_TESTS=OFF -DPMSNMP_BUILD_BENCH=OFF &&
       cmake --build "$build" -j "$(nproc)" --target pmsnmp_cli; } >"$build/demo-build.log" 2>&1; then
    tail -n 30 "$build/demo-build.log" >&2
    echo "demo: the build failed (full log: $build/demo-build.log)" >&2
    exit 1
fi
tool=$build/tools/pmsnmp

work=$(mktemp -d /tmp/pmsnmp-demo.XXXXXX)
agent_pid=""
cleanup() {
    if [ -n "$agent_pid" ] && kill -0 "$agent_pid" 2>/dev/null; then
        kill "$agent_pid" 2>/dev/null || true
        wait "$agent_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# snmpsim answers the community named like the recording's file.
mkdir -p "$work/data" "$work/cache"
cp tools/demo/printer.snmprec "$work/data/demo.snmprec"
port=$(python3 -c 'import socket; s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')

user_args=()
if [ "$(id -u)" -eq 0 ]; then
    # snmpsimd refuses to run as root; it drops to nobody, who must be able
    # to read the recording and write the cache.
    chown -R nobody:nogroup "$work"
    chmod 755 "$work"
    user_args=(--process-user=nobody --process-group=nogroup)
fi

echo "== starting the simulated printer on 127.0.0.1:$port"
snmpsimd --data-dir="$work/data" --cache-dir="$work/cache" \
         --agent-udpv4-endpoint="127.0.0.1:$port" "${user_args[@]}" \
         --logging-method=file:"$work/snmpsimd.log" >/dev/null 2>&1 &
agent_pid=$!

ready=0
for _ in $(seq 1 50); do
    if "$tool" get -t 200 -r 0 -c demo "127.0.0.1:$port" 1.3.6.1.2.1.1.5.0 >/dev/null 2>&1; then
        ready=1
        break
    fi
    kill -0 "$agent_pid" 2>/dev/null || break
    sleep 0.2
done
if [ "$ready" -ne 1 ]; then
    echo "demo: the simulated printer did not start; its log:" >&2
    cat "$work/snmpsimd.log" >&2 || true
    exit 1
fi

echo "== $tool status -c demo 127.0.0.1:$port $*"
echo
"$tool" status -c demo "127.0.0.1:$port" "$@"
