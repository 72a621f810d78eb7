# What `cmake --install` lays out under its prefix, and the Debian package
# CPack makes of it.  The programs install their own targets; this file adds
# the data the program looks up in share/tralu and the desktop integration.
include(GNUInstallDirs)

install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tralu
        PATTERN "desktop" EXCLUDE)

set(_desktop ${PROJECT_SOURCE_DIR}/data/desktop)
install(FILES ${_desktop}/tralu.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_desktop}/com.quarnet.tralu.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_desktop}/tralu.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${_desktop}/tralu.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps)
install(FILES ${PROJECT_SOURCE_DIR}/docs/man/tralu.1 ${PROJECT_SOURCE_DIR}/docs/man/tralu-cli.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# `cpack -G DEB` in the build folder makes tralu_VERSION_ARCH.deb.  The
# libraries the programs link are found by dpkg-shlibdeps; the GStreamer
# plug-ins that decode and play are loaded at run time, so they are named.
set(CPACK_PACKAGE_NAME tralu)
set(CPACK_PACKAGE_VENDOR Quarnet)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Organizer for a music collection kept as folders on disk")
set(CPACK_PACKAGE_CONTACT "Tralu developers <tralu@localhost>")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Organizer for a music collection kept as folders on disk\n Tralu shows a music collection kept as folders of songs as a tree, a toolbar\n of its top-level folders and a grid of covers; edits record information and\n ID3 tags, renames songs, searches the collection by tags and plays records.")
include(CPack)
