# The 32-bit Windows programs: what ships.
set(ONDREL_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
