# The Windows programs' resources, generated at build time from the data the Qt
# program reads, so that the two desktop programs cannot drift apart.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# Where the generated files are, for the programs' own .rc files and sources.
set(MIXCONV_WINDOWS_RESOURCES_DIR "${CMAKE_CURRENT_BINARY_DIR}/windows")
set(MIXCONV_WINDOWS_RESOURCES_DIR "${MIXCONV_WINDOWS_RESOURCES_DIR}" PARENT_SCOPE)
set(generated_resources
  "${MIXCONV_WINDOWS_RESOURCES_DIR}/dialogs.rc"
  "${MIXCONV_WINDOWS_RESOURCES_DIR}/resource_ids.h"
  "${MIXCONV_WINDOWS_RESOURCES_DIR}/mixconv.ico")
set(resource_sources
  "${CMAKE_CURRENT_SOURCE_DIR}/dialogs.json"
  "${CMAKE_CURRENT_SOURCE_DIR}/strings.json"
  "${CMAKE_CURRENT_SOURCE_DIR}/mixconv-32.xpm"
  "${CMAKE_CURRENT_SOURCE_DIR}/mixconv-16.xpm")
add_custom_command(
  OUTPUT ${generated_resources}
  COMMAND Python3::Interpreter "${CMAKE_CURRENT_SOURCE_DIR}/make_windows_resources.py"
          ${resource_sources} "${MIXCONV_WINDOWS_RESOURCES_DIR}"
  DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/make_windows_resources.py" ${resource_sources}
  COMMENT "Generating the Windows resources from dialogs.json and strings.json"
  VERBATIM)
add_custom_target(mixconv_windows_resources DEPENDS ${generated_resources})

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
