#!/usr/bin/env bash
# Runs each libFuzzer target for a given number of seconds (default 60):
#   scripts/fuzz.sh [seconds]
# Builds with clang (-fsanitize=fuzzer,address,undefined) in build/fuzz and
# fuzzes from a copy of the seed corpus in build/fuzz/corpus/<target>; new
# crashes land in build/fuzz/crashes/<target>. Ends with one line per target
# giving its executions and crashes.
set -uo pipefail
ondrel_root=$(cd "$(dirname "$0")/.." && pwd)
cd "$ondrel_root"
seconds=${1:-60}
build=build/fuzz

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DONDREL_FUZZ=ON -DONDREL_SANITIZE=OFF \
  -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >"$build.configure.log" 2>&1 ||
  { cat "$build.configure.log"; exit 1; }

targets=(database)
if grep -q "ondrel_language_fuzzer" "$build/build.ninja" 2>/dev/null; then
  targets+=(language)
else
  echo "fuzz: no language fuzz target; only the database loader is fuzzed"
fi

status=0
summary=()
for target in "${targets[@]}"; do
  cmake --build "$build" --target "ondrel_${target}_fuzzer" -j 2 >"$build.$target.build.log" 2>&1 ||
    { tail -n 40 "$build.$target.build.log"; exit 1; }
  corpus="$build/corpus/$target"
  crashes="$build/crashes/$target"
  mkdir -p "$corpus" "$crashes"
  cp -n tests/fuzz/corpus/"$target"/* "$corpus"/ 2>/dev/null || true
  log="$build/$target.log"
  echo "fuzz: $target for ${seconds}s (log: $log)"
  "$build/tests/fuzz/ondrel_${target}_fuzzer" "$corpus" -max_total_time="$seconds" \
    -max_len=65536 -timeout=20 -rss_limit_mb=4096 -artifact_prefix="$crashes/" \
    -print_final_stats=1 >"$log" 2>&1
  rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  found=$(find "$crashes" -type f | wc -l)
  [ "$rc" -eq 0 ] || status=1
  summary+=("$target: ${runs:-?} executions, $found crash files, exit $rc")
done
for line in "${summary[@]}"; do echo "fuzz: $line"; done
exit $status
