set(CMAKE_HOST_SYSTEM "Linux-6.18.44-fc-v1272")
set(CMAKE_HOST_SYSTEM_NAME "Linux")
set(CMAKE_HOST_SYSTEM_VERSION "6.18.44-fc-v1272")
set(CMAKE_HOST_SYSTEM_PROCESSOR "x86_64")

include("/root/.cache/mensuro/qt-6.4.2-mingw-w64/lib/cmake/Qt6/qt.toolchain.cmake")

set(CMAKE_SYSTEM "Windows")
set(CMAKE_SYSTEM_NAME "Windows")
set(CMAKE_SYSTEM_VERSION "")
set(CMAKE_SYSTEM_PROCESSOR "x86_64")

set(CMAKE_CROSSCOMPILING "TRUE")

set(CMAKE_SYSTEM_LOADED 1)
