# SPDX-License-Identifier: GPL-3.0-or-later
# Installs like a desktop program. The Debian package is built from debian/ (make deb).
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
