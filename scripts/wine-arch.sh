# Sourced by everything that runs Windows programs under Wine: which kind of
# Windows program this machine can run.
#
# The shipped programs are 32-bit. Some kernels run no 32-bit code at all
# (IA-32 emulation switched off): there Wine's 32-bit loader cannot start,
# and no 32-bit Windows program runs in any prefix. On such a machine the
# same sources are built a second time as 64-bit programs, and those run
# under 64-bit Wine in a 64-bit prefix.
#
# Running the 32-bit loader through user-mode emulation instead (qemu-user
# with a binfmt_misc entry for i386, which a private user namespace can
# register for one run) does not give a usable Wine: its 32-bit start-up
# maps memory in thousands of small steps that the emulator makes slow
# (about a minute of processor time per program), and preparing a 32-bit
# prefix ran 38 minutes and then failed (kernel32.dll could not be loaded,
# ld.so asserted, the emulated processes died of segmentation faults). So on
# such a machine the Windows tests run on the 64-bit build.
#
# Sets ondrel_wine_bits (32 or 64), WINEARCH, ondrel_win_build (the build
# folder whose programs run here; the 32-bit build/win is always the one
# that ships), ondrel_win_build_used (a line saying which programs the
# Windows tests run) and ondrel_win_toolchain; on a 64-bit-only machine, puts a
# "wine" first on PATH that starts the 64-bit loader (Debian's own "wine"
# picks the 32-bit one whenever it is installed).

ondrel_root=${ondrel_root:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}

if [ ! -x /usr/lib/wine/wine64 ] || /usr/lib/wine/wine --version >/dev/null 2>&1; then
  ondrel_wine_bits=32
  export WINEARCH=win32
  ondrel_win_build=$ondrel_root/build/win
  ondrel_win_toolchain=$ondrel_root/cmake/toolchain-mingw32.cmake
  ondrel_win_build_used="the 32-bit programs that ship (build/win), under 32-bit Wine"
else
  ondrel_wine_bits=64
  export WINEARCH=win64
  ondrel_win_build=$ondrel_root/build/win64
  ondrel_win_toolchain=$ondrel_root/cmake/toolchain-mingw64.cmake
  ondrel_win_build_used="the 64-bit build of the same sources (build/win64), under 64-bit Wine: this machine runs no 32-bit code; the 32-bit programs that ship (build/win) were built, not run"
  ondrel_wine_shim=$ondrel_root/build/wine64-bin
  if [ ! -x "$ondrel_wine_shim/wine-stable" ]; then
    mkdir -p "$ondrel_wine_shim"
    # wineboot, winepath and the other tools start "wine-stable" by name.
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$ondrel_wine_shim/wine-stable"
    chmod +x "$ondrel_wine_shim/wine-stable"
    ln -sf wine-stable "$ondrel_wine_shim/wine"
  fi
  case ":$PATH:" in
    *":$ondrel_wine_shim:"*) ;;
    *) export PATH="$ondrel_wine_shim:$PATH" ;;
  esac
fi
