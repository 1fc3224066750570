#!/usr/bin/env bash
# The Linux snmpd the Windows host test talks to across Wine:
#   linux_snmpd.sh start STATE_DIR CONF   -> STATE_DIR/port, STATE_DIR/pid
#   linux_snmpd.sh stop STATE_DIR
# Loopback only, a free high port, the project's configuration alone, no
# MIB files and private persistent data; stopped by its PID.
set -euo pipefail
action=$1 state=$2

stop() {
  [ -f "$state/pid" ] || return 0
  local pid; pid=$(cat "$state/pid")
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$pid" 2>/dev/null || true
  rm -f "$state/pid"
}

# A UDP port free on both loopback addresses at the moment of asking.
free_port() {
  python3 - <<'PY'
import socket
for _ in range(50):
    a = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    a.bind(("127.0.0.1", 0))
    port = a.getsockname()[1]
    try:
        b = socket.socket(socket.AF_INET6, socket.SOCK_DGRAM)
        b.bind(("::1", port))
        b.close()
    except OSError:
        a.close()
        continue
    a.close()
    print(port)
    break
PY
}

start() {
  local conf=$1
  stop
  mkdir -p "$state/persist" "$state/conf"
  local port; port=$(free_port)
  [ -n "$port" ] || { echo "no free port" >&2; exit 1; }
  MIBS= SNMP_PERSISTENT_DIR="$state/persist" SNMPCONFPATH="$state/conf" \
    /usr/sbin/snmpd -f -Lf "$state/snmpd.log" -C -c "$conf" \
    "udp:127.0.0.1:$port,udp6:[::1]:$port" </dev/null >/dev/null 2>&1 &
  echo $! >"$state/pid"
  echo "$port" >"$state/port"
  # Ready once it answers; at most 10 s.
  for _ in $(seq 100); do
    if MIBS= snmpget -v1 -c pmsread -r0 -t0.2 "udp:127.0.0.1:$port" 1.3.6.1.2.1.1.1.0 >/dev/null 2>&1; then
      exit 0
    fi
    sleep 0.1
  done
  echo "snmpd did not answer" >&2; cat "$state/snmpd.log" >&2; stop; exit 1
}

case $action in
  start) start "$3" ;;
  stop) stop ;;
  *) echo "usage: $0 start STATE_DIR CONF | stop STATE_DIR" >&2; exit 2 ;;
esac
