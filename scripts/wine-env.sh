# Sourced by the scripts that run Windows programs: a private 32-bit Wine
# prefix, a virtual display when there is none, and a wineserver started
# with its output going nowhere (a server that inherits a harness's pipe
# makes every test wait for it).
#
# The virtual display is 1024 x 768, or ONDREL_SCREEN ("WIDTHxHEIGHT").
#
# Sets WINEPREFIX, WINEARCH, WINEDEBUG, WINEDLLOVERRIDES and DISPLAY, and
# ondrel_win_build / ondrel_win_toolchain: the Windows build whose programs
# run on this machine (see wine-arch.sh).
# Call ondrel_wine_start first and ondrel_wine_stop when done.

ondrel_root=${ondrel_root:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
# shellcheck source=scripts/wine-arch.sh
. "$ondrel_root/scripts/wine-arch.sh"
# shellcheck source=scripts/wine-display.sh
. "$ondrel_root/scripts/wine-display.sh"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
if [ "$ondrel_wine_bits" = 32 ]; then
  export WINEPREFIX=${WINEPREFIX:-$ondrel_root/build/wineprefix}
else
  export WINEPREFIX=${WINEPREFIX:-$ondrel_root/build/wineprefix64}
fi
ondrel_xvfb_pid=

ondrel_wine_start() {
  [ -n "${DISPLAY:-}" ] || ondrel_start_display 91 140 "${ONDREL_SCREEN:-1024x768}"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i </dev/null >/dev/null 2>&1 || true
  fi
  # Title-bar buttons are drawn with Marlett glyphs. The 64-bit loader does
  # not find the fonts Debian's fonts-wine installs, and draws the letters
  # "0", "1" and "r" instead; a copy inside the prefix is always found.
  local fonts=$WINEPREFIX/drive_c/windows/Fonts
  if [ -f /usr/share/wine/fonts/marlett.ttf ] && [ ! -f "$fonts/marlett.ttf" ]; then
    mkdir -p "$fonts" && cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
  fi
  # A server already running in this prefix is fine.
  ondrel_start_wineserver || true
  # With no window manager on the virtual display, Wine waits about 2 s for
  # one whenever a window is hidden or destroyed, unless it manages and
  # decorates the windows itself.
  local value
  for value in Managed Decorated; do
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v "$value" /t REG_SZ /d N /f \
      </dev/null >/dev/null 2>&1 || true
  done
}

ondrel_wine_stop() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
  if [ -n "$ondrel_xvfb_pid" ]; then
    kill "$ondrel_xvfb_pid" 2>/dev/null || true
    wait "$ondrel_xvfb_pid" 2>/dev/null || true
    ondrel_xvfb_pid=
  fi
}
