# plenvo_add_resources(<target> <script.rc> [INCLUDES <header>...])
# Puts a resource script's dialog templates into <target>. Windows compiles the script
# with the resource compiler; elsewhere the build checks it and embeds it in a generated
# source that registers it with the headless layer for <target>'s own module.
function(plenvo_add_resources target script)
  cmake_parse_arguments(R "" "" "INCLUDES" ${ARGN})
  get_filename_component(script "${script}" ABSOLUTE)
  set(includes)
  foreach(header IN LISTS R_INCLUDES)
    get_filename_component(header "${header}" ABSOLUTE)
    list(APPEND includes "${header}")
  endforeach()
  if(WIN32)
    target_sources(${target} PRIVATE "${script}")
    return()
  endif()
  get_filename_component(stem "${script}" NAME_WE)
  set(generated "${CMAKE_CURRENT_BINARY_DIR}/${target}_${stem}_resources.cpp")
  add_custom_command(
    OUTPUT "${generated}"
    COMMAND plenvo_rc_embed "${generated}" "${script}" ${includes}
    DEPENDS plenvo_rc_embed "${script}" ${includes}
    COMMENT "Embedding ${stem}.rc"
    VERBATIM)
  target_sources(${target} PRIVATE "${generated}")
  target_link_libraries(${target} PRIVATE plenvo_headless)
endfunction()
