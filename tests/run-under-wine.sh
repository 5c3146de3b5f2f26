#!/usr/bin/env bash
# Runs one test program under Wine for ctest. The output goes through a
# file: processes that Wine or a test starts (explorer.exe's desktop, Unix
# servers) inherit the program's standard handles and may outlive it, and
# ctest would wait on a pipe they keep open.
set -u
log=$(mktemp "${TMPDIR:-/tmp}/vq-test-XXXXXX.log")
wine "$@" >"$log" 2>&1 </dev/null
rc=$?
cat "$log"
rm -f "$log"
exit $rc
