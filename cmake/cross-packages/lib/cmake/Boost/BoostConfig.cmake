# Boost's header-only libraries from Debian's headers, for a cross build.
if(NOT TARGET Boost::headers)
  include("${CMAKE_CURRENT_LIST_DIR}/../../../header_only.cmake")
  mensuro_cross_headers(Boost::headers boost)
endif()
file(STRINGS "${MENSURO_DEBIAN_INCLUDE}/boost/version.hpp" boost_version_line
     REGEX "^#define BOOST_VERSION [0-9]+")
string(REGEX REPLACE "^#define BOOST_VERSION ([0-9]+).*" "\\1" boost_version "${boost_version_line}")
math(EXPR Boost_VERSION_MAJOR "${boost_version} / 100000")
math(EXPR Boost_VERSION_MINOR "${boost_version} / 100 % 1000")
math(EXPR Boost_VERSION_PATCH "${boost_version} % 100")
set(Boost_VERSION "${Boost_VERSION_MAJOR}.${Boost_VERSION_MINOR}.${Boost_VERSION_PATCH}")
set(Boost_INCLUDE_DIRS "${CMAKE_BINARY_DIR}/cross-headers")
