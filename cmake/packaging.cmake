# The Debian package of the installed programs (`cpack -G DEB` in a build folder). Its
# dependencies are computed from the libraries the programs link (dpkg-shlibdeps), so they
# follow the build instead of a list kept by hand. lintian checks it (scripts/package --lint).
set(HV_PACKAGE_MAINTAINER "Hearthview developers <hearthview@varnholt.example>"
    CACHE STRING "The Debian package's maintainer, \"Name <address>\"")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hearthview)
# The package carries the version the program reports, with its build number.
set(CPACK_PACKAGE_VERSION "${HV_THIS_VERSION}.${HV_THIS_BUILD}")
set(CPACK_PACKAGE_VENDOR "Orvane LLC")
set(CPACK_PACKAGE_CONTACT "${HV_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop client of a Varnholt home-automation server")
# Lines of at most 80 characters: package managers show the description as written.
set(CPACK_PACKAGE_DESCRIPTION
    "Hearthview logs in to a home-automation server, shows the house (switches,
sensors, macros, modes, activity log, cameras) and controls it from the
desktop and its tray. It comes with housesim (a server simulator), hvreg
(the editor of its settings store), hvbridge (the house on MQTT, for Home
Assistant) and its self-update helper.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The help pages are opened in the user's browser through xdg-open; on a Wayland desktop the
# client is a native Wayland client only with Qt's Wayland platform (without it, it falls back
# to XWayland where there is one).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-wayland")
# What Debian asks of every package beyond the installed files: compressed man pages, and
# the copyright file and changelog in /usr/share/doc/hearthview. Added to the staged tree
# only, so that `cmake --install` stays as it was.
string(TIMESTAMP HV_PACKAGE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${CMAKE_SOURCE_DIR}/cmake/package_docs.cmake.in
               ${CMAKE_BINARY_DIR}/package_docs.cmake @ONLY)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_BINARY_DIR}/package_docs.cmake)
include(CPack)
