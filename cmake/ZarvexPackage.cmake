# `make package`: a Debian package built by CPack from the project's install rules, written to
# build/zarvex_<version>_<arch>.deb. Include this after every install rule.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zarvex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Quillmoor)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quillmoor <zarvex@quillmoor.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://zarvex.quillmoor.example/)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find duplicate files and get rid of the copies")
set(CPACK_PACKAGE_DESCRIPTION
    "Zarvex finds duplicate files on your drives and helps you get rid of them,
from one window. Pick the drives, a file mask, the folders to search and to
skip, and the matching rules; Find Now compares the candidates (by size and
contents, or by name alone) and lists the duplicates in groups. Review a file,
then send the copies you do not need to the trash.

The command zarvex-find runs the same search from a terminal and writes the
results in the window's list form.")
# Libraries come from the binaries (dpkg-shlibdeps); what the program loads at run time
# without linking it is named here: the MIME database for type names, the icon themes for
# file and drive icons, and the DejaVu fonts the window is laid out for.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "shared-mime-info, hicolor-icon-theme, adwaita-icon-theme, fonts-dejavu-core, fonts-dejavu-extra")
# View opens a file with its usual program through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
