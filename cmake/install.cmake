# SPDX-License-Identifier: MIT
# What cmake --install puts under its prefix: natively bin/checksumme and its man page
# (share/man/man1/checksumme.1, docs/checksumme.1.in with the version filled in); for Windows
# bin/checksumme.exe, the stripped program. Natively also the Debian package (cpack -G DEB, as
# ./dev dist runs it): the same files under /usr, the man page gzipped, the licence as the
# package's copyright file. Set SOURCE_DATE_EPOCH for a package that rebuilds bit for bit.
include(GNUInstallDirs)
install(TARGETS checksumme RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(WIN32)
    return()
endif()

configure_file(${PROJECT_SOURCE_DIR}/docs/checksumme.1.in ${PROJECT_BINARY_DIR}/checksumme.1
    @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/checksumme.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# Folders get the same modes whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME checksumme)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # checksumme_1.0_amd64.deb
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "the checksumme authors")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON) # Depends from the libraries the program links
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "recompute or check the checksums of Intel HEX records")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "checksumme rewrites, in place, the checksum of every record of Intel HEX
files (.hex, .eep, .ihx) that is not already right, and leaves every other
byte as it was. With --check it changes nothing and reports each wrong
checksum and malformed record as FILE:LINE: message, for CI steps, make
rules and pre-commit hooks.")
set(CPACK_CHECKSUMME_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/debian_files.cmake)
include(CPack)
