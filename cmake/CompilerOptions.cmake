# Warnings, sanitizers and Windows definitions shared by every target of the
# project. They live on one INTERFACE target that ondrel_target_options links,
# so that they reach our targets and nothing else (GoogleTest, benchmark).

option(ONDREL_SANITIZE "Build the native tests with AddressSanitizer and UBSan" OFF)

add_library(ondrel_build_flags INTERFACE)
target_compile_features(ondrel_build_flags INTERFACE cxx_std_17)
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  target_compile_options(ondrel_build_flags INTERFACE -Wall -Wextra -Wpedantic -Wshadow
    -Wno-missing-field-initializers)
endif()
if(ONDREL_SANITIZE AND NOT WIN32)
  target_compile_options(ondrel_build_flags INTERFACE -fsanitize=address,undefined
    -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(ondrel_build_flags INTERFACE -fsanitize=address,undefined)
endif()
# The shipped 32-bit program is built for processors without SSE2, so its
# text scanner takes the path without SSE2; this builds that path natively,
# so that the native tests run it too.
option(ONDREL_SCAN_WITHOUT_SSE2 "Build the scanner's path for processors without SSE2" OFF)
if(ONDREL_SCAN_WITHOUT_SSE2)
  target_compile_options(ondrel_build_flags INTERFACE -U__SSE2__)
endif()
if(WIN32)
  # Unicode Win32 API in the organiser; the installer and uninstaller call the
  # wide (...W) functions by name, so the macros do not matter to them.
  target_compile_definitions(ondrel_build_flags INTERFACE
    WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
endif()

function(ondrel_target_options target)
  target_compile_features(${target} PUBLIC cxx_std_17)
  target_link_libraries(${target} PRIVATE ondrel_build_flags)
endfunction()
