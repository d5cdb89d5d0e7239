# `make package`: a Debian package of what `cmake --install` puts in place, under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mensuro)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "${MENSURO_PUBLISHER}")
set(CPACK_PACKAGE_CONTACT "Mensuro project team <help@mensuro.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "EDM calibration against a survey baseline")
set(CPACK_PACKAGE_DESCRIPTION
    "Mensuro checks an electronic distance meter (EDM) against a calibration baseline of survey\n"
    "pillars with published distances. It fits published minus observed distances by least\n"
    "squares, reports the instrument's scale and constant errors with their statistics and\n"
    "Student's t tests, and flags differences beyond three times the specified accuracy.\n"
    "Includes the desktop program mensuro and the command line mensuro-cli.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}/package")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.mensuro.org")
# The shared libraries the programs link (Qt, {fmt}, the C++ runtime) become dependencies by
# themselves; Qt's platform plugins are loaded at run time, so the window needs them named.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# Help opens the guide through the desktop (xdg-open), else in our own viewer; the certificate
# is set in DejaVu Sans; a register on a PostgreSQL server loads libpq when it is opened.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core, xdg-utils, libpq5")

# The licence, GPL-3.0-or-later, where Debian keeps a package's copyright file.
install(FILES "${CMAKE_CURRENT_LIST_DIR}/copyright" DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/mensuro")

include(CPack)
