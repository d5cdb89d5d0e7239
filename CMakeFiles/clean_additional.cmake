# Additional clean files
cmake_minimum_required(VERSION 3.16)

if("${CONFIG}" STREQUAL "" OR "${CONFIG}" STREQUAL "Release")
  file(REMOVE_RECURSE
  "src/plugins/iconengines/svgiconengine/CMakeFiles/QSvgIconPlugin_autogen.dir/AutogenUsed.txt"
  "src/plugins/iconengines/svgiconengine/CMakeFiles/QSvgIconPlugin_autogen.dir/ParseCache.txt"
  "src/plugins/iconengines/svgiconengine/QSvgIconPlugin_autogen"
  "src/plugins/imageformats/svg/CMakeFiles/QSvgPlugin_autogen.dir/AutogenUsed.txt"
  "src/plugins/imageformats/svg/CMakeFiles/QSvgPlugin_autogen.dir/ParseCache.txt"
  "src/plugins/imageformats/svg/QSvgPlugin_autogen"
  "src/svg/CMakeFiles/Svg_autogen.dir/AutogenUsed.txt"
  "src/svg/CMakeFiles/Svg_autogen.dir/ParseCache.txt"
  "src/svg/Svg_autogen"
  "src/svgwidgets/CMakeFiles/SvgWidgets_autogen.dir/AutogenUsed.txt"
  "src/svgwidgets/CMakeFiles/SvgWidgets_autogen.dir/ParseCache.txt"
  "src/svgwidgets/SvgWidgets_autogen"
  )
endif()
