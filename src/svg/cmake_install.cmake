# Install script for directory: /root/.cache/mensuro/qt-6.4.2-mingw-w64-build/qtsvg-everywhere-src-6.4.2/src/svg

# Set the install prefix
if(NOT DEFINED CMAKE_INSTALL_PREFIX)
  set(CMAKE_INSTALL_PREFIX "/root/.cache/mensuro/qt-6.4.2-mingw-w64")
endif()
string(REGEX REPLACE "/$" "" CMAKE_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")

# Set the install configuration name.
if(NOT DEFINED CMAKE_INSTALL_CONFIG_NAME)
  if(BUILD_TYPE)
    string(REGEX REPLACE "^[^A-Za-z0-9_]+" ""
           CMAKE_INSTALL_CONFIG_NAME "${BUILD_TYPE}")
  else()
    set(CMAKE_INSTALL_CONFIG_NAME "Release")
  endif()
  message(STATUS "Install configuration: \"${CMAKE_INSTALL_CONFIG_NAME}\"")
endif()

# Set the component getting installed.
if(NOT CMAKE_INSTALL_COMPONENT)
  if(COMPONENT)
    message(STATUS "Install component: \"${COMPONENT}\"")
    set(CMAKE_INSTALL_COMPONENT "${COMPONENT}")
  else()
    set(CMAKE_INSTALL_COMPONENT)
  endif()
endif()

# Is this installation the result of a crosscompile?
if(NOT DEFINED CMAKE_CROSSCOMPILING)
  set(CMAKE_CROSSCOMPILING "TRUE")
endif()

# Set default install directory permissions.
if(NOT DEFINED CMAKE_OBJDUMP)
  set(CMAKE_OBJDUMP "/usr/bin/x86_64-w64-mingw32-objdump")
endif()

if(CMAKE_INSTALL_COMPONENT STREQUAL "Unspecified" OR NOT CMAKE_INSTALL_COMPONENT)
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/include/QtSvg" TYPE FILE FILES "/work/main/include/QtSvg/qtsvgexports.h")
endif()

if(CMAKE_INSTALL_COMPONENT STREQUAL "Unspecified" OR NOT CMAKE_INSTALL_COMPONENT)
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/include/QtSvg/6.4.2/QtSvg/private" TYPE FILE FILES "/work/main/include/QtSvg/6.4.2/QtSvg/private/qtsvgexports_p.h")
endif()

if(CMAKE_INSTALL_COMPONENT STREQUAL "Unspecified" OR NOT CMAKE_INSTALL_COMPONENT)
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/metatypes" TYPE FILE FILES "/work/main/src/svg/meta_types/qt6svg_release_metatypes.json")
endif()

if(CMAKE_INSTALL_COMPONENT STREQUAL "Devel" OR NOT CMAKE_INSTALL_COMPONENT)
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/cmake/Qt6Svg" TYPE FILE FILES
    "/work/main/lib/cmake/Qt6Svg/Qt6SvgConfig.cmake"
    "/work/main/lib/cmake/Qt6Svg/Qt6SvgConfigVersion.cmake"
    "/work/main/lib/cmake/Qt6Svg/Qt6SvgConfigVersionImpl.cmake"
    )
endif()

if(CMAKE_INSTALL_COMPONENT STREQUAL "Unspecified" OR NOT CMAKE_INSTALL_COMPONENT)
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/lib" TYPE STATIC_LIBRARY OPTIONAL FILES "/work/main/lib/libQt6Svg.a")
endif()

if(CMAKE_INSTALL_COMPONENT STREQUAL "Unspecified" OR NOT CMAKE_INSTALL_COMPONENT)
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/bin" TYPE SHARED_LIBRARY FILES "/work/main/bin/Qt6Svg.dll")
  if(EXISTS "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin/Qt6Svg.dll" AND
     NOT IS_SYMLINK "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin/Qt6Svg.dll")
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND "/work/main/./bin/qt-internal-strip" "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin/Qt6Svg.dll")
    endif()
  endif()
endif()

if(CMAKE_INSTALL_COMPONENT STREQUAL "Unspecified" OR NOT CMAKE_INSTALL_COMPONENT)
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/include/QtSvg/6.4.2/QtSvg/private" TYPE FILE FILES
    "/work/main/include/QtSvg/6.4.2/QtSvg/private/qtsvgexports_p.h"
    "/root/.cache/mensuro/qt-6.4.2-mingw-w64-build/qtsvg-everywhere-src-6.4.2/src/svg/qsvgfont_p.h"
    "/root/.cache/mensuro/qt-6.4.2-mingw-w64-build/qtsvg-everywhere-src-6.4.2/src/svg/qsvggraphics_p.h"
    "/root/.cache/mensuro/qt-6.4.2-mingw-w64-build/qtsvg-everywhere-src-6.4.2/src/svg/qsvghandler_p.h"
    "/root/.cache/mensuro/qt-6.4.2-mingw-w64-build/qtsvg-everywhere-src-6.4.2/src/svg/qsvgnode_p.h"
    "/root/.cache/mensuro/qt-6.4.2-mingw-w64-build/qtsvg-everywhere-src-6.4.2/src/svg/qsvgstructure_p.h"
    "/root/.cache/mensuro/qt-6.4.2-mingw-w64-build/qtsvg-everywhere-src-6.4.2/src/svg/qsvgstyle_p.h"
    "/root/.cache/mensuro/qt-6.4.2-mingw-w64-build/qtsvg-everywhere-src-6.4.2/src/svg/qsvgtinydocument_p.h"
    "/root/.cache/mensuro/qt-6.4.2-mingw-w64-build/qtsvg-everywhere-src-6.4.2/src/svg/qtsvgglobal_p.h"
    )
endif()

if(CMAKE_INSTALL_COMPONENT STREQUAL "Unspecified" OR NOT CMAKE_INSTALL_COMPONENT)
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/include/QtSvg" TYPE FILE FILES
    "/work/main/include/QtSvg/qtsvgexports.h"
    "/root/.cache/mensuro/qt-6.4.2-mingw-w64-build/qtsvg-everywhere-src-6.4.2/src/svg/qsvggenerator.h"
    "/root/.cache/mensuro/qt-6.4.2-mingw-w64-build/qtsvg-everywhere-src-6.4.2/src/svg/qsvgrenderer.h"
    "/root/.cache/mensuro/qt-6.4.2-mingw-w64-build/qtsvg-everywhere-src-6.4.2/src/svg/qtsvgglobal.h"
    "/work/main/include/QtSvg/QSvgGenerator"
    "/work/main/include/QtSvg/QSvgRenderer"
    "/work/main/include/QtSvg/qtsvgversion.h"
    "/work/main/include/QtSvg/QtSvgVersion"
    "/work/main/include/QtSvg/QtSvg"
    "/work/main/include/QtSvg/QtSvgDepends"
    )
endif()

if(CMAKE_INSTALL_COMPONENT STREQUAL "Unspecified" OR NOT CMAKE_INSTALL_COMPONENT)
  if(EXISTS "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/lib/cmake/Qt6Svg/Qt6SvgTargets.cmake")
    file(DIFFERENT _cmake_export_file_changed FILES
         "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/lib/cmake/Qt6Svg/Qt6SvgTargets.cmake"
         "/work/main/src/svg/CMakeFiles/Export/9ccc5341a17353433a338928c3125235/Qt6SvgTargets.cmake")
    if(_cmake_export_file_changed)
      file(GLOB _cmake_old_config_files "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/lib/cmake/Qt6Svg/Qt6SvgTargets-*.cmake")
      if(_cmake_old_config_files)
        string(REPLACE ";" ", " _cmake_old_config_files_text "${_cmake_old_config_files}")
        message(STATUS "Old export file \"$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/lib/cmake/Qt6Svg/Qt6SvgTargets.cmake\" will be replaced.  Removing files [${_cmake_old_config_files_text}].")
        unset(_cmake_old_config_files_text)
        file(REMOVE ${_cmake_old_config_files})
      endif()
      unset(_cmake_old_config_files)
    endif()
    unset(_cmake_export_file_changed)
  endif()
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/cmake/Qt6Svg" TYPE FILE FILES "/work/main/src/svg/CMakeFiles/Export/9ccc5341a17353433a338928c3125235/Qt6SvgTargets.cmake")
  if(CMAKE_INSTALL_CONFIG_NAME MATCHES "^([Rr][Ee][Ll][Ee][Aa][Ss][Ee])$")
    file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/cmake/Qt6Svg" TYPE FILE FILES "/work/main/src/svg/CMakeFiles/Export/9ccc5341a17353433a338928c3125235/Qt6SvgTargets-release.cmake")
  endif()
endif()

if(CMAKE_INSTALL_COMPONENT STREQUAL "Unspecified" OR NOT CMAKE_INSTALL_COMPONENT)
  if(EXISTS "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/lib/cmake/Qt6Svg/Qt6SvgVersionlessTargets.cmake")
    file(DIFFERENT _cmake_export_file_changed FILES
         "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/lib/cmake/Qt6Svg/Qt6SvgVersionlessTargets.cmake"
         "/work/main/src/svg/CMakeFiles/Export/9ccc5341a17353433a338928c3125235/Qt6SvgVersionlessTargets.cmake")
    if(_cmake_export_file_changed)
      file(GLOB _cmake_old_config_files "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/lib/cmake/Qt6Svg/Qt6SvgVersionlessTargets-*.cmake")
      if(_cmake_old_config_files)
        string(REPLACE ";" ", " _cmake_old_config_files_text "${_cmake_old_config_files}")
        message(STATUS "Old export file \"$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/lib/cmake/Qt6Svg/Qt6SvgVersionlessTargets.cmake\" will be replaced.  Removing files [${_cmake_old_config_files_text}].")
        unset(_cmake_old_config_files_text)
        file(REMOVE ${_cmake_old_config_files})
      endif()
      unset(_cmake_old_config_files)
    endif()
    unset(_cmake_export_file_changed)
  endif()
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/cmake/Qt6Svg" TYPE FILE FILES "/work/main/src/svg/CMakeFiles/Export/9ccc5341a17353433a338928c3125235/Qt6SvgVersionlessTargets.cmake")
endif()

if(CMAKE_INSTALL_COMPONENT STREQUAL "Unspecified" OR NOT CMAKE_INSTALL_COMPONENT)
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/./modules" TYPE FILE FILES "/work/main/./modules/Svg.json")
endif()

if(CMAKE_INSTALL_COMPONENT STREQUAL "_install_html_docs_Svg")
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/./doc/qtsvg" TYPE DIRECTORY FILES "/work/main/./doc/qtsvg/")
endif()

if(CMAKE_INSTALL_COMPONENT STREQUAL "_install_qch_docs_Svg")
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/./doc" TYPE FILE FILES "/work/main/./doc/qtsvg.qch")
endif()

if(CMAKE_INSTALL_COMPONENT STREQUAL "Unspecified" OR NOT CMAKE_INSTALL_COMPONENT)
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/cmake/Qt6Svg" TYPE FILE FILES "/work/main/lib/cmake/Qt6Svg/Qt6SvgAdditionalTargetInfo.cmake")
endif()

if(CMAKE_INSTALL_COMPONENT STREQUAL "Unspecified" OR NOT CMAKE_INSTALL_COMPONENT)
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/mkspecs/modules" TYPE FILE FILES
    "/work/main/mkspecs/modules/qt_lib_svg.pri"
    "/work/main/mkspecs/modules/qt_lib_svg_private.pri"
    )
endif()

if(CMAKE_INSTALL_COMPONENT STREQUAL "Unspecified" OR NOT CMAKE_INSTALL_COMPONENT)
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/pkgconfig" TYPE FILE FILES "/work/main/lib/pkgconfig/Qt6Svg.pc")
endif()

