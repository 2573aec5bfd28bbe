#!/usr/bin/env bash
# Measures speed and memory (not part of the tests, which never assert on time):
#   1. the store, natively, each figure a ratio against a baseline of the same run;
#   2. peak memory of loading the 20,000-document database;
#   3. the real ondrel.exe under Wine: start until all notes are listed, one Save.
# Usage: scripts/benchmark.sh [SIZES [REVISION]]
#   SIZES     default 1000,20000,100000
#   REVISION  a commit, branch or tag: its organiser is built too (from
#             "git archive", in build/bench-against), and step 3 then times it
#             and the working tree's in turn, five rounds each, in the same run
set -euo pipefail
ondrel_root=$(cd "$(dirname "$0")/.." && pwd)
cd "$ondrel_root"
sizes=${1:-1000,20000,100000}
against=${2:-}
middle=$(echo "$sizes" | awk -F, '{print (NF > 1) ? $2 : $1}')

"$ondrel_root/scripts/install-deps.sh"

cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DONDREL_TESTS=OFF >/dev/null
cmake --build build/bench -j "$(nproc)" >/dev/null

echo "== store (native, Release)"
build/bench/bench/ondrel_store_benchmark --sizes="$sizes"

echo
echo "== memory of Load ($middle documents)"
# Whatever ends the run, the sample folder, the virtual display and the
# wineserver started below go with it.
scratch=$(mktemp -d)
. "$ondrel_root/scripts/wine-env.sh"
trap 'ondrel_wine_stop; rm -rf "$scratch"' EXIT
trap 'exit 130' INT TERM
build/bench/bench/ondrel_sample_database "$middle" "$scratch/ondrel.db"
build/bench/bench/ondrel_load_memory "$scratch/ondrel.db"

echo
echo "== the organiser under Wine ($middle documents)"
cmake -S . -B "$ondrel_win_build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$ondrel_win_toolchain" >/dev/null
cmake --build "$ondrel_win_build" -j "$(nproc)" --target ondrel ondrel_organiser_timing >/dev/null
timing() { # timing DIST_FOLDER
  wine "$ondrel_win_build/bench/ondrel_organiser_timing.exe" "$(winepath -w "$1")" "$middle" 3 </dev/null
}
if [ -z "$against" ]; then
  ondrel_wine_start
  timing "$ondrel_win_build/dist"
  exit 0
fi

# The organiser of REVISION, built as the working tree's is.
against_source="$ondrel_root/build/bench-against-source"
rm -rf "$against_source"
mkdir -p "$against_source"
git -C "$ondrel_root" archive "$against" | tar -x -C "$against_source"
against_toolchain="$against_source/cmake/$(basename "$ondrel_win_toolchain")"
cmake -S "$against_source" -B build/bench-against -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$against_toolchain" -DONDREL_TESTS=OFF -DONDREL_BENCH=OFF >/dev/null
cmake --build build/bench-against -j "$(nproc)" --target ondrel >/dev/null
ondrel_wine_start
# In turn, so that whatever else the machine does weighs on both alike.
for round in 1 2 3 4 5; do
  echo "-- round $round: $against"
  timing build/bench-against/dist
  echo "-- round $round: working tree"
  timing "$ondrel_win_build/dist"
done
