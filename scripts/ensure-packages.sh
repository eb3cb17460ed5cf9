#!/usr/bin/env bash
# Installs the Debian packages listed in debian-packages.txt that are not installed yet.
# Quiet and quick when everything is already there.
set -euo pipefail
list="$(dirname "$0")/debian-packages.txt"
# A fresh machine runs its own package updates at boot: wait this long for
# them to let go of apt's and dpkg's locks before giving up.
lock_wait_seconds=300
# What apt says when it could not take a lock, or gave up waiting for one.
lock_failure='Could not get lock|Unable to acquire the dpkg frontend lock'
missing=()
while read -r pkg; do
  [[ -z "$pkg" || "$pkg" == \#* ]] && continue
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
done < "$list"
[[ ${#missing[@]} -eq 0 ]] && exit 0
echo "Installing missing Debian packages: ${missing[*]}"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT

# Runs apt-get, waiting until the deadline while another package manager holds
# a lock. apt's own DPkg::Lock::Timeout covers only dpkg's locks, not the lock
# on the package lists that `apt-get update` takes, so a run that failed for a
# lock is tried again.
apt_get_waiting_for_locks() {
  local deadline=$((SECONDS + lock_wait_seconds)) told=false
  while true; do
    local left=$((deadline - SECONDS))
    if "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=$((left > 0 ? left : 0)) "$@" 2>"$errors"; then
      cat "$errors" >&2
      return 0
    fi
    if ! grep -Eq "$lock_failure" "$errors"; then
      cat "$errors" >&2
      return 1
    fi
    if ((SECONDS >= deadline)); then
      cat "$errors" >&2
      echo "Another package manager still holds apt's lock after ${lock_wait_seconds} s;" \
        "run this again when it has finished." >&2
      return 1
    fi
    $told || echo "Waiting for another package manager to finish (up to ${lock_wait_seconds} s)..."
    told=true
    sleep 5
  done
}

apt_get_waiting_for_locks update
apt_get_waiting_for_locks install -y --no-install-recommends "${missing[@]}"
