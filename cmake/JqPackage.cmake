# The kit folder a user gets: the three programs and the user's README side by side, as
# `cmake --install <build> --component kit` lays it out and as the ZIP made by `cpack` in the
# build folder (or the `package` target) holds it. Only the component "kit" goes into the ZIP:
# no test tool, whatever else may get install rules.

# Installing without a prefix of one's own fills <build>/kit, not a system folder.
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
  set(CMAKE_INSTALL_PREFIX ${CMAKE_BINARY_DIR}/kit CACHE PATH "Where cmake --install lays out the kit folder" FORCE)
endif()

set(JQ_KIT_PROGRAMS JqBoot JqSetup JqFFWTest)
foreach(program IN LISTS JQ_KIT_PROGRAMS)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION . COMPONENT kit)
  endif()
endforeach()

# The README carries the kit's version, and Windows line ends for Notepad.
configure_file(${PROJECT_SOURCE_DIR}/packaging/README.txt ${CMAKE_BINARY_DIR}/packaging/README.txt
               @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_BINARY_DIR}/packaging/README.txt DESTINATION . COMPONENT kit)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-win32)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
# The ZIP holds one folder named like the ZIP, so unpacking it never scatters files.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};kit;/")
set(CPACK_STRIP_FILES OFF)  # already stripped at link time
# Where the ZIP lands and the folder it holds, for the kit's own test (read before CPack, which
# leaves its source package's names in these variables).
set(JQ_KIT_ZIP ${CPACK_PACKAGE_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}.zip)
set(JQ_KIT_FOLDER ${CPACK_PACKAGE_FILE_NAME})
include(CPack)

if(JQ_BUILD_TESTS)
  add_subdirectory(packaging/tests)
endif()
