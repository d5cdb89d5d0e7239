# Cross-compiling for 64-bit Windows on Debian with mingw-w64 (posix threads, for std::thread
# and std::mutex). Used for Qt's own build and for Mensuro's.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MENSURO_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MENSURO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MENSURO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MENSURO_MINGW_TRIPLE}-windres)

# Libraries, headers and CMake packages come from the MinGW tree and the Windows Qt alone, never
# from the build machine's /usr: a Linux header on the include path breaks the build.
# The Windows Qt is the folder given as MENSURO_WINDOWS_QT (a CMake variable, or else the
# environment's); Debian's header-only libraries are seen through cross-packages/.
set(CMAKE_FIND_ROOT_PATH /usr/${MENSURO_MINGW_TRIPLE} "${CMAKE_CURRENT_LIST_DIR}/cross-packages")
if(NOT MENSURO_WINDOWS_QT AND DEFINED ENV{MENSURO_WINDOWS_QT})
  set(MENSURO_WINDOWS_QT "$ENV{MENSURO_WINDOWS_QT}")
endif()
if(MENSURO_WINDOWS_QT)
  list(APPEND CMAKE_FIND_ROOT_PATH "${MENSURO_WINDOWS_QT}")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
