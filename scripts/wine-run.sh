#!/usr/bin/env bash
# Runs a Windows program under Wine for CTest. Wine's own services, started by whichever program
# comes first, keep the output they inherit open after it ends, and CTest would wait for them:
# the output goes through a file instead, shown once the program is done.
out=$(mktemp)
wine "$@" >"$out" 2>&1
status=$?
cat "$out"
rm -f "$out"
exit $status
