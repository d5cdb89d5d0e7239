# CLI11 from Debian's headers, for a cross build.
if(NOT TARGET CLI11::CLI11)
  include("${CMAKE_CURRENT_LIST_DIR}/../../../header_only.cmake")
  mensuro_cross_headers(CLI11::CLI11 CLI)
endif()
