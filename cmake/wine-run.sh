#!/bin/sh
# Runs a Windows program under Wine for ctest (the MinGW build's emulator).
# The output goes through a file: Wine's background processes (the desktop
# that the first window starts, for one) inherit the program's output and
# would hold ctest's pipe open until they end, seconds later.
log=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX") || exit 1
wine "$@" </dev/null >"$log" 2>&1
status=$?
cat "$log"
rm -f "$log"
exit $status
