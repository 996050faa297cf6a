# The Windows programs' resources: their version records and icon, beside the
# dialogs and strings that generated_resources.cmake makes.

# Gives target program's version record and the icon, and lets its own .rc
# files (listed after program) include dialogs.rc and resource_ids.h. windres
# knows nothing of what a .rc file includes, hence the explicit dependencies.
function(mixconv_add_windows_resources target program)
  set(MIXCONV_PROGRAM "${program}")
  set(version_record "${MIXCONV_WINDOWS_RESOURCES_DIR}/${program}-version.rc")
  set(program_resources "${MIXCONV_WINDOWS_RESOURCES_DIR}/${program}.rc")
  configure_file("${CMAKE_CURRENT_FUNCTION_LIST_DIR}/mixconv.rc.in" "${version_record}" @ONLY)
  configure_file("${CMAKE_CURRENT_FUNCTION_LIST_DIR}/program.rc.in" "${program_resources}" @ONLY)
  set(resource_files "${program_resources}" ${ARGN})
  target_sources(${target} PRIVATE ${resource_files})
  target_include_directories(${target} PRIVATE "${MIXCONV_WINDOWS_RESOURCES_DIR}")
  add_dependencies(${target} mixconv_windows_resources)
  set_source_files_properties(${resource_files} PROPERTIES OBJECT_DEPENDS
    "${MIXCONV_WINDOWS_RESOURCES_DIR}/dialogs.rc;${MIXCONV_WINDOWS_RESOURCES_DIR}/resource_ids.h;${MIXCONV_WINDOWS_RESOURCES_DIR}/mixconv.ico;${version_record}")
endfunction()
