# Installing Calvane on a desktop, and the Debian package built from the same install:
# the two programs, the launcher entry and its icon, under the usual share/ paths.
include(GNUInstallDirs)

install(TARGETS calvane calvane-batch RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/calvane.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/calvane.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME calvane)
set(CPACK_PACKAGE_VENDOR "Calvane")
set(CPACK_PACKAGE_CONTACT "Calvane developers <calvane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Fits A/Ci and light-response curves to leaf gas-exchange data")
set(CPACK_PACKAGE_DESCRIPTION
    "Calvane analyses leaf gas-exchange measurements. It fits the biochemical\n\
A/Ci model and the light-response curve of C3 leaves, charts and prints\n\
them, and exports the results; calvane-batch runs the same analyses from\n\
scripts.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Qt 6 runtime and everything else the programs link, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The icon engine that draws the SVG icon inside the program is a plugin, which no
# binary links directly.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
# The package carries the programs without their debugging symbols.
set(CPACK_STRIP_FILES ON)
include(CPack)
