# The Debian package: `cpack -G DEB` in a Release build, installing under
# /usr (configure with -DCMAKE_INSTALL_PREFIX=/usr for Debian's multiarch
# library folder). Its dependencies are computed from the
# installed programs and library by dpkg-shlibdeps, never typed here.
set(CPACK_PACKAGE_NAME ferrix)
set(CPACK_PACKAGE_VENDOR "Ferrix")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "FTP client for servers of every kind")
set(CPACK_PACKAGE_DESCRIPTION
  "Ferrix moves files to and from FTP servers of every kind, including VMS, IBM
mainframes and midrange systems and many older systems whose folder listings
it decodes. It works in a two-pane window (ferrixgui) and unattended from
scripts (ferrix). The package also holds libferrixcore, the listing decoder
library with its C header, pkg-config file and CMake package, and
ferrix-decode, its command-line tool.")
set(CPACK_PACKAGE_CONTACT "Ferrix developers <ferrix@localhost>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The package's own libferrixcore is found in the package, not on the system.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
  ${CMAKE_BINARY_DIR}/decoder)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
# Qt loads the SVG image and icon plugins at run time, out of sight of
# dpkg-shlibdeps; the window's icons are SVG.
set(CPACK_DEBIAN_PACKAGE_DEPENDS libqt6svg6)
set(CPACK_GENERATOR DEB)
include(CPack)
