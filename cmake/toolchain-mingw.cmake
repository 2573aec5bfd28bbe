# Shared body of the MinGW-w64 toolchain files: a static cross build with
# posix threads (so std::thread and GoogleTest work), run under Wine for the
# tests. The including file sets ONDREL_MINGW_PROCESSOR (i686 or x86_64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ONDREL_MINGW_PROCESSOR})

set(triplet ${ONDREL_MINGW_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER ${triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${triplet}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Static runtime: the shipped .exe files need no DLL beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under Wine through a launcher that starts a program
# again when Wine failed to start it (see the script).
get_filename_component(ONDREL_WINE_LAUNCHER ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-launch.sh ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${ONDREL_WINE_LAUNCHER})
