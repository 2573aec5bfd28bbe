#!/usr/bin/env bash
# Runs one Windows test program under Wine: ctest's launcher for the cross
# build, for listing a program's tests and for running each of them.
#
# Now and then Wine gives up before the program runs at all: it exits
# non-zero within milliseconds and prints nothing. A test program always
# prints its first lines on standard output before any test runs, so a run
# that failed with nothing on standard output never ran a test: it is a
# failed start, and the program is started again (three starts at most).
# A run that printed anything, passed or failed, is final.
#
# Each failed start is written down, with Wine's exit code and its error
# output, in the file named by ONDREL_WINE_RESTART_LOG (when set), so that
# the test command can show how often it happened.
set -u

work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT

for start in 1 2 3; do
  # Both streams pass through as they come (a test that hangs still shows
  # what it printed) and are kept to tell a failed start from a failed test.
  began=$(date +%s%N)
  { { wine "$@" 2>&1 1>&3 3>&-; echo $? >"$work/status"; } | tee "$work/errors" >&2; } 3>&1 |
    tee "$work/output"
  result=$(cat "$work/status")
  took=$((($(date +%s%N) - began) / 1000000))
  if [ "$result" -eq 0 ] || [ -s "$work/output" ] || [ "$start" -eq 3 ]; then
    exit "$result"
  fi
  if [ -n "${ONDREL_WINE_RESTART_LOG:-}" ]; then
    {
      printf '%s: start %d of %s exited with %d after %d ms, printing nothing' \
        "$(date -u +%H:%M:%S)" "$start" "$*" "$result" "$took"
      if [ -s "$work/errors" ]; then printf '; its errors:\n'; sed 's/^/  /' "$work/errors"; else echo; fi
    } >>"$ONDREL_WINE_RESTART_LOG"
  fi
done
