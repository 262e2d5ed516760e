# `cpack` makes a Debian package of what `cmake --install` installs, for
# /usr. Its dependencies are the shared libraries the program links (found
# by dpkg-shlibdeps), plus what it loads at run time: the Python library,
# SDL (the first sound loads it) and Qt's SVG plugins (the icon).
set(ORVEXA_DEB_PYTHON_PACKAGE "libpython3.11" CACHE STRING
  "The Debian package of the Python library the package depends on")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvexa)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Orvexa team")
set(CPACK_PACKAGE_CONTACT "The Orvexa team <orvexa@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop-automation runner for Python scripts")
set(CPACK_PACKAGE_DESCRIPTION
  "Orvexa lists the automation scripts of a folder and runs them: once, on a timer or on a key \
combination pressed anywhere on the desktop. Scripts read screen pixels, move and click the mouse, \
press and type keys and play sounds. A built-in editor creates and test-runs them.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://orvexa.example.org")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${ORVEXA_DEB_PYTHON_PACKAGE}, libsdl2-2.0-0, libqt6svg6")

include(CPack)
