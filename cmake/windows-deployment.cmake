# The Windows folder that the installer and the zip are made of (`cmake --install`): beside the
# programs, the Qt and MinGW runtime DLLs they load and the Qt plugins: the Windows platform for
# the window, the offscreen one for the command line's plot and certificate, the native style
# and the picture formats.
find_package(Qt6 REQUIRED COMPONENTS Core)
set(MENSURO_QT_DLLS Core Gui Widgets Charts Svg)
set(MENSURO_QT_PLUGINS
  platforms/qwindows platforms/qoffscreen styles/qwindowsvistastyle imageformats/qsvg
  imageformats/qico imageformats/qjpeg imageformats/qgif)

foreach(module IN LISTS MENSURO_QT_DLLS)
  install(FILES "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}/Qt6${module}.dll" DESTINATION .)
endforeach()
foreach(plugin IN LISTS MENSURO_QT_PLUGINS)
  cmake_path(GET plugin PARENT_PATH folder)
  install(FILES "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_PLUGINS}/${plugin}.dll" DESTINATION "${folder}")
endforeach()

# The compiler's runtime, from the MinGW installation that built the programs.
foreach(runtime libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND "${CMAKE_CXX_COMPILER}" -print-file-name=${runtime}
                  OUTPUT_VARIABLE runtime_path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${runtime_path}" OR NOT EXISTS "${runtime_path}")
    message(FATAL_ERROR "The MinGW runtime ${runtime} was not found (${CMAKE_CXX_COMPILER})")
  endif()
  install(FILES "${runtime_path}" DESTINATION .)
endforeach()

# PostgreSQL's client library and the OpenSSL DLLs it takes its TLS from, which the register
# loads when it opens a PostgreSQL register: from the folder of the libpq.dll the tree was
# configured with (scripts/build-windows-libpq.sh).
if(MENSURO_REGISTER_POSTGRES)
  cmake_path(GET PostgreSQL_LIBRARY PARENT_PATH libpq_folder)
  file(GLOB openssl_dlls "${libpq_folder}/libssl-*.dll" "${libpq_folder}/libcrypto-*.dll")
  list(LENGTH openssl_dlls openssl_dll_count)
  if(NOT PostgreSQL_LIBRARY MATCHES "/libpq\\.dll$" OR NOT openssl_dll_count EQUAL 2)
    message(FATAL_ERROR "PostgreSQL_LIBRARY must name a libpq.dll with its libssl and libcrypto "
                        "DLLs beside it (scripts/build-windows-libpq.sh), not ${PostgreSQL_LIBRARY}")
  endif()
  install(FILES "${PostgreSQL_LIBRARY}" ${openssl_dlls} DESTINATION .)
endif()

install(FILES "${PROJECT_SOURCE_DIR}/LICENSE" DESTINATION . RENAME LICENSE.txt)
