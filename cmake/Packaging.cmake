# The Debian package that `bash scripts/package.sh` makes with CPack: what `cmake --install` puts under /usr, the
# version from project(), and the libraries' packages found by dpkg-shlibdeps. What the program loads at run time
# without linking to it (Qt's X11 platform plugin, Qt's Chinese translations, a CJK font) is named by hand.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvara)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Kelvara developers <dev@kelvara.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "serial-port terminal with a live waveform chart")
set(CPACK_PACKAGE_DESCRIPTION "Opens a serial port with saved line settings, shows what the device sends as text \
and, when it sends numbers, as a trace on a scrolling chart, and sends text once, on a timer or from a history.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${KELVARA_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-wqy-microhei | fonts-noto-cjk")
include(CPack)
