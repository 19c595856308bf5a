# Checks of a built program's file, run on the build host by CTest:
#   jq_check_binary(<target> [NO_MANIFEST] [NO_RESOURCES])
# registers the test <target>_binary, which fails when the program
#   - imports a DLL outside those every Windows has (the list below, compared without case),
#   - is not a program of the Windows GUI subsystem,
#   - with NO_MANIFEST: embeds an application manifest (a resource of type RT_MANIFEST, 24),
#   - with NO_RESOURCES: carries any resource at all.
# The same file is the test's script when run with cmake -P.

set(JQ_SYSTEM_DLLS
  KERNEL32 USER32 GDI32 ADVAPI32 SHELL32 OLE32 OLEAUT32 COMCTL32 COMDLG32 DINPUT8 HID SETUPAPI
  WINMM VERSION SHLWAPI UXTHEME msvcrt)

if(NOT CMAKE_SCRIPT_MODE_FILE)
  function(jq_check_binary target)
    cmake_parse_arguments(C "NO_MANIFEST;NO_RESOURCES" "" "" ${ARGN})
    if(NOT JQ_BUILD_TESTS OR NOT CMAKE_OBJDUMP)
      return()
    endif()
    string(REPLACE ";" "," allowed "${JQ_SYSTEM_DLLS}")
    add_test(NAME ${target}_binary
      COMMAND ${CMAKE_COMMAND}
        -DOBJDUMP=${CMAKE_OBJDUMP}
        -DPROGRAM=$<TARGET_FILE:${target}>
        -DALLOWED=${allowed}
        -DNO_MANIFEST=${C_NO_MANIFEST}
        -DNO_RESOURCES=${C_NO_RESOURCES}
        -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE})
    set_tests_properties(${target}_binary PROPERTIES TIMEOUT 60)
  endfunction()
  return()
endif()

# --- Script mode -------------------------------------------------------------------------------
cmake_minimum_required(VERSION 3.20)

execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM}
  OUTPUT_VARIABLE dump RESULT_VARIABLE failed ERROR_VARIABLE errors)
if(failed)
  message(FATAL_ERROR "${OBJDUMP} -p ${PROGRAM} failed: ${errors}")
endif()
get_filename_component(name ${PROGRAM} NAME)
set(faults "")

string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${dump}")
string(REPLACE "," ";" allowed "${ALLOWED}")
string(TOUPPER "${allowed}" allowed)
set(imported "")
foreach(line IN LISTS imports)
  string(REGEX REPLACE "^DLL Name: *" "" dll "${line}")
  string(STRIP "${dll}" dll)
  list(APPEND imported ${dll})
  string(TOUPPER "${dll}" upper)
  string(REGEX REPLACE "\\.DLL$" "" upper "${upper}")
  if(NOT upper IN_LIST allowed)
    list(APPEND faults "imports ${dll}, which not every Windows has")
  endif()
endforeach()

if(NOT dump MATCHES "Subsystem[ \t]+0*2[ \t]+\\(Windows GUI\\)")
  list(APPEND faults "is not a program of the Windows GUI subsystem")
endif()

# The resource directory's size, from the data directory: "Entry 2 <address> <size> Resource ..."
set(has_resources FALSE)
if(dump MATCHES "Entry 2 [0-9a-fA-F]+ ([0-9a-fA-F]+) Resource Directory")
  if(NOT CMAKE_MATCH_1 MATCHES "^0+$")
    set(has_resources TRUE)
  endif()
endif()
if(NO_RESOURCES AND has_resources)
  list(APPEND faults "carries resources")
endif()

# Resource types are the least indented entries of objdump's resource listing
# ("<offset>   Entry: ID: 0x000018, ..."); names and languages are nested deeper.
if(NO_MANIFEST AND has_resources)
  string(FIND "${dump}" "Resource Directory section" at)
  if(at LESS 0)
    list(APPEND faults "has resources that objdump does not list")
  else()
    string(SUBSTRING "${dump}" ${at} -1 rsrc)
    if(rsrc MATCHES "\n[0-9a-fA-F]+   Entry: ID: 0x0*18,")
      list(APPEND faults "embeds an application manifest (RT_MANIFEST)")
    endif()
  endif()
endif()

if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "${name}:\n  ${text}")
endif()
message(STATUS "${name}: imports ${imported}; GUI subsystem; resources: ${has_resources}")
