#!/usr/bin/env bash
# Runs a Windows test program at a display scale of its own. Wine gives every
# program the DPI its prefix is set to ("LogPixels" in two registry keys, read
# when the prefix's server starts), so each scale has a prefix: one is booted
# per test run and copied for the others.
#
#   run_at_dpi.sh prepare WORK               boots WORK/template, copies it to
#                                            WORK/96, WORK/120, WORK/144, WORK/192
#   run_at_dpi.sh run WORK DPI PROGRAM [ARGUMENT...]
#                                            runs PROGRAM in WORK/DPI, on a
#                                            virtual display of its own
#   run_at_dpi.sh remove WORK
#
# The program learns the scale it must find in ONDREL_EXPECTED_DPI: a prefix
# whose setting did not take fails, rather than running every scale at 96.
set -uo pipefail

command=${1:?usage: run_at_dpi.sh prepare|run|remove WORK ...}
work=${2:?work folder}
ondrel_root=$(cd "$(dirname "$0")/../.." && pwd)
# A 32-bit prefix, or a 64-bit one where this machine runs no 32-bit code.
# shellcheck source=scripts/wine-arch.sh
. "$ondrel_root/scripts/wine-arch.sh"
# shellcheck source=scripts/wine-display.sh
. "$ondrel_root/scripts/wine-display.sh"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
scales="96 120 144 192"

xvfb_pid=
stop() {
  [ -n "${WINEPREFIX:-}" ] && stop_server
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; fi
}
trap stop EXIT
# A run stopped at ctest's time limit takes its server and display with it.
trap 'exit 143' TERM INT

# Ends the server of WINEPREFIX and waits until it has gone: a server still
# ending when the next run of the prefix starts one holds that run up.
stop_server() {
  wineserver -k </dev/null >/dev/null 2>&1
  timeout 30 wineserver -w </dev/null >/dev/null 2>&1
  return 0
}

# Ends the servers of the prefixes under WORK, left by a run that was killed.
stop_servers() {
  local prefix
  for prefix in "$work"/*/; do
    [ -f "$prefix/system.reg" ] && WINEPREFIX=${prefix%/} stop_server
  done
  return 0
}

# A display of its own, large enough for the first window at 200 % (a 100 %
# display of 1280 x 960 at that scale).
own_display() {
  ondrel_start_display 191 240 2560x1920
  xvfb_pid=$ondrel_xvfb_pid
}

# Now and then Wine gives up before reg runs: try again.
reg_add() {
  local attempt
  for attempt in 1 2 3; do
    wine reg add "$@" /f </dev/null >/dev/null 2>&1 && return 0
  done
  echo "wine reg add $* failed" >&2
  return 1
}

prepare() {
  stop_servers
  rm -rf "$work"
  mkdir -p "$work"
  export WINEPREFIX=$work/template
  own_display
  wineboot -i </dev/null >/dev/null 2>&1
  wineserver -w </dev/null >/dev/null 2>&1
  [ -f "$WINEPREFIX/system.reg" ] || { echo "could not boot a prefix in $WINEPREFIX" >&2; return 1; }
  ondrel_start_wineserver
  local value
  # No window manager runs on the display: Wine draws the frames itself.
  for value in Managed Decorated; do
    reg_add 'HKCU\Software\Wine\X11 Driver' /v "$value" /t REG_SZ /d N || return 1
  done
  stop_server
  local dpi
  for dpi in $scales; do
    cp -a "$work/template" "$work/$dpi"
    export WINEPREFIX=$work/$dpi
    ondrel_start_wineserver
    reg_add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" || return 1
    reg_add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
      /v LogPixels /t REG_DWORD /d "$dpi" || return 1
    # The setting is read when the server starts next.
    stop_server
    echo "prefix at $dpi DPI: $WINEPREFIX"
  done
  rm -rf "$work/template"
}

run() {
  local dpi=${1:?dpi}
  shift
  export WINEPREFIX=$work/$dpi
  [ -f "$WINEPREFIX/system.reg" ] || { echo "no prefix at $dpi DPI in $work (prepare first)" >&2; return 1; }
  export ONDREL_EXPECTED_DPI=$dpi
  own_display
  stop_server  # one left by a run that was killed
  ondrel_start_wineserver
  # One process holds Wine's desktop, as in the test command, and it must
  # stand before the program starts: the program's first window would
  # otherwise start the desktop process, which would hold the program's
  # output pipe open after it ended and keep this run waiting.
  local keepalive
  keepalive=$(dirname "$1")/../support/wine_keepalive.exe
  wine "$keepalive" </dev/null >/dev/null 2>&1 &
  for _ in $(seq 1 200); do
    desktop_runs && break
    sleep 0.1
  done
  desktop_runs || { echo "Wine's desktop did not start in $WINEPREFIX" >&2; return 1; }
  bash "$ondrel_root/scripts/wine-launch.sh" "$@"
}

# Whether the desktop process of this prefix runs.
desktop_runs() {
  local pid
  for pid in $(pgrep -f 'explorer.exe /desktop'); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && return 0
  done
  return 1
}

case $command in
  prepare) prepare ;;
  run) shift 2; run "$@" ;;
  remove) stop_servers; rm -rf "$work" ;;
  *) echo "unknown command $command" >&2; exit 2 ;;
esac
