#!/usr/bin/env bash
# Builds the Windows programs and starts the organiser under Wine.
#   With a display: runs ondrel.exe until the user closes it.
#   Without one: runs it in a virtual display (Xvfb), waits for its window,
#   saves a screenshot, prints the screenshot's path and closes the program.
set -euo pipefail
ondrel_root=$(cd "$(dirname "$0")/.." && pwd)
cd "$ondrel_root"

"$ondrel_root/scripts/install-deps.sh"

had_display=${DISPLAY:-}
. "$ondrel_root/scripts/wine-env.sh"
# The 32-bit build, or a 64-bit one where this machine runs no 32-bit code.
cmake -S . -B "$ondrel_win_build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$ondrel_win_toolchain" >/dev/null
cmake --build "$ondrel_win_build" -j "$(nproc)" --target ondrel ondrel_language_file >/dev/null

exe="$ondrel_win_build/dist/ondrel.exe"
ondrel_wine_start
trap ondrel_wine_stop EXIT

if [ -n "$had_display" ]; then
  wine "$exe" </dev/null
  exit $?
fi

wine "$exe" </dev/null >/dev/null 2>&1 &
program=$!
window=
for _ in $(seq 1 300); do
  window=$(xdotool search --name '^Ondrel' 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  if ! kill -0 "$program" 2>/dev/null; then
    echo "run: ondrel.exe ended before showing its window" >&2
    exit 1
  fi
  sleep 0.1
done
if [ -z "$window" ]; then
  echo "run: no organiser window appeared" >&2
  kill "$program" 2>/dev/null || true
  exit 1
fi
sleep 1  # let the controls finish painting

shots="$ondrel_root/build/screenshots"
mkdir -p "$shots"
shot="$shots/ondrel-$(date +%Y%m%d-%H%M%S).png"
import -window root "$shot"
echo "$shot"

# Close the program as the window's close box does: Wine's taskkill without
# /f posts WM_CLOSE to the program's windows (in this prefix only).
wine taskkill /im ondrel.exe </dev/null >/dev/null 2>&1 || true
status=0
wait "$program" || status=$?
echo "run: ondrel.exe ended with exit code $status"
