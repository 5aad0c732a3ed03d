// The one place that names the program's version; the resource script reads it.
#pragma once

#define CHECKSUMME_VERSION_MAJOR 1
#define CHECKSUMME_VERSION_MINOR 0
#define CHECKSUMME_VERSION_TEXT "1.00"
