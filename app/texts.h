/*
 * Every text the user sees, byte-exact in Windows-1252. Escaped bytes carry the readable text
 * beside them. Nothing else in the program spells out a user-visible text.
 */
#pragma once

namespace texts {

inline constexpr char WINDOW_TITLE[] = "Vorlax Checksumme 1.0";
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

// The command line's usage and its report, English like the file messages above. On Windows a
// report line is "FILE(LINE): finding" or "FILE: summary", and a file that fails is reported
// there too; natively findings read "FILE:LINE: finding", as GNU tools write them, and failures
// go to the standard error as "checksumme: FILE: reason".
#ifdef _WIN32
inline constexpr char USAGE[] =
    "Usage: checksumme [/check] FILE...\r\n"
    "  checksumme FILE...         rewrites the checksum of every record of each file in place\r\n"
    "  checksumme /check FILE...  checks each file and changes nothing\r\n"
    "  checksumme                 opens the window\r\n"
    "--check and --help are /check and /?. Each finding is reported as FILE(LINE): message,\r\n"
    "then one summary line per file, in UTF-8.\r\n"
    "Exit codes: 0 done (every record right, or corrected); 1 a file could not be opened,\r\n"
    "read or written, or /check was given no file; 2 (/check only) a wrong checksum, or a\r\n"
    "line starting with \":\" that is not a well-formed record.\r\n";
inline constexpr char REPORT_LINE_END[] = "\r\n";
inline constexpr char REPORT_LINE_START[] = "(";
inline constexpr char REPORT_LINE_STOP[] = "): ";
inline constexpr char ERROR_START[] = "";
inline constexpr char REPORT_CANNOT_BE_OPENED[] = ": cannot be opened (";
inline constexpr char REPORT_REASON[] = " (";
inline constexpr char REPORT_REASON_END[] = ")";
#else
inline constexpr char USAGE[] =
    "Usage: checksumme [--check] [--] FILE...\n"
    "  checksumme FILE...          rewrites the checksum of every record of each file in place\n"
    "  checksumme --check FILE...  checks each file and changes nothing\n"
    "Each finding is reported as FILE:LINE: message on the standard output, then one summary\n"
    "line per file; errors go to the standard error.\n"
    "Exit codes: 0 done (every record right, or corrected); 1 a file could not be opened, read\n"
    "or written, or no file was given; 2 (--check only) a wrong checksum, or a line starting\n"
    "with \":\" that is not a well-formed record.\n";
inline constexpr char REPORT_LINE_END[] = "\n";
inline constexpr char REPORT_LINE_START[] = ":";
inline constexpr char REPORT_LINE_STOP[] = ": ";
inline constexpr char ERROR_START[] = "checksumme: ";
inline constexpr char REPORT_CANNOT_BE_OPENED[] = ": ";
inline constexpr char REPORT_REASON[] = ": ";
inline constexpr char REPORT_REASON_END[] = "";
#endif
inline constexpr char REPORT_CHECKSUM[] = "checksum ";
inline constexpr char REPORT_CORRECTED_TO[] = " corrected to ";
inline constexpr char REPORT_SHOULD_BE[] = ", should be ";
inline constexpr char REPORT_MALFORMED[] = "not a well-formed record (";
inline constexpr char REPORT_CHARACTER[] = "character ";
inline constexpr char REPORT_NOT_A_DIGIT[] = " is not a hexadecimal digit)";
inline constexpr char REPORT_NO_BYTE_COUNT[] = "too short for a byte count)";
inline constexpr char REPORT_CHARACTERS[] = " characters, the byte count asks for ";
inline constexpr char REPORT_CLOSE[] = ")";
inline constexpr char REPORT_LEFT_UNCHANGED[] = ", left unchanged";
inline constexpr char REPORT_NOT_READ[] = ": could not be read completely, stopped after line ";
inline constexpr char REPORT_NOT_WRITTEN[] =
    ": could not be written completely, stopped after line ";
inline constexpr char REPORT_SUMMARY_START[] = ": ";
inline constexpr char REPORT_SEPARATOR[] = ", ";
inline constexpr char REPORT_RECORD[] = " record";
inline constexpr char REPORT_RECORDS[] = " records";
inline constexpr char REPORT_CORRECTED[] = " corrected";
inline constexpr char REPORT_WRONG[] = " wrong";
inline constexpr char REPORT_LINE_LEFT_UNCHANGED[] = " line left unchanged";
inline constexpr char REPORT_LINES_LEFT_UNCHANGED[] = " lines left unchanged";
inline constexpr char REPORT_LINE_MALFORMED[] = " line not a well-formed record";
inline constexpr char REPORT_LINES_MALFORMED[] = " lines not well-formed records";

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
inline constexpr char REASON_SYSTEM_ERROR[] = "system error "; // followed by its number

} // namespace texts
