# CMake generated Testfile for 
# Source directory: /root/.cache/mensuro/qt-6.4.2-mingw-w64-build/qtsvg-everywhere-src-6.4.2/src/plugins/iconengines
# Build directory: /work/main/src/plugins/iconengines
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
subdirs("svgiconengine")
