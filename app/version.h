// SPDX-License-Identifier: MIT
// The one place that names the program's version: the resource script, --version, the window's
// title and the build (CMake reads the two numbers from here, for the release files' names and
// the Debian package) all take it from here.
#pragma once

#define CHECKSUMME_VERSION_MAJOR 1
#define CHECKSUMME_VERSION_MINOR 0
// The version record's text: the minor number in two digits, as the record has always shown it.
#define CHECKSUMME_VERSION_TEXT "1.00"

#define CHECKSUMME_TEXT_OF_(number) #number
#define CHECKSUMME_TEXT_OF(number) CHECKSUMME_TEXT_OF_(number)
// "1.0": --version, the title, the release files.
#define CHECKSUMME_VERSION                                                                         \
    CHECKSUMME_TEXT_OF(CHECKSUMME_VERSION_MAJOR) "." CHECKSUMME_TEXT_OF(CHECKSUMME_VERSION_MINOR)
