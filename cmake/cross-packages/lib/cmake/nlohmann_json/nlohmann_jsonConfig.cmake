# JSON for Modern C++ from Debian's headers, for a cross build.
if(NOT TARGET nlohmann_json::nlohmann_json)
  include("${CMAKE_CURRENT_LIST_DIR}/../../../header_only.cmake")
  mensuro_cross_headers(nlohmann_json::nlohmann_json nlohmann)
endif()
