# Test fixture: packs the kit with cpack from what the build made (it builds nothing) and unpacks
# the ZIP into a fresh folder, as a user would.
#   cmake -DCPACK=<cpack> -DCONFIG=<CPackConfig.cmake> -DZIP=<zip cpack makes> -DOUT=<folder>
#         -P MakeKit.cmake
foreach(var CPACK CONFIG ZIP OUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "MakeKit.cmake needs -D${var}=...")
  endif()
endforeach()

file(REMOVE ${ZIP})
execute_process(COMMAND ${CPACK} --config ${CONFIG} RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT EXISTS ${ZIP})
  message(FATAL_ERROR "cpack did not make ${ZIP} (result ${result})")
endif()

file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
file(ARCHIVE_EXTRACT INPUT ${ZIP} DESTINATION ${OUT})
message(STATUS "Kit unpacked into ${OUT}")
