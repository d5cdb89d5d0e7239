#!/usr/bin/env bash
# Builds Qt 6.4.2 for 64-bit Windows (qtbase, qtsvg, qtcharts) with mingw-w64 into a cache
# folder, once: a later run finds the finished build and reuses it. Debian's own Qt 6.4.2 is
# the host side (moc, rcc, uic run on this machine).
#   MENSURO_WINDOWS_QT   the cache folder (default ~/.cache/mensuro/qt-6.4.2-mingw-w64)
#   MENSURO_QT_SOURCES   a folder with qtsvg-everywhere-src-6.4.2.tar.xz and
#                        qtcharts-everywhere-src-6.4.2.tar.xz (default ../shared/qt-sources
#                        beside the checkout); qtbase comes from `apt-get source qt6-base`.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
version=6.4.2
prefix="${MENSURO_WINDOWS_QT:-$HOME/.cache/mensuro/qt-$version-mingw-w64}"
sources="${MENSURO_QT_SOURCES:-$repo/../shared/qt-sources}"
stamp="$prefix/mensuro-qt-build.txt"

if [ -f "$stamp" ]; then
  echo "build-windows-qt: reusing Qt $version for Windows in $prefix (built $(head -n1 "$stamp"))"
  exit 0
fi

for module in qtsvg qtcharts; do
  if [ ! -f "$sources/$module-everywhere-src-$version.tar.xz" ]; then
    echo "build-windows-qt: $sources/$module-everywhere-src-$version.tar.xz not found;" \
         "set MENSURO_QT_SOURCES to a folder holding the Qt $version module tarballs" \
         "(download.qt.io/archive/qt/6.4/$version/submodules/)" >&2
    exit 1
  fi
done

scratch="$(dirname "$prefix")/qt-$version-mingw-w64-build"
rm -rf "$scratch" "$prefix"
mkdir -p "$scratch"
started=$(date +%s)

echo "build-windows-qt: fetching Debian's qtbase $version sources"
# The first source version of the series, read from the whole listing.
source_listing="$(apt-cache showsrc qt6-base)"
debian_version="$(sed -n "/^Version: $version/{s/^Version: //p;q}" <<<"$source_listing")"
[ -n "$debian_version" ] || { echo "build-windows-qt: no source package of qt6-base $version (is there a deb-src entry?)" >&2; exit 1; }
(cd "$scratch" && apt-get source -qq "qt6-base=$debian_version" >/dev/null)
qtbase_src="$(find "$scratch" -maxdepth 1 -type d -name 'qt6-base-*' -print -quit)"
[ -n "$qtbase_src" ] || { echo "build-windows-qt: apt-get source qt6-base gave no source folder" >&2; exit 1; }
for module in qtsvg qtcharts; do
  tar -C "$scratch" -xf "$sources/$module-everywhere-src-$version.tar.xz"
done

export MENSURO_WINDOWS_QT="$prefix"
toolchain="$repo/cmake/windows-toolchain.cmake"
jobs="$(nproc)"

echo "build-windows-qt: configuring qtbase"
cmake -S "$qtbase_src" -B "$scratch/qtbase-build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DQT_QMAKE_TARGET_MKSPEC=win32-g++ \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
  -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
  -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF \
  -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_md4c=OFF \
  -DFEATURE_freetype=ON -DFEATURE_harfbuzz=ON \
  -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF \
  -DFEATURE_direct2d=ON -DFEATURE_tabletevent=OFF \
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF \
  -DFEATURE_testlib=ON -DFEATURE_concurrent=OFF -DFEATURE_xml=ON \
  -DFEATURE_icu=OFF -DFEATURE_sqlmodel=OFF \
  >"$scratch/qtbase-configure.log" 2>&1 || { tail -n 40 "$scratch/qtbase-configure.log" >&2; exit 1; }
echo "build-windows-qt: building qtbase (20 minutes on two idle cores, longer on busy ones)"
cmake --build "$scratch/qtbase-build" --parallel "$jobs" >"$scratch/qtbase-build.log" 2>&1 ||
  { tail -n 40 "$scratch/qtbase-build.log" >&2; exit 1; }
cmake --install "$scratch/qtbase-build" >/dev/null

for module in qtsvg qtcharts; do
  echo "build-windows-qt: building $module"
  cmake -S "$scratch/$module-everywhere-src-$version" -B "$scratch/$module-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    >"$scratch/$module-configure.log" 2>&1 || { tail -n 40 "$scratch/$module-configure.log" >&2; exit 1; }
  cmake --build "$scratch/$module-build" --parallel "$jobs" >"$scratch/$module-build.log" 2>&1 ||
    { tail -n 40 "$scratch/$module-build.log" >&2; exit 1; }
  cmake --install "$scratch/$module-build" >/dev/null
done

{
  date -u +%Y-%m-%dT%H:%M:%SZ
  echo "Qt $version for x86_64-w64-mingw32, qtbase from Debian's source package, in $(( $(date +%s) - started )) s"
} >"$stamp"
rm -rf "$scratch"
echo "build-windows-qt: Qt $version for Windows is in $prefix ($(( $(date +%s) - started )) s)"
