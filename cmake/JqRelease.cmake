# Version resources: what Windows' file properties show about a program of the kit.

# jq_add_version_resource(<target> "<file description>")
# Gives the program a version resource with the product name, this description and the project's
# version. Keep the words install, setup, update and patch out of a program's strings unless its
# name carries them already: Windows takes a program whose strings hold them for an installer and
# asks for administrator rights before starting it.
function(jq_add_version_resource target description)
  set(JQ_TARGET ${target})
  set(JQ_FILE_DESCRIPTION "${description}")
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
