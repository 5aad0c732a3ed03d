/*
 * Every text the user sees, byte-exact in Windows-1252. Escaped bytes carry the readable text
 * beside them. Nothing else in the program spells out a user-visible text.
 */
#pragma once

#include "app/version.h"

namespace texts {

inline constexpr char WINDOW_TITLE[] = "Vorlax Checksumme " CHECKSUMME_VERSION; // ... 1.0
inline constexpr char INPUT_LABEL[] = "Intel Hex Line ohne Checksum (z.B. :00000001FF):";
inline constexpr char INPUT_START[] = ":";
inline constexpr char INPUT_TIP[] = "Zu verschl\xFCsselnder Key"; // Zu verschlüsselnder Key
inline constexpr char PASTE_BUTTON[] =
    "Von Zwischenablage einf\xFCgen"; // Von Zwischenablage einfügen
inline constexpr char PASTE_TIP[] = "Von Zwischenablage einf\xFCgen"; // Von Zwischenablage einfügen
inline constexpr char FILE_BUTTON[] = "Datei";
inline constexpr char FILE_TIP[] = "Datei";
inline constexpr char OUTPUT_LABEL[] = "Output-Line:";
inline constexpr char OUTPUT_TIP[] = "Verschl\xFCsselter Key"; // Verschlüsselter Key
inline constexpr char COMPUTE_BUTTON[] = "Checksum berechnen";
inline constexpr char COMPUTE_TIP[] = "Checksumme berechnen";
inline constexpr char COPY_BUTTON[] = "In Zwischenablage speichern";
inline constexpr char COPY_TIP[] = "Ergebnis in Zwischenablage speichern";
inline constexpr char QUIT_BUTTON[] = "Beenden";
inline constexpr char QUIT_TIP[] = "Programm beenden";

inline constexpr char ERROR_TITLE[] = "Fehler!";
inline constexpr char START_FAILED[] =
    "Das Programm konnte nicht gestartet werden. "; // ends in a blank
inline constexpr char NO_INPUT[] = "Vorher Input-Key eingeben !";
inline constexpr char NO_OUTPUT[] = "Kein Output-Key zum Speichern vorhanden !";

inline constexpr char CHOOSE_FILE_TITLE[] = "Datei ausw\xE4hlen..."; // Datei auswählen...
inline constexpr char FILE_FILTER[] = "Vorlax (.eep)|*.eep|Vorlax (*.hex)|*.hex";
inline constexpr char PATCHED[] = "File pachted successfully!";
inline constexpr char PATCH_ERROR_TITLE[] = "Error";
inline constexpr char NO_VALID_FILE[] = "No valid file was selected.";
inline constexpr char NOT_COMPLETE[] = "The file could not be read or written completely.";
inline constexpr char NOT_REGULAR_FILE[] = "No valid file was selected: not a regular file.";

// The command line's usage and its report, English like the file messages above. Each report
// message is one template; %1, %2 ... mark where its fields go, as the comment above it says. On
// Windows a finding reads "FILE(LINE): ...", and a file that fails is reported with the others;
// natively findings read "FILE:LINE: ...", as GNU tools write them, and failures go to the
// standard error as "checksumme: FILE: reason".
#ifdef _WIN32
inline constexpr char USAGE[] =
    "Usage: checksumme [/check] [/q] FILE...\r\n"
    "  checksumme FILE...         rewrites the checksum of every record of each file in place\r\n"
    "  checksumme /check FILE...  checks each file and changes nothing\r\n"
    "  checksumme                 opens the window\r\n"
    "/q reports failures alone, /version prints the version. --check, -q, -V and --help\r\n"
    "are /check, /q, /version and /?. Each finding is reported as FILE(LINE): message, then\r\n"
    "one summary line per file, in UTF-8.\r\n"
    "Exit codes: 0 done (every record right, or corrected); 1 a file could not be opened,\r\n"
    "read or written, or /check was given no file; 2 (/check only) a wrong checksum, or a\r\n"
    "line starting with \":\" that is not a well-formed record.\r\n";
inline constexpr char VERSION[] = "checksumme " CHECKSUMME_VERSION "\r\n";
#define CHECKSUMME_AT_LINE "%1(%2): "
#define CHECKSUMME_FAILED "%1: "
#define CHECKSUMME_BECAUSE(field) " (" field ")"
#define CHECKSUMME_OPENING "cannot be opened (%2)"
#define CHECKSUMME_END "\r\n"
#else
inline constexpr char USAGE[] =
    "Usage: checksumme [--check] [-q] [--] FILE...\n"
    "  checksumme FILE...          rewrites the checksum of every record of each file in place\n"
    "  checksumme --check FILE...  checks each file and changes nothing\n"
    "  checksumme --version        prints the version (also -V)\n"
    "Each finding is reported as FILE:LINE: message on the standard output, then one summary\n"
    "line per file; errors go to the standard error. -q (--quiet) prints the errors alone.\n"
    "Exit codes: 0 done (every record right, or corrected); 1 a file could not be opened, read\n"
    "or written, or no file was given; 2 (--check only) a wrong checksum, or a line starting\n"
    "with \":\" that is not a well-formed record.\n";
inline constexpr char VERSION[] = "checksumme " CHECKSUMME_VERSION "\n";
#define CHECKSUMME_AT_LINE "%1:%2: "
#define CHECKSUMME_FAILED "checksumme: %1: "
#define CHECKSUMME_BECAUSE(field) ": " field
#define CHECKSUMME_OPENING "%2"
#define CHECKSUMME_END "\n"
#endif

// %1 file, %2 line, %3 the checksum as written, %4 the right one
inline constexpr char CHECKSUM_CORRECTED[] =
    CHECKSUMME_AT_LINE "checksum %3 corrected to %4" CHECKSUMME_END;
inline constexpr char CHECKSUM_WRONG[] =
    CHECKSUMME_AT_LINE "checksum %3, should be %4" CHECKSUMME_END;
// %1 file, %2 line, %3 the position of the character, %4 LEFT_UNCHANGED when patching, else ""
inline constexpr char NOT_A_DIGIT[] = CHECKSUMME_AT_LINE
    "not a well-formed record (character %3 is not a hexadecimal digit)%4" CHECKSUMME_END;
// %1 file, %2 line, %3 LEFT_UNCHANGED when patching, else ""
inline constexpr char NO_BYTE_COUNT[] =
    CHECKSUMME_AT_LINE "not a well-formed record (too short for a byte count)%3" CHECKSUMME_END;
// %1 file, %2 line, %3 its characters, %4 those its byte count asks for, %5 LEFT_UNCHANGED when
// patching, else ""
inline constexpr char WRONG_LENGTH[] = CHECKSUMME_AT_LINE
    "not a well-formed record (%3 characters, the byte count asks for %4)%5" CHECKSUMME_END;
inline constexpr char LEFT_UNCHANGED[] = ", left unchanged";
// %1 file, %2 RECORDS, %3 the checksums corrected or wrong, %4 LINES_LEFT or LINES_MALFORMED
inline constexpr char SUMMARY_PATCHED[] = "%1: %2, %3 corrected, %4" CHECKSUMME_END;
inline constexpr char SUMMARY_CHECKED[] = "%1: %2, %3 wrong, %4" CHECKSUMME_END;
// Each for 1 and for any other number %1.
inline constexpr char ONE_RECORD[] = "1 record";
inline constexpr char RECORDS[] = "%1 records";
inline constexpr char ONE_LINE_LEFT[] = "1 line left unchanged";
inline constexpr char LINES_LEFT[] = "%1 lines left unchanged";
inline constexpr char ONE_LINE_MALFORMED[] = "1 line not a well-formed record";
inline constexpr char LINES_MALFORMED[] = "%1 lines not well-formed records";
// %1 file, %2 why (REASON_...)
inline constexpr char CANNOT_BE_OPENED[] = CHECKSUMME_FAILED CHECKSUMME_OPENING CHECKSUMME_END;
// %1 file, %2 the last line done, %3 why
inline constexpr char NOT_READ[] = CHECKSUMME_FAILED
    "could not be read completely, stopped after line %2" CHECKSUMME_BECAUSE("%3") CHECKSUMME_END;
inline constexpr char NOT_WRITTEN[] = CHECKSUMME_FAILED
    "could not be written completely, stopped after line %2" CHECKSUMME_BECAUSE("%3")
        CHECKSUMME_END;
#undef CHECKSUMME_AT_LINE
#undef CHECKSUMME_FAILED
#undef CHECKSUMME_BECAUSE
#undef CHECKSUMME_OPENING
#undef CHECKSUMME_END

// Why a file could not be opened, read or written; the system's own words where none fits.
inline constexpr char REASON_NOT_FOUND[] = "not found";
inline constexpr char REASON_FOLDER[] = "is a folder";
inline constexpr char REASON_READ_ONLY[] = "read-only";
inline constexpr char REASON_ACCESS_DENIED[] = "access denied";
inline constexpr char REASON_IN_USE[] = "in use by another program";
inline constexpr char REASON_LOCKED[] = "locked by another program";
inline constexpr char REASON_PATH_TOO_LONG[] = "path too long";
inline constexpr char REASON_DISK_FULL[] = "disk full";
inline constexpr char REASON_NETWORK_GONE[] = "network path gone";
inline constexpr char REASON_NOT_REGULAR[] = "not a regular file"; // a device, FIFO, socket...
inline constexpr char REASON_CHANGED[] = "changed by another program while being read";
inline constexpr char REASON_SYSTEM_ERROR[] = "system error %1"; // %1 its number

} // namespace texts
