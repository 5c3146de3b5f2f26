#!/usr/bin/env bash
# Runs one test program under Wine in a prefix of its own (made on first
# use, like the shared one), for tests that change what the whole prefix
# sees: class registrations in HKEY_LOCAL_MACHINE. Usage: PREFIX PROGRAM ARGS...
set -u
prefix=$1
shift
mkdir -p "$prefix"
source "$(dirname "$0")/../scripts/wine-env.sh" "$(dirname "$prefix")"
export WINEPREFIX=$prefix
if [[ ! -f $WINEPREFIX/system.reg ]]; then
  WINEDLLOVERRIDES="mscoree,mshtml=" wineboot --init >/dev/null 2>&1 </dev/null
  wineserver -w
fi
vq_prefix_settings
bash "$(dirname "$0")/run-under-wine.sh" "$@"
