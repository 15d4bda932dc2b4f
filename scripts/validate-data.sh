#!/usr/bin/env bash
# Checks what the package tells the desktop about the game: the AppStream
# metainfo (appstreamcli validate --no-net), the desktop entry
# (desktop-file-validate), the manual page (man -l with warnings, lexgrog),
# and the program's --help and --version in the usual form, naming its licence.
#
#   scripts/validate-data.sh BUILT-AVELUNE
#
# Exits 77 (skipped) where a validator is missing; scripts/test.sh installs
# them all from scripts/packages.txt.
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
program="${1:?usage: validate-data.sh BUILT-AVELUNE}"
for tool in appstreamcli desktop-file-validate man lexgrog; do
  command -v "$tool" >/dev/null 2>&1 || { echo "validate-data: $tool is missing; skipped"; exit 77; }
done

failed=0
fail() { echo "validate-data: FAILED: $*" >&2; failed=1; }

appstreamcli validate --no-net "$root/data/io.github.avelune.Avelune.metainfo.xml" \
  || fail "appstreamcli finds fault with data/io.github.avelune.Avelune.metainfo.xml"
out="$(desktop-file-validate "$root/data/avelune.desktop" 2>&1)"
[[ -z "$out" ]] || fail "desktop-file-validate on data/avelune.desktop: $out"

# man names every formatting problem on standard error.
warnings="$(MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -l "$root/data/avelune.6" 2>&1 >/dev/null)"
[[ -z "$warnings" ]] || fail "man -l data/avelune.6 warns: $warnings"
page="$(MANWIDTH=80 LC_ALL=C.UTF-8 man -l "$root/data/avelune.6" 2>/dev/null)"
[[ "$page" == *NAME*SYNOPSIS*DESCRIPTION*OPTIONS* ]] || fail "data/avelune.6 lacks its NAME, SYNOPSIS, DESCRIPTION or OPTIONS"
whatis="$(lexgrog "$root/data/avelune.6" 2>&1)"
[[ "$whatis" == *'"avelune - '* ]] || fail "lexgrog finds no whatis line in data/avelune.6: $whatis"

# --version: the program and its version on the first line; --help: a usage line.
version="$("$program" --version)" || fail "--version exited non-zero"
[[ "$(head -n 1 <<<"$version")" =~ ^avelune\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "--version starts '$(head -n 1 <<<"$version")'"
grep -qx "License: MIT" <<<"$version" || fail "--version does not name the licence (License: MIT)"
grep -q "<project_license>MIT</project_license>" "$root/data/io.github.avelune.Avelune.metainfo.xml" \
  || fail "the metainfo does not name the licence (MIT)"
help="$("$program" --help)" || fail "--help exited non-zero"
[[ "$help" == "Usage: "*--scale*--help*--version* ]] || fail "--help does not start with its usage line"
grep -q '^\.B.*\\-\\-scale' "$root/data/avelune.6" || fail "the manual page does not describe --scale"

[[ $failed -eq 0 ]] && echo "validate-data: metainfo, desktop entry, manual page, --help and --version are good"
exit "$failed"
