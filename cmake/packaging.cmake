# Debian package of everything `cmake --install` puts in place: the programs, the desktop entry, the
# MIME type, the icons and the help documents.
#   cmake --build build --target package      (or: cd build && cpack -G DEB)
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "kdmxp")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Dorvik")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_CONTACT "KDM XP maintainers <kdmxp@dorvik.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# Library dependencies (Qt, libstdc++) are read from the binaries.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, shared-mime-info")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Reads the system and program parameters of Q4400 sheet-detection devices over an RS232 line,\n\
stores them as data files, shows them in tables, prints them and writes them back into a device.")
include(CPack)
