# The Debian package vostel_<version>_<arch>.deb (scripts/package makes it).
# Its dependencies come from the shared libraries the programs link (dpkg-shlibdeps).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vostel)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
# Install into /usr with DESTDIR, so the install-time paths (the menu's launcher) are the final ones.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "Vostel maintainers <maintainers@users.noreply.c-seed-84ad125d.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "monitor and learn the signals of an infrared receiver on a serial port")
# The summary becomes the first line; this follows it.
set(CPACK_PACKAGE_DESCRIPTION "Vostel draws every burst an infrared receiver unit on a serial port hears
as a pulse train, learns the buttons of a remote control and turns their
presses into keystrokes. vostel-tool edits its signal library from the
command line, and vostel-sim emulates the receiver for use without hardware.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
