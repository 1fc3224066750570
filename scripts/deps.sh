#!/usr/bin/env bash
# Installs the Debian packages pmsnmp builds, tests and demonstrates with.
# Idempotent and quiet: does nothing when everything is present. A package
# more is a word more in the list.
set -euo pipefail
. "$(dirname "$0")/lib/apt_install.sh"

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

apt_install "${packages[@]}" || exit 1
