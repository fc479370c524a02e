# SPDX-License-Identifier: GPL-3.0-or-later
# Installs like a desktop program and packs a .deb with cpack -G DEB.
include(GNUInstallDirs)

set(VORLA_APP_ID org.vorla.Vorla)
install(TARGETS vorla RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES resources/${VORLA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/${VORLA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES resources/icon-48.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps
        RENAME ${VORLA_APP_ID}.png)
install(FILES resources/icon.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${VORLA_APP_ID}.svg)
install(FILES resources/open.mp3 DESTINATION ${CMAKE_INSTALL_DATADIR}/vorla)
install(FILES docs/vorla.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_PACKAGE_NAME vorla)
set(CPACK_PACKAGE_VENDOR "Vorla developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Small music player for playlists of MP3 files")
set(CPACK_PACKAGE_INSTALL_DIRECTORY vorla)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Vorla developers <vorla@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Libraries come from dpkg-shlibdeps; the GStreamer plugins and the font are loaded at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, fonts-wqy-microhei")
include(CPack)
