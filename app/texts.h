// SPDX-License-Identifier: MIT
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
    "Usage: checksumme [/check | /strict | /set ADDRESS=BYTES...] [/q] FILE...\r\n"
    "  checksumme FILE...  rewrites the checksum of every record of each file in place\r\n"
    "  checksumme /check FILE...\r\n"
    "      checks each file, changes nothing (/strict: its structure too)\r\n"
    "  checksumme /info FILE...  prints a map of each file\r\n"
    "  checksumme /set ADDRESS=BYTES FILE...\r\n"
    "      sets the bytes (hexadecimal; or u8, u16le..u64be:NUMBER,\r\n"
    "      str:TEXT, strz:TEXT) at ADDRESS (0x..., or decimal without a leading 0) in the data\r\n"
    "      records of every file, all or nothing, and patches\r\n"
    "  checksumme /checksum ALGORITHM:START-END@ADDRESS FILE...\r\n"
    "      stores a CRC or sum of bytes START to END\r\n"
    "      (+START-END...) at ADDRESS (:be big-endian); /check compares it. ALGORITHM: crc8,\r\n"
    "      crc16-arc/ccitt/kermit/modbus/xmodem, crc32, crc32c, crc32-bzip2, crc32-mpeg2,\r\n"
    "      crc64, each 8- to 64-bit CRC catalogue name, sum8/16/32, sha256, sha512,\r\n"
    "      crc-W/poly=0xP/init=0xI/xorout=0xX/refin/refout; /w16le ... /w32be: words;\r\n"
    "      /neg: a negated sum. Gaps count as /fill BYTE (FF without it). Without @ADDRESS\r\n"
    "      the value is printed (/q: alone); /check compares it to =VALUE\r\n"
    "  checksumme /find-checksum START-END=VALUE (or @ADDRESS) FILE...\r\n"
    "      prints each /checksum giving VALUE (or the value there); exit 2: none\r\n"
    "  checksumme /get ADDRESS:COUNT FILE...\r\n"
    "      prints COUNT bytes at ADDRESS (ADDRESS:TYPE, u8 ... u64be: a\r\n"
    "      number); /q: alone\r\n"
    "  checksumme FILE /o OUT ...\r\n"
    "      writes the result to OUT, whole or not at all (flushed, then put in\r\n"
    "      OUT's place, which keeps its rights); FILE is unchanged\r\n"
    "  checksumme /merge OTHER[@ADDRESS] /pad START-END[=BYTE] FILE\r\n"
    "      adds records: OTHER's data (a binary\r\n"
    "      at ADDRESS; /overlap=ours or theirs), then BYTE (FF) over the gaps; every line stays\r\n"
    "  checksumme /binary[=START-END] /o OUT FILE\r\n"
    "      writes OUT as raw bytes, gaps as /fill BYTE\r\n"
    "  checksumme /json ...\r\n"
    "      each file's outcome as one JSON object a line, instead of the report\r\n"
    "Without arguments the window opens. Switches and files in any order; -- ends the switches.\r\n"
    "/q reports failures alone, /version prints the version; --check, --strict, --set, -q, -V\r\n"
    "and --help are the same. A checksum right in either case stays; digits written take the\r\n"
    "record's case. Findings read FILE(LINE): message, then a summary per file, in UTF-8. Exit\r\n"
    "codes, over all files: 0 all done, nothing found; 1 not done: a file not opened, read or\r\n"
    "written, a refusal (a wrong checksum in a call by address), no /info map, a usage\r\n"
    "error, or no report written; 2 a finding: a wrong checksum (/check), a malformed line\r\n"
    "(also one a patch left), no records, a structure finding, a value that differs. /q: the\r\n"
    "values alone on the output, in the order given (FILE: before each with several files),\r\n"
    "failures and findings on the error stream.\r\n";
inline constexpr char VERSION[] = "checksumme " CHECKSUMME_VERSION "\r\n";
#define CHECKSUMME_AT_LINE "%1(%2): "
#define CHECKSUMME_FAILED "%1: "
#define CHECKSUMME_SET_NAME "/set"
#define CHECKSUMME_CHECK_NAME "/check"
#define CHECKSUMME_CHECKSUM_NAME "/checksum"
#define CHECKSUMME_FILL_NAME "/fill"
#define CHECKSUMME_GET_NAME "/get"
#define CHECKSUMME_STRICT_NAME "/strict"
#define CHECKSUMME_OUTPUT_NAME "/o"
#define CHECKSUMME_PAD_NAME "/pad"
#define CHECKSUMME_MERGE_NAME "/merge"
#define CHECKSUMME_BINARY_NAME "/binary"
#define CHECKSUMME_FIND_NAME "/find-checksum"
#define CHECKSUMME_OVERLAP_NAME "/overlap"
#define CHECKSUMME_QUIET_NAME "/q"
#define CHECKSUMME_JSON_NAME "/json"
#define CHECKSUMME_BECAUSE(field) " (" field ")"
#define CHECKSUMME_OPENING "cannot be opened (%2)"
#define CHECKSUMME_END "\r\n"
#else
inline constexpr char USAGE[] =
    "Usage: checksumme [--check | --strict] [--set ADDRESS=BYTES...] [--checksum CHECKSUM...]\n"
    "                  [--fill BYTE] [--get ADDRESS:COUNT...] [--merge OTHER...] [--pad RANGE...]\n"
    "                  [--binary] [--find-checksum RANGE=VALUE...] [-o OUT] [-q] [--] FILE...\n"
    "  checksumme FILE...           rewrites the checksum of every record of each file in place\n"
    "  checksumme --check FILE...   checks each file and changes nothing\n"
    "  checksumme --strict FILE...  checks each file and its structure, changes nothing\n"
    "  checksumme --set ADDRESS=BYTES FILE...  sets the bytes (hexadecimal; or u8, u16le, u16be,\n"
    "      u32le, u32be, u64le, u64be:NUMBER, str:TEXT, strz:TEXT) at ADDRESS\n"
    "      (0x..., or decimal without a leading 0) in the data records of every file, all or\n"
    "      nothing, and every checksum; with --check, compares the bytes and writes nothing\n"
    "  checksumme --checksum ALGORITHM:START-END@ADDRESS FILE...  stores the algorithm's value\n"
    "      over the bytes START to END (inclusive) at ADDRESS, little-endian (:be after it for\n"
    "      big-endian), as --set would set it; with --check, compares it with the value stored.\n"
    "      START-END+START-END... takes the ranges one after another. ALGORITHM: crc8,\n"
    "      crc16-arc, crc16-ccitt, crc16-kermit, crc16-modbus, crc16-xmodem, crc32, crc32c,\n"
    "      crc32-bzip2, crc32-mpeg2, crc64, every CRC of 8, 16, 32 and 64 bits of the CRC\n"
    "      catalogue by its name or alias (CRC-16/GENIBUS), sum8, sum16, sum32, sha256, sha512\n"
    "      (stored in their own byte order), or crc-W/poly=0xP[/init=0xI][/xorout=0xX][/refin]\n"
    "      [/refout] (W 8, 16, 32, 64); after it /w16le, /w16be, /w32le or /w32be reads words,\n"
    "      /neg negates a sum.\n"
    "      Bytes that no record holds count as --fill BYTE (two hexadecimal digits, or 0x and\n"
    "      one or two; FF without it). After --set values; several may come, each after those\n"
    "      whose places lie in its range. Without @ADDRESS the value is printed and nothing\n"
    "      written (with -q the value alone); --check compares it with =VALUE in its place\n"
    "  checksumme --find-checksum START-END=VALUE FILE...  (or START-END@ADDRESS: the value\n"
    "      stored there) prints, one a line and most common first, the --checksum (and --fill)\n"
    "      of every algorithm, word form, byte order, fill FF or 00, and range up to ADDRESS\n"
    "      that gives VALUE; several must all match; writes nothing; exit 2 when none does\n"
    "  checksumme --get ADDRESS:COUNT FILE...  prints COUNT bytes (1 to 255) at ADDRESS, or with\n"
    "      ADDRESS:TYPE (u8, u16le, u16be, u32le, u32be, u64le, u64be) a number; -q: alone\n"
    "  checksumme FILE -o OUT ...   (--output OUT) writes what patching, --set or --checksum\n"
    "      would make of FILE to OUT, whole or not at all; FILE is only read. A new file in\n"
    "      OUT's folder, private until complete, synced and renamed over OUT; a symbolic link\n"
    "      OUT is followed, a read-only OUT refused, a hard-linked OUT becomes a file of its own\n"
    "  checksumme --merge OTHER[@ADDRESS] --pad START-END[=BYTE] FILE  adds records where none\n"
    "      holds a byte: OTHER's data (an Intel HEX file, or a binary's bytes at ADDRESS;\n"
    "      bytes both hold must be equal, or --overlap=ours or --overlap=theirs), then BYTE (FF)\n"
    "      over START-END+START-END...; --set and --checksum go in after. One FILE, written as\n"
    "      -o writes OUT; every other line stays as it is\n"
    "  checksumme --binary[=START-END] -o OUT FILE  writes OUT as the image's raw bytes, the\n"
    "      gaps as --fill BYTE (FF)\n"
    "  checksumme --info FILE...    prints a map of each file: its address ranges, records of\n"
    "      each type and case, start address, line ends, findings on the structure (as\n"
    "      --strict; whether bytes held twice agree); writes nothing; with -q alone\n"
    "  checksumme --json ...        each file's outcome as one JSON object a line (JSON Lines)\n"
    "      instead of the report: findings, values, counts, whether it was written, exit code\n"
    "  checksumme --version         prints the version (also -V)\n"
    "Options and files come in any order; -- ends the options. A checksum that is right in\n"
    "either case stays; digits written take the record's case. Each finding is reported as\n"
    "FILE:LINE: message on the standard output, then one summary line per file; errors go to\n"
    "the standard error. -q (--quiet): the output holds the values asked for alone, in the\n"
    "order given (led by FILE: with several files); failures and findings go to the standard\n"
    "error, one line a file.\n"
    "Exit codes, the highest over all files: 0 everything asked was done, nothing found;\n"
    "1 not done: a file not opened, read or written, a refusal (--set, --checksum, --get and a\n"
    "printed checksum refuse a file with a wrong checksum), --info made no map, a usage\n"
    "error, or a report not written; 2 a finding stands: a wrong checksum (--check), a\n"
    "malformed line (also one that patching left), no records, a structure finding, a value\n"
    "stored or given that differs, no algorithm that --find-checksum finds.\n";
inline constexpr char VERSION[] = "checksumme " CHECKSUMME_VERSION "\n";
#define CHECKSUMME_AT_LINE "%1:%2: "
#define CHECKSUMME_FAILED "checksumme: %1: "
#define CHECKSUMME_SET_NAME "--set"
#define CHECKSUMME_CHECK_NAME "--check"
#define CHECKSUMME_CHECKSUM_NAME "--checksum"
#define CHECKSUMME_FILL_NAME "--fill"
#define CHECKSUMME_GET_NAME "--get"
#define CHECKSUMME_STRICT_NAME "--strict"
#define CHECKSUMME_OUTPUT_NAME "-o"
#define CHECKSUMME_PAD_NAME "--pad"
#define CHECKSUMME_MERGE_NAME "--merge"
#define CHECKSUMME_BINARY_NAME "--binary"
#define CHECKSUMME_FIND_NAME "--find-checksum"
#define CHECKSUMME_OVERLAP_NAME "--overlap"
#define CHECKSUMME_QUIET_NAME "-q"
#define CHECKSUMME_JSON_NAME "--json"
#define CHECKSUMME_BECAUSE(field) ": " field
#define CHECKSUMME_OPENING "%2"
#define CHECKSUMME_END "\n"
#endif
// The command line's faults: each one line that names the option as the platform spells it,
// then TRY_HELP.
#define CHECKSUMME_SET "checksumme: " CHECKSUMME_SET_NAME " "
#define CHECKSUMME_CHECKSUM "checksumme: " CHECKSUMME_CHECKSUM_NAME " "
#define CHECKSUMME_FILL "checksumme: " CHECKSUMME_FILL_NAME " "
#define CHECKSUMME_GET "checksumme: " CHECKSUMME_GET_NAME " "
#define CHECKSUMME_OUTPUT "checksumme: " CHECKSUMME_OUTPUT_NAME " "
// A value's number that starts with 0 and goes on in decimal digits: %3, what it is (ADDRESS).
#define CHECKSUMME_AMBIGUOUS(what) "%3 is ambiguous; write 0x%3 for a hexadecimal " what
// Two options, each as the platform spells it, in a call with a file.
#define CHECKSUMME_APART(one, other)                                                               \
    "checksumme: " one " and " other " do not go together" CHECKSUMME_END

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
// %1 file, %2 line: a last record without a line end got the file's own
inline constexpr char LINE_END_ADDED[] = CHECKSUMME_AT_LINE "line end added" CHECKSUMME_END;
// %1 file, %2 line 1: a file that holds not one record (an empty file, a text, a binary)
inline constexpr char NO_RECORDS[] = CHECKSUMME_AT_LINE "no records" CHECKSUMME_END;
// %1 file, %2 RECORDS, %3 the checksums corrected or wrong, %4 LINES_LEFT or LINES_MALFORMED
inline constexpr char SUMMARY_PATCHED[] = "%1: %2, %3 corrected, %4" CHECKSUMME_END;
inline constexpr char SUMMARY_CHECKED[] = "%1: %2, %3 wrong, %4" CHECKSUMME_END;
// The same with --checksum: %5 ONE_VALUE_DIFFERS or VALUES_DIFFER
inline constexpr char SUMMARY_CHECKSUMS[] = "%1: %2, %3 wrong, %4, %5" CHECKSUMME_END;
inline constexpr char ONE_VALUE_DIFFERS[] = "1 checksum value differs";
inline constexpr char VALUES_DIFFER[] = "%1 checksum values differ";
inline constexpr char ONE_SET_DIFFERS[] = "1 set value differs";
inline constexpr char SETS_DIFFER[] = "%1 set values differ";
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

// --strict, each finding with the same fields, of which it takes what it needs: %1 file, %2 line,
// %3 the record's type (two digits), %4 its data bytes, %5 the end-of-file record's line (after
// it), the data bytes the type should have (a wrong byte count) or the line that holds the
// address already (data held twice), %6 the lowest address held twice or the last byte's past
// 0xFFFFFFFF (0x and at least 8 digits)
inline constexpr char AFTER_END[] =
    CHECKSUMME_AT_LINE "record after the end-of-file record of line %5" CHECKSUMME_END;
inline constexpr char UNKNOWN_TYPE[] =
    CHECKSUMME_AT_LINE "record type %3 is none of 00 to 05" CHECKSUMME_END;
inline constexpr char WRONG_BYTE_COUNT[] =
    CHECKSUMME_AT_LINE "record type %3 with %4 data bytes, should have %5" CHECKSUMME_END;
inline constexpr char HELD_BEFORE[] =
    CHECKSUMME_AT_LINE "data at %6 that line %5 holds already%7" CHECKSUMME_END;
inline constexpr char NO_END[] = CHECKSUMME_AT_LINE "no end-of-file record" CHECKSUMME_END;
inline constexpr char NOT_RECORD[] = CHECKSUMME_AT_LINE "not a record" CHECKSUMME_END;
inline constexpr char ADDRESS_FIELD[] =
    CHECKSUMME_AT_LINE "record type %3 with an address other than 0000" CHECKSUMME_END;
inline constexpr char PAST_4G[] =
    CHECKSUMME_AT_LINE "data up to %6, past 0xFFFFFFFF" CHECKSUMME_END;
inline constexpr char NO_DATA[] = CHECKSUMME_AT_LINE "no data records" CHECKSUMME_END;
inline constexpr char WRAPS[] =
    CHECKSUMME_AT_LINE "data wraps within its 64 KiB segment to %6" CHECKSUMME_END;
// %1 file, %2 RECORDS, %3 the checksums wrong, %4 LINES_MALFORMED, %5 STRUCTURE_FINDINGS
inline constexpr char SUMMARY_STRICT[] = "%1: %2, %3 wrong, %4, %5" CHECKSUMME_END;
inline constexpr char ONE_STRUCTURE_FINDING[] = "1 structure finding";
inline constexpr char STRUCTURE_FINDINGS[] = "%1 structure findings";
// --info: HELD_BEFORE with %7, whether the record holds there what its first holder holds
inline constexpr char SAME_VALUES[] = ", with the same values";
inline constexpr char OTHER_VALUES[] = ", with other values";
// The map, a fact a line: %1 file, %2 the first address of a range, %3 its last, %4 its bytes
inline constexpr char INFO_RANGE[] = "%1: range %2-%3, size %4" CHECKSUMME_END;
// %1 file, %2 to %7 the records of types 00 to 05
inline constexpr char INFO_RECORDS[] =
    "%1: records 00: %2, 01: %3, 02: %4, 03: %5, 04: %6, 05: %7" CHECKSUMME_END;
// %1 file, %2 the records of a type none of 00 to 05, %3 that type (two digits), %4 the line of
// the first of them: a line for each such type, in the order of their numbers
inline constexpr char INFO_OTHER_TYPE[] =
    "%1: 1 record of type %3, at line %4, a type none of 00 to 05" CHECKSUMME_END;
inline constexpr char INFO_OTHER_TYPES[] =
    "%1: %2 records of type %3, the first at line %4, a type none of 00 to 05" CHECKSUMME_END;
// %1 file, %2 the records in upper case, %3 in lower case
inline constexpr char INFO_CASE[] = "%1: upper case: %2 records, lower case: %3" CHECKSUMME_END;
// %1 file, the last start address record before the end: of type 03 %2 its segment and %3 its
// offset (four hexadecimal digits each), %4 the address they make (segment x 16 + offset); of
// type 05 %2 the address (eight hexadecimal digits)
inline constexpr char INFO_START_SEGMENT[] =
    "%1: start address 0x%2:0x%3 = %4 (type 03)" CHECKSUMME_END;
inline constexpr char INFO_START_LINEAR[] = "%1: start address 0x%2 (type 05)" CHECKSUMME_END;
// %1 file, the lines ended by %2 a zero byte, %3 CR, %4 LF, %5 CR LF
inline constexpr char INFO_LINE_ENDS[] =
    "%1: line ends CR LF: %5, LF: %4, CR: %3, NUL: %2" CHECKSUMME_END;

// --set: %1 file, %2 line, %3 the first address set in the record, %4 the last
inline constexpr char BYTE_SET[] = CHECKSUMME_AT_LINE "set %3" CHECKSUMME_END;
inline constexpr char BYTES_SET[] = CHECKSUMME_AT_LINE "set %3 to %4" CHECKSUMME_END;
// %1 file, %2 RECORDS, %3 the checksums corrected besides, %4 LINES_LEFT, %5 the records with
// bytes set
inline constexpr char SUMMARY_SET[] = "%1: %2, %5 set, %3 corrected, %4" CHECKSUMME_END;
// A refusal, nothing written in any file: %1 file, %2 the lowest address held by no data record
// or by two, %3 and %4 their lines
inline constexpr char SET_IN_NO_RECORD[] =
    CHECKSUMME_FAILED "%2 is in no data record, nothing set" CHECKSUMME_END;
inline constexpr char SET_IN_TWO_RECORDS[] =
    CHECKSUMME_FAILED "%2 is in the data records of lines %3 and %4, nothing set" CHECKSUMME_END;
// %1 file, %2 the address, %3 the line of the record that would hold it but does not count
inline constexpr char SET_AFTER_END[] = CHECKSUMME_FAILED
    "%2 is in no data record (line %3 is after the end-of-file record), nothing set" CHECKSUMME_END;
// An image that cannot be known: %1 file, %2 the first line that makes it so, %3 the record's
// type (two digits), %4 its data bytes, %5 NOTHING_SET, NOTHING_COMPARED or NO_MAP
inline constexpr char IMAGE_MALFORMED[] = CHECKSUMME_FAILED
    "line %2 is not a well-formed record, so no address after it is known%5" CHECKSUMME_END;
inline constexpr char IMAGE_ADDRESS_RECORD[] =
    CHECKSUMME_FAILED "line %2 is a type %3 record with %4 data bytes, not 2, so no address after "
                      "it is known%5" CHECKSUMME_END;
inline constexpr char NOTHING_COMPARED[] = ", nothing compared";
inline constexpr char NOTHING_READ[] = ", nothing read";
// A file whose data cannot be trusted for a call by address, but for a check: %1 file, %2 the
// first line whose record has a wrong checksum, %3 NOTHING_SET or NOTHING_READ
inline constexpr char WRONG_CHECKSUM_REFUSED[] =
    CHECKSUMME_FAILED "line %2 has a wrong checksum, so its data cannot be trusted%3; repair the "
                      "file first with: checksumme %1" CHECKSUMME_END;
// %1 file, %2 and %3 a --checksum range that no data record holds a byte of, %4 NOTHING_SET,
// NOTHING_COMPARED or NOTHING_READ
inline constexpr char RANGE_NOT_HELD[] =
    CHECKSUMME_FAILED "no data record holds a byte of %2-%3%4" CHECKSUMME_END;
// With -q, a file whose check found something, in one line: %1 file, %2 the counts found
inline constexpr char QUIET_FINDINGS[] = CHECKSUMME_FAILED "%2" CHECKSUMME_END;
inline constexpr char ONE_CHECKSUM_WRONG[] = "1 checksum wrong";
inline constexpr char CHECKSUMS_WRONG[] = "%1 checksums wrong";
inline constexpr char NO_RECORDS_FOUND[] = "no records";
inline constexpr char COUNTS_BETWEEN[] = ", ";
// With -q and several files, a value printed: %1 file, %2 the value
inline constexpr char QUIET_VALUE_OF[] = "%1: %2" CHECKSUMME_END;
inline constexpr char NO_MAP[] = ", no map"; // --info: no range printed
// %1 file: changed since the first walk read it, found before anything was written, or while
// its bytes were set
inline constexpr char SET_CHANGED[] =
    CHECKSUMME_FAILED "changed by another program since it was read, nothing set" CHECKSUMME_END;
inline constexpr char SET_INCOMPLETE[] = CHECKSUMME_FAILED
    "changed by another program while its bytes were set, not every byte set" CHECKSUMME_END;
// %1 file, %2 the name given before it for the same file
inline constexpr char SET_NAMED_TWICE[] =
    CHECKSUMME_FAILED "the same file as %2, nothing set" CHECKSUMME_END;
// %1 file, not written since a file before it failed
inline constexpr char SET_SKIPPED[] =
    CHECKSUMME_FAILED "nothing set, since a file before it failed" CHECKSUMME_END;
// %1 the value given
inline constexpr char SET_PAST_END[] =
    CHECKSUMME_SET "%1: the bytes run past 0xFFFFFFFF" CHECKSUMME_END;
// %1 the value given
inline constexpr char SET_INVALID[] = CHECKSUMME_SET
    "%1: not ADDRESS=BYTES, ADDRESS=TYPE:NUMBER or ADDRESS=str:TEXT (ADDRESS up to 0xFFFFFFFF, 1 "
    "to 255 bytes)" CHECKSUMME_END;
inline constexpr char SET_NO_FIT[] =
    CHECKSUMME_SET "%1: the number does not fit its type" CHECKSUMME_END;
// %1 the value given, %3 its typed number (0100)
inline constexpr char SET_NUMBER_AMBIGUOUS[] =
    CHECKSUMME_SET "%1: " CHECKSUMME_AMBIGUOUS("number") CHECKSUMME_END;
// %1 and %2 the values given
inline constexpr char SET_OVERLAP[] = CHECKSUMME_SET "%1 and %2 overlap" CHECKSUMME_END;
// %1 the value given, %3 its address (08001000)
inline constexpr char SET_AMBIGUOUS[] =
    CHECKSUMME_SET "%1: " CHECKSUMME_AMBIGUOUS("address") CHECKSUMME_END;
// %1 the --set value, %2 the --checksum value
inline constexpr char SET_CHECKSUM_OVERLAP[] =
    CHECKSUMME_SET "%1 overlaps the place of the checksum %2" CHECKSUMME_END;
// %1 and %2 the --checksum values
inline constexpr char CHECKSUM_OVERLAP[] =
    CHECKSUMME_CHECKSUM "%1 and %2: their places overlap" CHECKSUMME_END;
// %1 the --checksum values of a cycle, in its order, CYCLE_NEXT between them and CYCLE_LAST before
// the last
inline constexpr char CHECKSUM_CYCLE[] =
    CHECKSUMME_CHECKSUM "%1: the range of each holds the place of the next, the last one's that "
                        "of the first, so no order can store them" CHECKSUMME_END;
inline constexpr char CYCLE_NEXT[] = ", ";
inline constexpr char CYCLE_LAST[] = " and ";
// --checksum: %1 file, %2 the line of the record that holds the value's first byte, %3 the
// algorithm, %4 the ranges (START-END, MORE_RANGES between them), %5 the value computed, %6 the
// address of the value, %7 its byte order (LITTLE_ENDIAN or BIG_ENDIAN; "" for one byte), %8 the
// value stored
inline constexpr char CHECKSUM_STORED[] =
    CHECKSUMME_AT_LINE "%3 of %4 = %5, stored at %6%7" CHECKSUMME_END;
inline constexpr char CHECKSUM_MATCHES[] =
    CHECKSUMME_AT_LINE "%3 of %4 = %5, as stored at %6%7" CHECKSUMME_END;
inline constexpr char CHECKSUM_DIFFERS[] =
    CHECKSUMME_AT_LINE "%3 of %4 = %5, but %8 is stored at %6%7" CHECKSUMME_END;
// The same for a value given (=VALUE): %1 file, %3 to %5 as above, %8 the value given
inline constexpr char CHECKSUM_AS_EXPECTED[] = "%1: %3 of %4 = %5, as expected" CHECKSUMME_END;
inline constexpr char CHECKSUM_NOT_EXPECTED[] =
    "%1: %3 of %4 = %5, but %8 is expected" CHECKSUMME_END;
// Between a range's addresses, and between ranges
inline constexpr char RANGE_TO[] = "-";
inline constexpr char MORE_RANGES[] = "+";
// --check --set: %1 file, %2 the line of the record that holds the first byte, %3 the address,
// %4 the bytes held, %5 those of the value
inline constexpr char SET_AS_SET[] = CHECKSUMME_AT_LINE "%3 holds %4, as set" CHECKSUMME_END;
inline constexpr char SET_DIFFERS[] = CHECKSUMME_AT_LINE "%3 holds %4, not %5" CHECKSUMME_END;
// %1 file, %2 the address of a value to check that no data record holds all of
inline constexpr char SET_NOT_HELD[] =
    CHECKSUMME_FAILED "%2 is in no data record, no bytes compared" CHECKSUMME_END;
// --get: %1 file, %2 the line of the record that holds the first byte, %3 the address, %4 the
// bytes or the number; quiet: CHECKSUM_VALUE with them alone
inline constexpr char GOT[] = CHECKSUMME_AT_LINE "%3 = %4" CHECKSUMME_END;
// %1 file, %2 the address of a value to read that no data record holds all of
inline constexpr char GET_NOT_HELD[] =
    CHECKSUMME_FAILED "%2 is in no data record, nothing read" CHECKSUMME_END;
// %1 the value given
inline constexpr char GET_INVALID[] =
    CHECKSUMME_GET "%1: not ADDRESS:COUNT (1 to 255 bytes) or ADDRESS:TYPE (u8, u16le, u16be, "
                   "u32le, u32be, u64le, u64be)" CHECKSUMME_END;
inline constexpr char GET_WITH_WRITE[] = CHECKSUMME_GET
    "%1: reads, and not in a call that writes (with a check it reads)" CHECKSUMME_END;
inline constexpr char GET_PAST_END[] =
    CHECKSUMME_GET "%1: the bytes run past 0xFFFFFFFF" CHECKSUMME_END;
// %1 the value given, %3 its address (010), or its COUNT
inline constexpr char GET_AMBIGUOUS[] =
    CHECKSUMME_GET "%1: " CHECKSUMME_AMBIGUOUS("address") CHECKSUMME_END;
inline constexpr char GET_COUNT_AMBIGUOUS[] =
    CHECKSUMME_GET "%1: " CHECKSUMME_AMBIGUOUS("number") CHECKSUMME_END;
// -o: %1 FILE, %2 the other FILE
inline constexpr char NO_OUTPUT_VALUE[] = "checksumme: %1 needs a value FILE" CHECKSUMME_END;
inline constexpr char OUTPUT_TWICE[] =
    CHECKSUMME_OUTPUT "%1 and " CHECKSUMME_OUTPUT_NAME " %2: one output file only" CHECKSUMME_END;
inline constexpr char OUTPUT_NOT_WRITING[] =
    CHECKSUMME_OUTPUT "%1: only with a call that writes (patching, " CHECKSUMME_SET_NAME
                      ", " CHECKSUMME_CHECKSUM_NAME " with @ADDRESS)" CHECKSUMME_END;
inline constexpr char OUTPUT_FILES[] =
    CHECKSUMME_OUTPUT "%1: takes exactly one input file" CHECKSUMME_END;
inline constexpr char OUTPUT_IS_INPUT[] =
    CHECKSUMME_OUTPUT "%1: is the input file itself; leave out " CHECKSUMME_OUTPUT_NAME
                      " to edit it in place" CHECKSUMME_END;
// %1 file, %2 why: the input not read whole, or FILE not written (then as it was before)
inline constexpr char NOT_COPIED[] =
    CHECKSUMME_FAILED "could not be read completely" CHECKSUMME_BECAUSE("%2") CHECKSUMME_END;
inline constexpr char OUTPUT_NOT_WRITTEN[] =
    CHECKSUMME_FAILED "not written, left as it was" CHECKSUMME_BECAUSE("%2") CHECKSUMME_END;
// A value without a place: %1 file, %3 to %5 as above; quiet: %1 the value alone
inline constexpr char CHECKSUM_PRINTED[] = "%1: %3 of %4 = %5" CHECKSUMME_END;
inline constexpr char CHECKSUM_VALUE[] = "%1" CHECKSUMME_END;
inline constexpr char LITTLE_ENDIAN_ORDER[] = " (little-endian)";
inline constexpr char BIG_ENDIAN_ORDER[] = " (big-endian)";
// %1 file, %2 the lowest address in a range that two data records hold with different values,
// %3 and %4 their lines, %5 NOTHING_SET when writing, else ""
inline constexpr char CHECKSUM_CONFLICT[] = CHECKSUMME_FAILED
    "%2 is in the data records of lines %3 and %4 with different values%5" CHECKSUMME_END;
inline constexpr char NOTHING_SET[] = ", nothing set";
// %1 file, %2 the lowest address of a value to check that no data record holds
inline constexpr char CHECKSUM_NOT_STORED[] =
    CHECKSUMME_FAILED "%2 is in no data record, no checksum to compare" CHECKSUMME_END;
// %1 the value given
inline constexpr char CHECKSUM_INVALID[] =
    CHECKSUMME_CHECKSUM "%1: not ALGORITHM:START-END[@ADDRESS or =VALUE]" CHECKSUMME_END;
inline constexpr char CHECKSUM_ALGORITHM[] =
    CHECKSUMME_CHECKSUM "%1: unknown ALGORITHM (see the help)" CHECKSUMME_END;
// %1 the value given, %3 the CRC parameter's value (0x18005), or VALUE
inline constexpr char CHECKSUM_TOO_WIDE[] =
    CHECKSUMME_CHECKSUM "%1: %3 is wider than the checksum" CHECKSUMME_END;
// %1 the value given
inline constexpr char CHECKSUM_NEGATED[] =
    CHECKSUMME_CHECKSUM "%1: /neg is for sums" CHECKSUMME_END;
inline constexpr char CHECKSUM_WORDS[] =
    CHECKSUMME_CHECKSUM "%1: a range is not whole words" CHECKSUMME_END;
inline constexpr char CHECKSUM_REVERSED[] =
    CHECKSUMME_CHECKSUM "%1: START is after END" CHECKSUMME_END;
inline constexpr char CHECKSUM_IN_RANGE[] =
    CHECKSUMME_CHECKSUM "%1: the value's bytes at ADDRESS overlap START-END" CHECKSUMME_END;
inline constexpr char CHECKSUM_SUFFIX[] =
    CHECKSUMME_CHECKSUM "%1: only :be (big-endian) may follow ADDRESS" CHECKSUMME_END;
inline constexpr char CHECKSUM_PAST_END[] =
    CHECKSUMME_CHECKSUM "%1: an address or the value's bytes past 0xFFFFFFFF" CHECKSUMME_END;
// %1 the value given, %3 the address (0100)
inline constexpr char CHECKSUM_AMBIGUOUS[] =
    CHECKSUMME_CHECKSUM "%1: " CHECKSUMME_AMBIGUOUS("address") CHECKSUMME_END;
// %1 the value given
inline constexpr char FILL_INVALID[] =
    CHECKSUMME_FILL "%1: not a byte; write two hexadecimal digits (FF), or 0x and one or two "
                    "(0xFF)" CHECKSUMME_END;
inline constexpr char FILL_ALONE[] = CHECKSUMME_FILL
    "%1: fills the gaps of a " CHECKSUMME_CHECKSUM_NAME " range, and none is given" CHECKSUMME_END;
// The command line's faults, each with the argument: %1
inline constexpr char UNKNOWN_OPTION[] = "checksumme: unknown option '%1'" CHECKSUMME_END;
inline constexpr char NO_SET_VALUE[] = "checksumme: %1 needs a value ADDRESS=BYTES" CHECKSUMME_END;
inline constexpr char NO_CHECKSUM_VALUE[] =
    "checksumme: %1 needs a value ALGORITHM:START-END[@ADDRESS or =VALUE]" CHECKSUMME_END;
inline constexpr char NO_FILL_VALUE[] = "checksumme: %1 needs a value BYTE" CHECKSUMME_END;
inline constexpr char NO_GET_VALUE[] =
    "checksumme: %1 needs a value ADDRESS:COUNT or ADDRESS:TYPE" CHECKSUMME_END;
// %1 the --info
inline constexpr char INFO_WITH[] =
    "checksumme: %1 takes no option but " CHECKSUMME_QUIET_NAME CHECKSUMME_END;
inline constexpr char STANDARD_INPUT[] =
    "checksumme: '-': the standard input is not read; name a file" CHECKSUMME_END;
// Options that do not go together, in a call with a file (without one: the usage)
inline constexpr char STRICT_WITH_SET[] =
    CHECKSUMME_APART(CHECKSUMME_STRICT_NAME, CHECKSUMME_SET_NAME);
inline constexpr char STRICT_WITH_CHECKSUM[] =
    CHECKSUMME_APART(CHECKSUMME_STRICT_NAME, CHECKSUMME_CHECKSUM_NAME);
// --pad, --merge, --overlap, --binary: %1 the value given (the option itself where it has none)
inline constexpr char NO_PAD_VALUE[] =
    "checksumme: %1 needs a value START-END[+START-END...][=BYTE]" CHECKSUMME_END;
inline constexpr char PAD_INVALID[] =
    "checksumme: " CHECKSUMME_PAD_NAME
    " %1: not START-END[+START-END...][=BYTE] (addresses up to 0xFFFFFFFF, START not after END, "
    "no leading 0)" CHECKSUMME_END;
inline constexpr char NO_MERGE_VALUE[] =
    "checksumme: %1 needs a value FILE or FILE@ADDRESS" CHECKSUMME_END;
inline constexpr char MERGE_INVALID[] =
    "checksumme: " CHECKSUMME_MERGE_NAME
    " %1: not FILE or FILE@ADDRESS (ADDRESS up to 0xFFFFFFFF, no leading 0)" CHECKSUMME_END;
inline constexpr char OVERLAP_INVALID[] =
    "checksumme: %1: the overlap of merged files is ours or theirs" CHECKSUMME_END;
inline constexpr char BINARY_INVALID[] =
    "checksumme: " CHECKSUMME_BINARY_NAME
    " %1: not one range START-END (no leading 0)" CHECKSUMME_END;
inline constexpr char GROW_NOT_WRITING[] =
    "checksumme: %1: records are added only by a call that writes (patching, " CHECKSUMME_SET_NAME
    ", " CHECKSUMME_CHECKSUM_NAME " with @ADDRESS)" CHECKSUMME_END;
inline constexpr char GROW_FILES[] =
    "checksumme: %1: records are added to exactly one file" CHECKSUMME_END;
inline constexpr char BINARY_NO_OUTPUT[] =
    "checksumme: " CHECKSUMME_BINARY_NAME " writes an output file and needs " CHECKSUMME_OUTPUT_NAME
    " OUT" CHECKSUMME_END;
// --find-checksum: %1 the value given (the option itself where it has none)
inline constexpr char NO_FIND_VALUE[] =
    "checksumme: %1 needs a value RANGE=VALUE or RANGE@ADDRESS" CHECKSUMME_END;
inline constexpr char FIND_INVALID[] =
    "checksumme: " CHECKSUMME_FIND_NAME
    " %1: not START-END[+START-END...]=VALUE or ...@ADDRESS" CHECKSUMME_END;
inline constexpr char FIND_WITH[] =
    "checksumme: %1: " CHECKSUMME_FIND_NAME " takes no option but " CHECKSUMME_QUIET_NAME
    " and " CHECKSUMME_JSON_NAME CHECKSUMME_END;
// %1 the --checksum value with =VALUE
inline constexpr char CHECKSUM_EXPECTED_WITH[] =
    CHECKSUMME_CHECKSUM "%1: =VALUE needs " CHECKSUMME_CHECK_NAME CHECKSUMME_END;
// A match: its options (FOUND_CHECKSUM ALGORITHM:RANGES@ADDRESS, or =VALUE, for each value, then
// FOUND_FILL where the fill is 00), as a value is printed (QUIET_VALUE_OF, CHECKSUM_VALUE); then
// the file's summary, %5 the matches
inline constexpr char FOUND_CHECKSUM[] = CHECKSUMME_CHECKSUM_NAME " ";
inline constexpr char FOUND_FILL[] = " " CHECKSUMME_FILL_NAME " 0x00";
inline constexpr char SUMMARY_FOUND[] = "%1: %2, %3 wrong, %4, %5" CHECKSUMME_END;
inline constexpr char NO_MATCH[] = "no algorithm matches";
inline constexpr char ONE_MATCH[] = "1 algorithm matches";
inline constexpr char MATCHES[] = "%1 algorithms match";
// %1 file, %2 the records added
inline constexpr char RECORDS_ADDED[] = "%1: %2 records added" CHECKSUMME_END;
inline constexpr char ONE_RECORD_ADDED[] = "%1: 1 record added" CHECKSUMME_END;
// %1 file, %2 the merged file, %3 the first address both hold with different values, %4 and %5
// the lines of the records that hold it in each
inline constexpr char MERGE_DIFFERS[] = CHECKSUMME_FAILED
    "%3 holds different bytes in line %4 and in %2 line %5; choose with " CHECKSUMME_OVERLAP_NAME
    "=ours or " CHECKSUMME_OVERLAP_NAME "=theirs, nothing written" CHECKSUMME_END;
// %1 file, %2 the merged file, %3 why it could not be read
inline constexpr char MERGE_NOT_READ[] = CHECKSUMME_FAILED
    "%2 could not be merged" CHECKSUMME_BECAUSE("%3") ", nothing written" CHECKSUMME_END;
inline constexpr char MERGE_WRONG_CHECKSUM[] = "a record has a wrong checksum";
inline constexpr char MERGE_UNKNOWN[] = "a line makes its image unknown";
// %1 file, %2 the merged file
inline constexpr char MERGED[] = "%1: merged %2" CHECKSUMME_END;
// %1 file, %2 the merged file: its start address differs and is not taken
inline constexpr char MERGE_START_DIFFERS[] =
    "%1: the start address of %2 differs and is not taken" CHECKSUMME_END;
// %1 file, %2 the ranges with holes larger than 16 MiB between them
inline constexpr char BINARY_HOLES[] = CHECKSUMME_FAILED
    "the image has holes larger than 16 MiB (%2); name the range with " CHECKSUMME_BINARY_NAME
    "=START-END, nothing written" CHECKSUMME_END;
// The second line of every fault of the command line, from SET_PAST_END to STRICT_WITH_CHECKSUM.
inline constexpr char TRY_HELP[] = "Try 'checksumme --help' for more information." CHECKSUMME_END;
// %1 why, %2 what became of the files (FILES_...)
inline constexpr char REPORT_NOT_WRITTEN[] =
    "checksumme: the report could not be written completely" CHECKSUMME_BECAUSE(
        "%1") "; %2" CHECKSUMME_END;
inline constexpr char FILES_NONE_WRITTEN[] = "no file was written";
inline constexpr char FILE_WRITTEN[] = "the file was written";
inline constexpr char FILES_ALL_WRITTEN[] = "every file was written";
// %1 the files written, %2 those the call was to write
inline constexpr char FILES_SOME_WRITTEN[] = "%1 of %2 files were written";
#undef CHECKSUMME_AT_LINE
#undef CHECKSUMME_FAILED
#undef CHECKSUMME_BECAUSE
#undef CHECKSUMME_OPENING
#undef CHECKSUMME_SET
#undef CHECKSUMME_CHECKSUM
#undef CHECKSUMME_FILL
#undef CHECKSUMME_SET_NAME
#undef CHECKSUMME_CHECK_NAME
#undef CHECKSUMME_CHECKSUM_NAME
#undef CHECKSUMME_FILL_NAME
#undef CHECKSUMME_GET_NAME
#undef CHECKSUMME_STRICT_NAME
#undef CHECKSUMME_GET
#undef CHECKSUMME_AMBIGUOUS
#undef CHECKSUMME_APART
#undef CHECKSUMME_OUTPUT_NAME
#undef CHECKSUMME_QUIET_NAME
#undef CHECKSUMME_OUTPUT
#undef CHECKSUMME_PAD_NAME
#undef CHECKSUMME_MERGE_NAME
#undef CHECKSUMME_BINARY_NAME
#undef CHECKSUMME_FIND_NAME
#undef CHECKSUMME_JSON_NAME
#undef CHECKSUMME_OVERLAP_NAME
#undef CHECKSUMME_END
#undef CHECKSUMME_END

// --json: one object a file on a line of its own (JSON Lines), in the order of its keys; the
// same in both programs. %1 the file, %2 its mode (JSON_MODE_...)
inline constexpr char JSON_HEAD[] = "{\"file\":\"%1\",\"mode\":\"%2\"";
inline constexpr char JSON_INPUT[] = ",\"input\":\"%1\""; // with -o: %1 the input
inline constexpr char JSON_MODE_PATCH[] = "patch";
inline constexpr char JSON_MODE_CHECK[] = "check";
inline constexpr char JSON_MODE_STRICT[] = "strict";
inline constexpr char JSON_MODE_SET[] = "set";
inline constexpr char JSON_MODE_PRINT[] = "print";
inline constexpr char JSON_MODE_INFO[] = "info";
inline constexpr char JSON_MODE_FIND[] = "find";
// Each part opened, or given empty; between the items of a list; a list closed.
inline constexpr char JSON_FINDINGS[] = ",\"findings\":[";
inline constexpr char JSON_NO_FINDINGS[] = ",\"findings\":[]";
inline constexpr char JSON_VALUES[] = ",\"values\":[";
inline constexpr char JSON_NO_VALUES[] = ",\"values\":[]";
inline constexpr char JSON_MAP[] = ",\"map\":";
inline constexpr char JSON_NO_MAP[] = ",\"map\":null";
inline constexpr char JSON_BETWEEN[] = ",";
inline constexpr char JSON_LIST_END[] = "]";
inline constexpr char JSON_NULL[] = "null";
inline constexpr char JSON_TRUE[] = "true";
inline constexpr char JSON_FALSE[] = "false";
inline constexpr char JSON_QUOTED[] = "\"%1\""; // a string value: %1 it, escaped
// A finding: %1 its line, %2 the checksum as written, %3 the right one
inline constexpr char JSON_WRONG_CHECKSUM[] =
    "{\"line\":%1,\"kind\":\"checksum\",\"found\":\"%2\",\"expected\":\"%3\"}";
// %1 its line, %2 the first address set in the record, %3 the last
inline constexpr char JSON_BYTES_SET[] =
    "{\"line\":%1,\"kind\":\"set\",\"first\":\"%2\",\"last\":\"%3\"}";
// %1 its line, %2 its kind (JSON_KIND_...), %3 its words as the text report has them
inline constexpr char JSON_FINDING[] = "{\"line\":%1,\"kind\":\"%2\",\"message\":\"%3\"}";
inline constexpr char JSON_KIND_MALFORMED[] = "malformed";
inline constexpr char JSON_KIND_LINE_END[] = "line end";
inline constexpr char JSON_KIND_STRUCTURE[] = "structure";
// A value: %1 the algorithm, %2 its ranges, %3 the value computed, %4 its state (JSON_STATE_...),
// %5 the line that holds its place, %6 the place, %7 the byte order, %8 the value stored (each
// JSON_NULL without a place; %8 the value given of =VALUE)
inline constexpr char JSON_CHECKSUM_VALUE[] =
    "{\"option\":\"checksum\",\"algorithm\":\"%1\",\"ranges\":\"%2\",\"value\":\"%3\","
    "\"state\":\"%4\",\"line\":%5,\"address\":%6,\"order\":%7,\"stored\":%8}";
// %1 the address, %2 the bytes of the value, %3 those held before, %4 its state, %5 the line
inline constexpr char JSON_SET_VALUE[] = "{\"option\":\"set\",\"address\":\"%1\",\"bytes\":\"%2\","
                                         "\"held\":\"%3\",\"state\":\"%4\",\"line\":%5}";
// %1 the address, %2 the bytes or the number, %3 the line
inline constexpr char JSON_GET_VALUE[] =
    "{\"option\":\"get\",\"address\":\"%1\",\"value\":\"%2\",\"line\":%3}";
// A match of --find-checksum: %1 its options
inline constexpr char JSON_FOUND[] = "{\"option\":\"find-checksum\",\"match\":\"%1\"}";
inline constexpr char JSON_STATE_PRINTED[] = "printed";
inline constexpr char JSON_STATE_STORED[] = "stored";
inline constexpr char JSON_STATE_IN_PLACE[] = "in place";
inline constexpr char JSON_STATE_DIFFERS[] = "differs";
inline constexpr char JSON_LITTLE_ENDIAN[] = "\"little-endian\"";
inline constexpr char JSON_BIG_ENDIAN[] = "\"big-endian\"";
// --info's map: its ranges (%1 first, %2 last, %3 size), then %1 the start address or null,
// %2 to %7 the records of types 00 to 05, %8 in upper case, %9 in lower case; then the lines by
// their ends
inline constexpr char JSON_MAP_RANGES[] = "{\"ranges\":[";
inline constexpr char JSON_MAP_RANGE[] = "{\"first\":\"%1\",\"last\":\"%2\",\"size\":%3}";
inline constexpr char JSON_MAP_COUNTS[] =
    "],\"start\":%1,\"records\":{\"00\":%2,\"01\":%3,\"02\":%4,\"03\":%5,\"04\":%6,\"05\":%7},"
    "\"upper_case\":%8,\"lower_case\":%9";
inline constexpr char JSON_MAP_ENDS[] =
    ",\"line_ends\":{\"crlf\":%4,\"lf\":%3,\"cr\":%2,\"nul\":%1}}";
// The tail: %1 the file was read whole, %2 its records, %3 checksums wrong or corrected, %4 lines
// not well-formed records, %5 structure findings, %6 --checksum values that differ, %7 --set
// values that differ (null: none asked), %8 records set
inline constexpr char JSON_COUNTS[] =
    ",\"read\":%1,\"records\":%2,\"checksums\":%3,\"malformed\":%4,\"structure\":%5,"
    "\"checksums_differ\":%6,\"sets_differ\":%7,\"records_set\":%8,\"records_added\":%9";
// The files merged (--merge): %1 their names, JSON strings with JSON_BETWEEN; or null
inline constexpr char JSON_MERGED[] = ",\"merged\":[%1]";
inline constexpr char JSON_NOT_MERGED[] = ",\"merged\":null";
// %1 written, %2 the failure's words (a JSON_QUOTED string) or null, %3 the exit code
inline constexpr char JSON_END[] = ",\"written\":%1,\"failure\":%2,\"exit\":%3}\n";

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
inline constexpr char REASON_EXISTS[] = "already exists";
inline constexpr char REASON_SYSTEM_ERROR[] = "system error %1"; // %1 its number

} // namespace texts
