#!/usr/bin/env bash
# Runs one test program under Wine in a prefix of its own (made on first
# use, like the shared one), for tests that change what the whole prefix
# sees: class registrations in HKEY_LOCAL_MACHINE. Usage: PREFIX PROGRAM ARGS...
set -u
export WINEPREFIX=$1
shift
if [[ ! -f $WINEPREFIX/system.reg ]]; then
  WINEDLLOVERRIDES="mscoree,mshtml=" wineboot --init >/dev/null 2>&1 </dev/null
  wineserver -w
fi
bash "$(dirname "$0")/run-under-wine.sh" "$@"
