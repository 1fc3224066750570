# shellcheck shell=bash disable=SC2034  # APT_FAILED and APT_REASON are for the caller
# Installs the Debian packages a script needs and the machine lacks.
#   . scripts/lib/apt_install.sh
#   apt_install PACKAGE...     # 0 when all are installed afterwards
# An index that fails to download (a mirror in mid-sync, a foreign
# architecture's index we do not need) does not stop us: apt-get update is
# tried a few times, then apt-get install decides whether what we need can be
# had. When it cannot, apt's last lines are printed, APT_FAILED names the
# packages and APT_REASON holds apt's last error; the caller decides.
# PMSNMP_APT_TRIES (3) and PMSNMP_APT_PAUSE (seconds, 10) tune the retries.
# Other users of apt on the machine are waited for, up to ten minutes.

apt_missing() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}

apt_as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

apt_update() {
  local tries=${PMSNMP_APT_TRIES:-3} pause=${PMSNMP_APT_PAUSE:-10} try log
  log=$(mktemp)
  for ((try = 1; ; try++)); do
    if apt_as_root apt-get update -qq -o DPkg::Lock::Timeout=600 >"$log" 2>&1; then
      rm -f "$log"
      return 0
    fi
    echo "apt-get update failed (try $try of $tries): $(grep -m1 '^E:' "$log")" >&2
    [ "$try" -lt "$tries" ] || break
    sleep "$pause"
  done
  rm -f "$log"
  echo "apt-get update: going on with the indexes at hand" >&2
}

# The packages that cannot be installed even alone (apt names only their
# dependencies); all of them when only the combination fails.
apt_failed_packages() {
  local p found=""
  for p in "$@"; do
    apt-get install -s -qq --no-install-recommends "$p" >/dev/null 2>&1 || found+="${found:+ }$p"
  done
  echo "${found:-$*}"
}

apt_install() {
  local missing log
  APT_FAILED="" APT_REASON=""
  mapfile -t missing < <(apt_missing "$@")
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt_update
  log=$(mktemp)
  if apt_as_root apt-get install -y -q -o DPkg::Lock::Timeout=600 --no-install-recommends "${missing[@]}" >"$log" 2>&1; then
    rm -f "$log"
    return 0
  fi
  APT_FAILED=$(apt_failed_packages "${missing[@]}")
  APT_REASON=$(grep '^E:' "$log" | tail -1 | sed 's/^E: *//' || true)
  [ -n "$APT_REASON" ] || APT_REASON=$(grep -v '^[[:space:]]*$' "$log" | tail -1 || true)
  {
    echo "apt-get install failed for: ${missing[*]}"
    tail -8 "$log" | sed 's/^/  apt: /'
  } >&2
  rm -f "$log"
  return 1
}

# The deb-src twin of every enabled deb stanza in the deb822 files given.
apt_src_stanzas() {
  local f
  for f in "$@"; do
    [ -f "$f" ] || continue
    awk 'BEGIN { RS = ""; FS = "\n" }
         { out = ""; deb = 0; off = 0
           for (i = 1; i <= NF; i++) {
             if ($i ~ /^Architectures:/) continue
             if ($i ~ /^Types:/) { deb = ($i " ") ~ /[ \t]deb[ \t]/; $i = "Types: deb-src" }
             if ($i ~ /^Enabled:[ \t]*[Nn][Oo]/) off = 1
             out = out $i "\n"
           }
           if (deb && !off) print out }' "$f"
  done
}

# The deb-src twin of every deb line in the one-line lists given.
apt_src_lines() {
  local f
  for f in "$@"; do
    if [ -f "$f" ]; then sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f"; fi
  done
}
