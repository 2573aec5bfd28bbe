#!/usr/bin/env bash
# Builds everything and runs every test:
#   1. the portable code natively, with AddressSanitizer and UBSan; the
#      store and text tests also in a build whose text scanner takes the
#      path without SSE2, as the shipped 32-bit program's does;
#   2. the Windows programs with MinGW-w64, their tests under Wine in a
#      virtual display (unit tests, GUI tests, installer end-to-end tests).
# Installs what is missing first. Ends with a line "N passed, N failed".
set -uo pipefail
ondrel_root=$(cd "$(dirname "$0")/.." && pwd)
cd "$ondrel_root"

"$ondrel_root/scripts/install-deps.sh" || exit 1

jobs=$(nproc)
logs="$ondrel_root/build/test-logs"
mkdir -p "$logs"
status=0

echo "== native build (ASan + UBSan)"
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug -DONDREL_SANITIZE=ON \
  >"$logs/native-configure.log" 2>&1 || { cat "$logs/native-configure.log"; exit 1; }
cmake --build build/native -j "$jobs" >"$logs/native-build.log" 2>&1 ||
  { tail -n 60 "$logs/native-build.log"; exit 1; }
echo "== native build without SSE2 (the scanner path of the shipped 32-bit program)"
cmake -S . -B build/native-nosse2 -G Ninja -DCMAKE_BUILD_TYPE=Debug -DONDREL_SANITIZE=ON \
  -DONDREL_SCAN_WITHOUT_SSE2=ON -DONDREL_BENCH=OFF \
  >"$logs/native-nosse2-configure.log" 2>&1 || { cat "$logs/native-nosse2-configure.log"; exit 1; }
cmake --build build/native-nosse2 -j "$jobs" >"$logs/native-nosse2-build.log" 2>&1 ||
  { tail -n 60 "$logs/native-nosse2-build.log"; exit 1; }

# shellcheck source=scripts/wine-env.sh
. "$ondrel_root/scripts/wine-env.sh"
echo "== Windows build (MinGW-w64, 32-bit: what ships)"
# On a machine that runs no 32-bit code, the tests run in a 64-bit build of
# the same sources (wine-arch.sh); the 32-bit build then only has to compile.
win32_tests=ON
[ "$ondrel_wine_bits" = 32 ] || win32_tests=OFF
cmake -S . -B build/win -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$ondrel_root/cmake/toolchain-mingw32.cmake" \
  -DONDREL_TESTS=$win32_tests -DONDREL_BENCH=$win32_tests \
  >"$logs/win-configure.log" 2>&1 || { cat "$logs/win-configure.log"; exit 1; }
cmake --build build/win -j "$jobs" >"$logs/win-build.log" 2>&1 ||
  { tail -n 60 "$logs/win-build.log"; exit 1; }
if [ "$ondrel_wine_bits" = 64 ]; then
  echo "== Windows build (MinGW-w64, 64-bit: this machine runs no 32-bit code)"
  cmake -S . -B "$ondrel_win_build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$ondrel_win_toolchain" \
    -DONDREL_SHIPPED_DIST_DIR="$ondrel_root/build/win/dist" \
    >"$logs/win64-configure.log" 2>&1 || { cat "$logs/win64-configure.log"; exit 1; }
  cmake --build "$ondrel_win_build" -j "$jobs" >"$logs/win64-build.log" 2>&1 ||
    { tail -n 60 "$logs/win64-build.log"; exit 1; }
fi

# Whatever ends the run (a failure, Ctrl+C, a kill), the running ctest, the
# virtual display and the wineserver started below go with it.
ctest_pid=
stop_everything() {
  [ -n "$ctest_pid" ] && kill "$ctest_pid" 2>/dev/null
  ondrel_wine_stop
}
trap stop_everything EXIT
trap 'echo "test run interrupted" >&2; exit 130' INT TERM

# Runs ctest in folder $1 with the further options given, its output shown
# and kept in file $2. It runs in the background and is waited for, so that
# an interrupt is acted on at once rather than after the last test.
run_ctest() {
  local folder=$1 log=$2
  shift 2
  (cd "$folder" && exec ctest --output-on-failure --timeout 600 "$@") > >(tee "$log") 2>&1 &
  ctest_pid=$!
  wait "$ctest_pid"
  local result=$?
  ctest_pid=
  return $result
}

echo "== native tests"
run_ctest build/native "$logs/native-ctest.log" -j "$jobs" || status=1
echo "== native store and text tests without SSE2"
run_ctest build/native-nosse2 "$logs/native-nosse2-ctest.log" -j "$jobs" -L 'store|text' || status=1

echo "== Windows tests under Wine ($ondrel_wine_bits-bit)"
# The launcher of the Windows tests notes here each time Wine failed to
# start a test program and the program was started again.
export ONDREL_WINE_RESTART_LOG="$logs/wine-restarts.log"
rm -f "$ONDREL_WINE_RESTART_LOG"
ondrel_wine_start
# One process holds Wine's desktop for the whole run, so that no test's
# first window starts a desktop process holding that test's output pipe.
wine "$ondrel_win_build/tests/support/wine_keepalive.exe" </dev/null >/dev/null 2>&1 &
run_ctest "$ondrel_win_build" "$logs/win-ctest.log" || status=1
ondrel_wine_stop

# One closing count over every run, from ctest's own summaries.
count() { sed -n 's/.*tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\).*/\1 \2/p' "$1" | tail -n 1; }
passed=0; failed=0
for log in "$logs/native-ctest.log" "$logs/native-nosse2-ctest.log" "$logs/win-ctest.log"; do
  read -r f t <<<"$(count "$log")"
  # A run that ended without its summary counts as one failure.
  if [ -z "${t:-}" ]; then echo "no test summary in $log" >&2; status=1; failed=$((failed + 1)); continue; fi
  failed=$((failed + f)); passed=$((passed + t - f))
done
if [ -s "$ONDREL_WINE_RESTART_LOG" ]; then
  echo
  echo "Wine failed to start a test program $(grep -c '^[0-9]' "$ONDREL_WINE_RESTART_LOG") time(s); each was started again:"
  cat "$ONDREL_WINE_RESTART_LOG"
fi
echo
echo "Windows tests ran on $ondrel_win_build_used."
echo "$passed passed, $failed failed"
exit $status
