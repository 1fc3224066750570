#!/usr/bin/env bash
# Installs the Debian packages pmsnmp builds, tests and demonstrates with.
# Idempotent and quiet: does nothing when everything is present.
set -euo pipefail

packages=(
  build-essential cmake pkg-config python3
  libgtest-dev libgmock-dev libbenchmark-dev
  libsnmp-dev snmpd snmp snmpsim
  clang libclang-rt-14-dev
  libcli11-dev nlohmann-json3-dev
  iproute2
  doxygen help2man
  libyaml-cpp-dev libcpp-httplib-dev prometheus chromium python3-prometheus-client
  libsqlite3-dev faketime
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
