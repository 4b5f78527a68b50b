# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package that `bash scripts/package.sh` makes with CPack: what `cmake --install` puts under /usr, the
# version from project() with the Debian revision, Homepage and Maintainer as the program itself names its site and
# contact (cmake/ProgramInfo.cmake), and the libraries' packages found by dpkg-shlibdeps. What the program loads at
# run time without linking to it (Qt's X11 platform plugin, Qt's Chinese translations, a CJK font) is named by hand.
# Before packing, cmake/DebianPackageFiles.cmake strips the executable as Debian does and adds the copyright file and
# the changelog.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvara)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${KELVARA_DEBIAN_REVISION})
set(CPACK_PACKAGE_CONTACT ${KELVARA_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "serial-port terminal with a live waveform chart")
# Lines shorter than 80 characters, as Debian's control file expects; CPack indents them and marks the empty line
# between the paragraphs.
set(CPACK_PACKAGE_DESCRIPTION "Kelvara is a desktop terminal for people who debug devices that talk over
an RS-232 style serial line. It opens a serial port with saved line settings,
shows what the device sends as text and, when the device sends numbers, as a
trace on a scrolling chart, and sends text once, on a timer or again from a
history of earlier sends. Received text can be saved or printed; the chart can
be saved as a picture or printed.

It lists the system's serial devices by name and serial number, opens remote
ports (RFC 2217 serial servers and raw TCP), and uses XON/XOFF or RTS/CTS flow
control. The chart plots one number per line, up to 16 plain or named values
per line, or binary frames with a checksum; exports CSV; triggers; and
measures, plots XY and shows spectra. Quick-send buttons repeat commands, and
Lua scripts wait for prompts and answer them. kelvara-demo-device plays a
serial device for trying it without hardware.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES OFF) # stripped by the pre-build script, with Debian's options
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/DebianPackageFiles.cmake)
set(CPACK_KELVARA_STRIP ${CMAKE_STRIP})
set(CPACK_KELVARA_COPYRIGHT ${CMAKE_BINARY_DIR}/data/copyright)
set(CPACK_KELVARA_CHANGELOG ${CMAKE_BINARY_DIR}/data/changelog.Debian.gz)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${KELVARA_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The first CJK font draws every character of the program's texts; WenQuanYi Micro Hei leaves "℃" blank.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-wqy-zenhei | fonts-noto-cjk")
include(CPack)
