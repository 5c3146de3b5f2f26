#!/usr/bin/env bash
# Runs a program and writes "EXIT_CODE NANOSECONDS" to RESULT (through a
# temporary file renamed into place), so that a Windows benchmark under Wine
# gets the reference program's own wall time.
#
#   run_timed.sh RESULT PROGRAM [ARGS...]
result=${1:?usage: run_timed.sh RESULT PROGRAM [ARGS...]}
shift
start=$(date +%s%N)
"$@"
rc=$?
end=$(date +%s%N)
printf '%d %d\n' "$rc" "$((end - start))" > "$result.tmp"
mv "$result.tmp" "$result"
