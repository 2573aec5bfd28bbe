# Warnings and sanitizers shared by every target of the project.

option(ONDREL_SANITIZE "Build the native tests with AddressSanitizer and UBSan" OFF)

function(ondrel_target_options target)
  target_compile_features(${target} PUBLIC cxx_std_17)
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
      -Wno-missing-field-initializers)
  endif()
endfunction()

if(ONDREL_SANITIZE AND NOT WIN32)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
    -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(WIN32)
  # Unicode Win32 API in the organiser; the installer and uninstaller call the
  # ANSI (...A) functions by name, so the macros do not matter to them.
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
endif()
