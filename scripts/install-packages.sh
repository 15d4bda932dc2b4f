#!/usr/bin/env bash
# Installs whatever of scripts/packages.txt is missing, with apt-get: directly
# when run as root, through sudo when it is available, otherwise it names the
# missing packages and fails.
#
# A line names one Debian package; `#` starts a comment. A package may also be
# satisfied by a command: `npm:cmd=npm` installs the package npm only when no
# `npm` command is on PATH (a machine with another Node.js, which bundles its
# own npm and conflicts with Debian's, keeps what it has).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
mapfile -t wanted < <(sed -e 's/#.*//' -e 's/[[:space:]]//g' "$here/packages.txt" | grep -v '^$')

missing=()
for entry in "${wanted[@]}"; do
  pkg="${entry%%:*}"
  if [[ "$entry" == *:* ]]; then
    rule="${entry#*:}"
    if [[ "$rule" != cmd=?* || "$pkg" == "" ]]; then
      echo "error: $here/packages.txt: '$entry' is neither a package nor PACKAGE:cmd=COMMAND" >&2
      exit 1
    fi
    command -v "${rule#cmd=}" >/dev/null 2>&1 && continue
  fi
  status="$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)"
  [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing missing packages: ${missing[*]}"
if [[ "$(id -u)" -eq 0 ]]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "error: these packages are missing and neither root nor sudo is available to install them:" >&2
  echo "  ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update
"${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
