#!/usr/bin/env bash
# Runs a Windows program under wine, in a wine prefix of the build's own: the
# Windows build's test runner (its CMAKE_CROSSCOMPILING_EMULATOR) and the
# Linux build's windows tests (windows_test.py) both go through here.
#
#   tests/windows/run_under_wine.sh PREFIX PROGRAM.exe [ARGS...]
#
# The prefix is made on first use (some seconds). A wine server that stays
# 60 s after the last program makes each later run start in a fraction of a
# second. The program's exit status is passed through.
#
# Anything that is not a Windows program is refused with status 125: wine
# gives status 0 for a Linux program without running it, so a host tool that
# slipped through here would let its test pass unrun.
set -euo pipefail

if [[ $# -lt 2 ]]; then
  echo "usage: run_under_wine.sh PREFIX PROGRAM.exe [ARGS...]" >&2
  exit 2
fi
prefix=$(realpath -m -- "$1")  # wine takes only an absolute one
program=$2
shift 2
if [[ "$(head -c 2 -- "$program" 2>/dev/null)" != MZ ]]; then
  echo "run_under_wine.sh: $program is not a Windows program; a host program must run" \
    "on the host, not through wine" >&2
  exit 125
fi

wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
if [[ ! -x "$wine" || ! -x "$wineserver" ]]; then
  echo "run_under_wine.sh: wine64 is missing (scripts/install-deps.sh windows)" >&2
  exit 1
fi

export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all
# No offer to install .NET or a browser engine, no menu entries.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# wine's helper processes inherit open files, and the first program a new
# wine server runs starts wine's services: so the services start here, from
# wineboot, with none of our files (not even the lock), or whoever reads the
# program's output through a pipe, or waits for the lock, would wait for them
# to go. The server stays 60 s after the last program ("-p60": with a blank,
# "-p 60" would mean for ever); a second one for the prefix is refused with
# status 2. One test at a time makes the prefix.
mkdir -p "$(dirname "$prefix")"
(
  flock 9
  if "$wineserver" -p60 </dev/null >/dev/null 2>&1 9>&- || [[ ! -f "$prefix/system.reg" ]]; then
    "$wine" wineboot </dev/null >/dev/null 2>&1 9>&- ||
      { echo "run_under_wine.sh: cannot start wine in $prefix" >&2; exit 1; }
  fi
) 9>"$prefix.lock"
exec "$wine" "$program" "$@"
