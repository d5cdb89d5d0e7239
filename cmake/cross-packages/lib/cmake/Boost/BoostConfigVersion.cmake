file(GLOB debian_version "/usr/lib/*/cmake/Boost-*/BoostConfigVersion.cmake")
list(GET debian_version 0 debian_version)
include("${debian_version}")
