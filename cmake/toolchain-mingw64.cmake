# The same sources as 64-bit programs, for running the tests on machines
# whose kernel runs no 32-bit code (see scripts/wine-arch.sh).
set(ONDREL_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
