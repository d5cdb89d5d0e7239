# What the Windows build adds to a program of ours: the icon, the version information and the
# manifest, compiled into its resources.
enable_language(RC)

set(MENSURO_ICON_FILE "${PROJECT_SOURCE_DIR}/resources/icons/mensuro.ico")
set(MENSURO_MANIFEST_FILE "${PROJECT_SOURCE_DIR}/resources/windows/program.manifest")
# The version as four comma-separated numbers, as VERSIONINFO wants it.
string(REPLACE "." "," MENSURO_RC_VERSION "${PROJECT_VERSION}")

function(mensuro_windows_resources target)
  set(MENSURO_RC_NAME "${target}")
  if(target STREQUAL "mensuro")
    set(MENSURO_RC_DESCRIPTION "Mensuro: EDM calibration against a baseline")
  else()
    set(MENSURO_RC_DESCRIPTION "Mensuro command line: EDM calibration against a baseline")
  endif()
  set(rc "${CMAKE_CURRENT_BINARY_DIR}/${target}.rc")
  configure_file("${PROJECT_SOURCE_DIR}/resources/windows/program.rc.in" "${rc}" @ONLY)
  target_sources(${target} PRIVATE "${rc}")
  set_property(SOURCE "${rc}" APPEND PROPERTY OBJECT_DEPENDS "${MENSURO_ICON_FILE}"
                                                             "${MENSURO_MANIFEST_FILE}")
endfunction()
