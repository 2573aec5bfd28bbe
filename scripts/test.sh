#!/usr/bin/env bash
# Builds everything and runs every test:
#   1. the portable code natively, with AddressSanitizer and UBSan;
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

echo "== Windows build (MinGW-w64)"
cmake -S . -B build/win -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$ondrel_root/cmake/toolchain-mingw32.cmake" \
  >"$logs/win-configure.log" 2>&1 || { cat "$logs/win-configure.log"; exit 1; }
cmake --build build/win -j "$jobs" >"$logs/win-build.log" 2>&1 ||
  { tail -n 60 "$logs/win-build.log"; exit 1; }

echo "== native tests"
(cd build/native && ctest -j "$jobs" --output-on-failure --timeout 600) | tee "$logs/native-ctest.log"
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1

echo "== Windows tests under Wine"
. "$ondrel_root/scripts/wine-env.sh"
ondrel_wine_start
# One process holds Wine's desktop for the whole run, so that no test's
# first window starts a desktop process holding that test's output pipe.
wine build/win/tests/support/wine_keepalive.exe </dev/null >/dev/null 2>&1 &
(cd build/win && ctest --output-on-failure --timeout 600) | tee "$logs/win-ctest.log"
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1
ondrel_wine_stop

# One closing count over both runs, from ctest's own summaries.
count() { sed -n 's/.*tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\).*/\1 \2/p' "$1" | tail -n 1; }
passed=0; failed=0
for log in "$logs/native-ctest.log" "$logs/win-ctest.log"; do
  read -r f t <<<"$(count "$log")"
  if [ -z "${t:-}" ]; then status=1; continue; fi
  failed=$((failed + f)); passed=$((passed + t - f))
done
echo
echo "$passed passed, $failed failed"
exit $status
