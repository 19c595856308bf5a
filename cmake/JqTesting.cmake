# Test helpers. Every test is a Windows program; when cross-building, CTest runs it through the
# Wine wrapper named in the toolchain file.

if(JQ_BUILD_TESTS)
  enable_testing()
  if(NOT TARGET gtest)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    if(EXISTS /usr/src/googletest/CMakeLists.txt)
      add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    else()
      find_package(GTest REQUIRED)
    endif()
  endif()
endif()

# jq_add_test(NAME <name> COMMAND <target> [args...] [PREFIX <prefix>] [ARCH win32|win64]
#             [ENVIRONMENT k=v ...] [TIMEOUT s] [OWN_DISPLAY])
# Runs the command under Wine in the named prefix (default: "default", 64-bit). Tests that change
# a prefix's registry or processes should have a prefix of their own. A test that reads pixels
# from the screen or sends keys needs OWN_DISPLAY and a prefix of its own: tests run in parallel,
# and another test's window could cover its dialog or take the focus.
function(jq_add_test)
  cmake_parse_arguments(T "OWN_DISPLAY" "NAME;PREFIX;ARCH;TIMEOUT" "COMMAND;ENVIRONMENT" ${ARGN})
  if(T_OWN_DISPLAY)
    list(APPEND T_ENVIRONMENT JQ_OWN_DISPLAY=1)
  endif()
  if(NOT T_PREFIX)
    set(T_PREFIX default)
  endif()
  if(NOT T_ARCH)
    set(T_ARCH win64)
  endif()
  if(T_ARCH STREQUAL "win32")
    set(T_PREFIX "${T_PREFIX}-win32")
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_COMMAND})
  set_tests_properties(${T_NAME} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "WINEPREFIX=${CMAKE_BINARY_DIR}/wine/${T_PREFIX};WINEARCH=${T_ARCH};JQ_BIN_DIR=${CMAKE_BINARY_DIR}/bin;${T_ENVIRONMENT}")
endfunction()

