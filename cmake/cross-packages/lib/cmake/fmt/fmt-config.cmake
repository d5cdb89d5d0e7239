# {fmt} header-only, from Debian's headers, for a cross build.
if(NOT TARGET fmt::fmt-header-only)
  include("${CMAKE_CURRENT_LIST_DIR}/../../../header_only.cmake")
  mensuro_cross_headers(fmt::fmt-header-only fmt)
  set_target_properties(fmt::fmt-header-only PROPERTIES INTERFACE_COMPILE_DEFINITIONS FMT_HEADER_ONLY=1)
endif()
