# A Debian package through CPack: `make package`, or `cpack -G DEB` in the
# build directory. The library dependencies come from dpkg-shlibdeps; what the
# program needs but does not link is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tuxing)
# The program shows its version as "1.00"; the package carries the same.
set(CPACK_PACKAGE_VERSION 1.00)
set(CPACK_PACKAGE_CONTACT "tuxing developers <tuxing@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Point-by-point graphics demo: mountains, water and a golden avenue")
set(CPACK_PACKAGE_DESCRIPTION
    "A dark-green window with a black panel, three labels and four buttons.\n"
    "Two buttons paint a picture each, point by point from fixed formulas,\n"
    "with colour passes sweeping over them; together they compose one scene.")
set(CPACK_PACKAGE_FILE_NAME tuxing_${CPACK_PACKAGE_VERSION}_${CMAKE_SYSTEM_PROCESSOR})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window system plugin is loaded at run time rather than linked; the
# labels ask for the two regular-script faces, and the buttons' default face
# needs a font that covers Chinese.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, fonts-arphic-gkai00mp, fonts-arphic-ukai, fonts-wqy-zenhei")
# Without it the program still runs on a Wayland desktop, through XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)

include(CPack)
