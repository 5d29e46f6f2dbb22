# The Debian package of the installed programs (`cpack -G DEB` in a build folder). Its
# dependencies are computed from the libraries the programs link (dpkg-shlibdeps), so they
# follow the build instead of a list kept by hand.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hearthview)
set(CPACK_PACKAGE_VENDOR "Orvane LLC")
set(CPACK_PACKAGE_CONTACT "Hearthview developers <hearthview@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop client of a Varnholt home-automation server")
set(CPACK_PACKAGE_DESCRIPTION
    "Hearthview logs in to a home-automation server, shows the house (switches, sensors, \
macros, modes, activity log, cameras) and controls it from the desktop and its tray. It \
comes with restart (its self-update helper), housesim (a server simulator), hvreg (the \
editor of its settings store) and hvbridge (the house on MQTT, for Home Assistant).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The help pages are opened in the user's browser through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
include(CPack)
