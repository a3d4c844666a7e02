# A Debian package of the program (./dev.sh package runs cpack): the executable, the desktop
# entry, the icons and the AppStream page, installed under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keeps a history of Diablo II save games")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Quorrel watches the folder where Diablo II keeps its save games and, whenever\n"
    "a character's save changes, copies all of that character's files into a new\n"
    "folder named after the character, the date and the time. A snapshot can be\n"
    "copied back into the save folder. While it watches, Quorrel waits in the\n"
    "desktop's notification area.")
set(CPACK_PACKAGE_CONTACT "Quorrel developers <quorrel@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries the program links (Qt, the C++ runtime) become the package's dependencies;
# dpkg-shlibdeps, from dpkg-dev, finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
