# SPDX-License-Identifier: MIT
# Run by cpack -G DEB on its staging folder before it packs it: the man page gzipped as Debian
# keeps them (-9n: no name, no time), and LICENSE as /usr/share/doc/checksumme/copyright in
# Debian's machine-readable form.
set(root ${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
set(man ${root}/share/man/man1/checksumme.1)
execute_process(COMMAND gzip -9nf ${man} RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "gzip ${man} failed")
endif()
file(CHMOD ${man}.gz PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

file(READ ${CPACK_CHECKSUMME_SOURCE_DIR}/LICENSE licence)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" ignored "${licence}")
set(holders ${CMAKE_MATCH_1})
# The licence's text below its copyright line, each line indented, blank ones as " .".
string(REGEX REPLACE "^.*Copyright \\(c\\) [^\n]*\n\n" "" terms "${licence}")
string(REGEX REPLACE "\n+$" "" terms "${terms}")
string(REGEX REPLACE "\n\n" "\n.\n" terms "${terms}")
string(REGEX REPLACE "\n" "\n " terms " ${terms}")
set(doc ${root}/share/doc/checksumme)
file(MAKE_DIRECTORY ${doc})
file(WRITE ${doc}/copyright
    "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
    "Upstream-Name: checksumme\n\n"
    "Files: *\nCopyright: ${holders}\nLicense: MIT\n${terms}\n")
file(CHMOD ${doc} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
file(CHMOD ${doc}/copyright PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
