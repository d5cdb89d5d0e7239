# Debian's header-only libraries for a cross build. Their own CMake files would put /usr/include
# on the include path, where the build machine's C library headers break a MinGW build; here a
# folder of the build holds links to the libraries' own header folders alone.
set(MENSURO_DEBIAN_INCLUDE "/usr/include" CACHE PATH "Where the header-only libraries' headers are")

# An imported target `target` whose include folder shows the header folders `names` of
# MENSURO_DEBIAN_INCLUDE and nothing else.
function(mensuro_cross_headers target)
  set(folder "${CMAKE_BINARY_DIR}/cross-headers")
  foreach(name IN LISTS ARGN)
    if(NOT EXISTS "${MENSURO_DEBIAN_INCLUDE}/${name}")
      message(FATAL_ERROR "${MENSURO_DEBIAN_INCLUDE}/${name} is missing: run scripts/install-deps.sh")
    endif()
    if(NOT EXISTS "${folder}/${name}")
      file(MAKE_DIRECTORY "${folder}")
      file(CREATE_LINK "${MENSURO_DEBIAN_INCLUDE}/${name}" "${folder}/${name}" SYMBOLIC)
    endif()
  endforeach()
  add_library(${target} INTERFACE IMPORTED)
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${folder}")
endfunction()
