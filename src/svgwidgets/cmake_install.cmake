# Install script for directory: /root/.cache/mensuro/qt-6.4.2-mingw-w64-build/qtsvg-everywhere-src-6.4.2/src/svgwidgets

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
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/include/QtSvgWidgets" TYPE FILE FILES "/work/main/include/QtSvgWidgets/qtsvgwidgetsexports.h")
endif()

if(CMAKE_INSTALL_COMPONENT STREQUAL "Unspecified" OR NOT CMAKE_INSTALL_COMPONENT)
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/metatypes" TYPE FILE FILES "/work/main/src/svgwidgets/meta_types/qt6svgwidgets_release_metatypes.json")
endif()

if(CMAKE_INSTALL_COMPONENT STREQUAL "Devel" OR NOT CMAKE_INSTALL_COMPONENT)
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/cmake/Qt6SvgWidgets" TYPE FILE FILES
    "/work/main/lib/cmake/Qt6SvgWidgets/Qt6SvgWidgetsConfig.cmake"
    "/work/main/lib/cmake/Qt6SvgWidgets/Qt6SvgWidgetsConfigVersion.cmake"
    "/work/main/lib/cmake/Qt6SvgWidgets/Qt6SvgWidgetsConfigVersionImpl.cmake"
    )
endif()

if(CMAKE_INSTALL_COMPONENT STREQUAL "Unspecified" OR NOT CMAKE_INSTALL_COMPONENT)
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/lib" TYPE STATIC_LIBRARY OPTIONAL FILES "/work/main/lib/libQt6SvgWidgets.a")
endif()

if(CMAKE_INSTALL_COMPONENT STREQUAL "Unspecified" OR NOT CMAKE_INSTALL_COMPONENT)
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/bin" TYPE SHARED_LIBRARY FILES "/work/main/bin/Qt6SvgWidgets.dll")
  if(EXISTS "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin/Qt6SvgWidgets.dll" AND
     NOT IS_SYMLINK "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin/Qt6SvgWidgets.dll")
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND "/work/main/./bin/qt-internal-strip" "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin/Qt6SvgWidgets.dll")
    endif()
  endif()
endif()

if(CMAKE_INSTALL_COMPONENT STREQUAL "Unspecified" OR NOT CMAKE_INSTALL_COMPONENT)
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/include/QtSvgWidgets" TYPE FILE FILES
    "/work/main/include/QtSvgWidgets/qtsvgwidgetsexports.h"
    "/root/.cache/mensuro/qt-6.4.2-mingw-w64-build/qtsvg-everywhere-src-6.4.2/src/svgwidgets/qgraphicssvgitem.h"
    "/root/.cache/mensuro/qt-6.4.2-mingw-w64-build/qtsvg-everywhere-src-6.4.2/src/svgwidgets/qsvgwidget.h"
    "/root/.cache/mensuro/qt-6.4.2-mingw-w64-build/qtsvg-everywhere-src-6.4.2/src/svgwidgets/qtsvgwidgetsglobal.h"
    "/work/main/include/QtSvgWidgets/QGraphicsSvgItem"
    "/work/main/include/QtSvgWidgets/QSvgWidget"
    "/work/main/include/QtSvgWidgets/qtsvgwidgetsversion.h"
    "/work/main/include/QtSvgWidgets/QtSvgWidgetsVersion"
    "/work/main/include/QtSvgWidgets/QtSvgWidgets"
    "/work/main/include/QtSvgWidgets/QtSvgWidgetsDepends"
    )
endif()

if(CMAKE_INSTALL_COMPONENT STREQUAL "Unspecified" OR NOT CMAKE_INSTALL_COMPONENT)
  if(EXISTS "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/lib/cmake/Qt6SvgWidgets/Qt6SvgWidgetsTargets.cmake")
    file(DIFFERENT _cmake_export_file_changed FILES
         "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/lib/cmake/Qt6SvgWidgets/Qt6SvgWidgetsTargets.cmake"
         "/work/main/src/svgwidgets/CMakeFiles/Export/31ea673f6f4ba25e8f689e09655754b3/Qt6SvgWidgetsTargets.cmake")
    if(_cmake_export_file_changed)
      file(GLOB _cmake_old_config_files "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/lib/cmake/Qt6SvgWidgets/Qt6SvgWidgetsTargets-*.cmake")
      if(_cmake_old_config_files)
        string(REPLACE ";" ", " _cmake_old_config_files_text "${_cmake_old_config_files}")
        message(STATUS "Old export file \"$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/lib/cmake/Qt6SvgWidgets/Qt6SvgWidgetsTargets.cmake\" will be replaced.  Removing files [${_cmake_old_config_files_text}].")
        unset(_cmake_old_config_files_text)
        file(REMOVE ${_cmake_old_config_files})
      endif()
      unset(_cmake_old_config_files)
    endif()
    unset(_cmake_export_file_changed)
  endif()
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/cmake/Qt6SvgWidgets" TYPE FILE FILES "/work/main/src/svgwidgets/CMakeFiles/Export/31ea673f6f4ba25e8f689e09655754b3/Qt6SvgWidgetsTargets.cmake")
  if(CMAKE_INSTALL_CONFIG_NAME MATCHES "^([Rr][Ee][Ll][Ee][Aa][Ss][Ee])$")
    file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/cmake/Qt6SvgWidgets" TYPE FILE FILES "/work/main/src/svgwidgets/CMakeFiles/Export/31ea673f6f4ba25e8f689e09655754b3/Qt6SvgWidgetsTargets-release.cmake")
  endif()
endif()

if(CMAKE_INSTALL_COMPONENT STREQUAL "Unspecified" OR NOT CMAKE_INSTALL_COMPONENT)
  if(EXISTS "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/lib/cmake/Qt6SvgWidgets/Qt6SvgWidgetsVersionlessTargets.cmake")
    file(DIFFERENT _cmake_export_file_changed FILES
         "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/lib/cmake/Qt6SvgWidgets/Qt6SvgWidgetsVersionlessTargets.cmake"
         "/work/main/src/svgwidgets/CMakeFiles/Export/31ea673f6f4ba25e8f689e09655754b3/Qt6SvgWidgetsVersionlessTargets.cmake")
    if(_cmake_export_file_changed)
      file(GLOB _cmake_old_config_files "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/lib/cmake/Qt6SvgWidgets/Qt6SvgWidgetsVersionlessTargets-*.cmake")
      if(_cmake_old_config_files)
        string(REPLACE ";" ", " _cmake_old_config_files_text "${_cmake_old_config_files}")
        message(STATUS "Old export file \"$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/lib/cmake/Qt6SvgWidgets/Qt6SvgWidgetsVersionlessTargets.cmake\" will be replaced.  Removing files [${_cmake_old_config_files_text}].")
        unset(_cmake_old_config_files_text)
        file(REMOVE ${_cmake_old_config_files})
      endif()
      unset(_cmake_old_config_files)
    endif()
    unset(_cmake_export_file_changed)
  endif()
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/cmake/Qt6SvgWidgets" TYPE FILE FILES "/work/main/src/svgwidgets/CMakeFiles/Export/31ea673f6f4ba25e8f689e09655754b3/Qt6SvgWidgetsVersionlessTargets.cmake")
endif()

if(CMAKE_INSTALL_COMPONENT STREQUAL "Unspecified" OR NOT CMAKE_INSTALL_COMPONENT)
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/./modules" TYPE FILE FILES "/work/main/./modules/SvgWidgets.json")
endif()

if(CMAKE_INSTALL_COMPONENT STREQUAL "Unspecified" OR NOT CMAKE_INSTALL_COMPONENT)
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/cmake/Qt6SvgWidgets" TYPE FILE FILES "/work/main/lib/cmake/Qt6SvgWidgets/Qt6SvgWidgetsAdditionalTargetInfo.cmake")
endif()

if(CMAKE_INSTALL_COMPONENT STREQUAL "Unspecified" OR NOT CMAKE_INSTALL_COMPONENT)
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/mkspecs/modules" TYPE FILE FILES
    "/work/main/mkspecs/modules/qt_lib_svgwidgets.pri"
    "/work/main/mkspecs/modules/qt_lib_svgwidgets_private.pri"
    )
endif()

if(CMAKE_INSTALL_COMPONENT STREQUAL "Unspecified" OR NOT CMAKE_INSTALL_COMPONENT)
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/pkgconfig" TYPE FILE FILES "/work/main/lib/pkgconfig/Qt6SvgWidgets.pc")
endif()

