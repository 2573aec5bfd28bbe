# GoogleTest: the installed package natively, Debian's sources for the cross build.
# Included from more than one CMakeLists.txt: set up once.
include_guard(GLOBAL)
include(GoogleTest)
if(WIN32)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(ONDREL_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH
    "GoogleTest sources built for the Windows tests (Debian's googletest package by default)")
  add_subdirectory(${ONDREL_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # Debian's GoogleTest sources define these aliases themselves.
  if(NOT TARGET GTest::gtest)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
else()
  find_package(GTest REQUIRED)
endif()

# Adds a GoogleTest executable and registers each of its tests with ctest.
# Under the cross build the tests are listed and run through Wine. A native
# test gets 20 s, so that a hang fails fast; under Wine, where starting a
# program alone takes a while, 120 s. TIMEOUT gives a test more.
function(ondrel_add_gtest name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    if(WIN32)
      set(ARG_TIMEOUT 120)
    else()
      set(ARG_TIMEOUT 20)
    endif()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  ondrel_target_options(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
  # PROPERTIES is a flat list of names and values: the separators of a list
  # of labels must stay escaped, or its second label is read as the name of
  # a property and the time limit after it is lost. CMake 3.25's discovery
  # expands the list four times before set_tests_properties sees it, hence
  # the depth of the escape (the generated *_tests.cmake shows
  # "LABELS [==[pages;gui]==] TIMEOUT 120").
  string(REPLACE ";" "\\\\\\\\\\\\\\;" labels "${ARG_LABELS}")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${labels}" TIMEOUT ${ARG_TIMEOUT})
endfunction()
