#!/usr/bin/env bash
# Runs the seeded random user against the built organiser for as many seeds
# and actions as asked (the test command runs a few hundred): real clicks
# and keys under Wine in a virtual display, every action checked against a
# model of the file, the lists and the forms. A failing seed is printed
# with the shortest action list found that still fails.
#
#   scripts/random-user.sh [SEEDS] [ACTIONS_PER_SEED] [FIRST_SEED]
#
# Defaults: 20 seeds of 1000 actions from seed 1. Build the Windows targets
# first (scripts/test.sh does).
set -uo pipefail
ondrel_root=$(cd "$(dirname "$0")/.." && pwd)
seeds=${1:-20}
actions=${2:-1000}
first=${3:-1}

# shellcheck source=scripts/wine-env.sh
. "$ondrel_root/scripts/wine-env.sh"
exe="$ondrel_win_build/tests/user/random_user_test.exe"
[ -f "$exe" ] || { echo "missing $exe (build the Windows targets first)" >&2; exit 1; }

ondrel_wine_start
trap ondrel_wine_stop EXIT
wine "$ondrel_win_build/tests/support/wine_keepalive.exe" </dev/null >/dev/null 2>&1 &
# The output goes to a file, shown as it grows, not to a pipe: the
# wineserver can keep a program's output pipe open after the program ended,
# and a reader of that pipe would then wait for ever.
output=$(mktemp)
trap 'rm -f "$output"; ondrel_wine_stop' EXIT
ONDREL_RANDOM_SEEDS="$first $seeds" ONDREL_RANDOM_ACTIONS="$actions" \
  wine "$exe" </dev/null >"$output" 2>&1 &
user=$!
tail -f --pid="$user" "$output" | tr -d '\r'
wait "$user"
