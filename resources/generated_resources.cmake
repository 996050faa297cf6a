# Generates dialogs.rc, resource_ids.h and mixconv.ico from the data files.
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

# resource_ids.h for C++ sources, generated before any of them compiles.
add_library(mixconv_resource_ids INTERFACE)
target_include_directories(mixconv_resource_ids INTERFACE "${MIXCONV_WINDOWS_RESOURCES_DIR}")
add_dependencies(mixconv_resource_ids mixconv_windows_resources)
