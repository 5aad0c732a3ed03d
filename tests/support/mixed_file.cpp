// SPDX-License-Identifier: MIT
#include "tests/support/mixed_file.h"

#include "app/texts.h"

namespace mixed {

#ifdef _WIN32
const std::string END = "\r\n", AT_LINE = "(", AT_LINE_END = "): ", FAILED = "";
const std::string SET = "/Set", STRICT = "/strict", CHECK = "/check", SET_NAME = "/set ";
const std::string CHECKSUM = "/Checksum", FILL = "/fill", CHECKSUM_NAME = "/checksum ";
const std::string QUIET = "/q", GET = "/get", GET_NAME = "/get ", OUTPUT = "/O",
                  OUTPUT_NAME = "/o ", INFO = "/Info";
const std::string FIND = "/Find-Checksum", FIND_NAME = "/find-checksum", JSON = "/json";
const std::string NOT_FOUND = "absent.hex: cannot be opened (not found)";
#else
const std::string END = "\n", AT_LINE = ":", AT_LINE_END = ": ", FAILED = "checksumme: ";
const std::string SET = "--set", STRICT = "--strict", CHECK = "--check", SET_NAME = "--set ";
const std::string CHECKSUM = "--checksum", FILL = "--fill", CHECKSUM_NAME = "--checksum ";
const std::string QUIET = "-q", GET = "--get", GET_NAME = "--get ", OUTPUT = "-o",
                  OUTPUT_NAME = "-o ", INFO = "--info";
const std::string FIND = "--find-checksum", FIND_NAME = FIND, JSON = "--json";
const std::string NOT_FOUND = "absent.hex: No such file or directory";
#endif
// A fault of the command line: one line, then where to read more.
const std::string FAULT = "checksumme: ",
                  FAULT_END = END + "Try 'checksumme --help' for more information." + END;

std::string File(const std::string &end, bool mark, const char *firstChecksum) {
    return (mark ? "\xEF\xBB\xBF" : "") + std::string(":10010000214601360121470136007EFE09D21901") +
           firstChecksum + end + ":100110002146017E17C20001FF5F16002148011928" + end + ":0200000" +
           end + "; comment" + end + ":00000001FF" + end;
}

std::string Report(const std::string &path, bool checking) {
    std::string line1 = path + AT_LINE + "1" + AT_LINE_END,
                line3 = path + AT_LINE + "3" + AT_LINE_END;
    std::string malformed = "not a well-formed record (8 characters, the byte count asks for 15)";
    if (checking)
        return line1 + "checksum 00, should be 40" + END + line3 + malformed + END + path +
               ": 3 records, 1 wrong, 1 line not a well-formed record" + END;
    return line1 + "checksum 00 corrected to 40" + END + line3 + malformed + ", left unchanged" +
           END + path + ": 3 records, 1 corrected, 1 line left unchanged" + END;
}

// A serial number across two records, one in lower case, one with a comment behind it (as a
// programmer tool writes them), and a wrong checksum elsewhere; a layout with every finding on
// the structure, record type 0A among them (as "universal" files hold), which a plain check
// passes; text, an address field other than 0000 and data past 0xFFFFFFFF, which other tools
// refuse.
std::vector<EditRow> EditRows() {
    const std::string serial = ":020000040800F2\r\n:04FFF000DEADBEEFD5 // serial\r\n"
                               ":02fff400010208\r\n:0000000100\r\n";
    const std::string serialRight = ":020000040800F2\r\n:04FFF000DEADBEEFD5 // serial\r\n"
                                    ":02fff400010208\r\n:00000001FF\r\n";
    const std::string set = ":020000040800F2\r\n:04FFF00011ADAABBEA // serial\r\n"
                            ":02fff4000c02fd\r\n:00000001FF\r\n";
    // The end-of-file record, without letters, mended in the case of the record before it.
    const std::string setLower = ":020000040800F2\r\n:04FFF00011ADAABBEA // serial\r\n"
                                 ":02fff4000c02fd\r\n:00000001ff\r\n";
    // The same, with a record in mixed case: set in upper case.
    const std::string mixedCase = ":020000040800F2\r\n:04FFF00011ADAABBEA // serial\r\n"
                                  ":02fff4000c02FD\r\n:00000001FF\r\n";
    const std::string layout = ":0400000A9900C0DEBB\n:1000000000112233445566778899AABBCCDDEEFFF8\n"
                               ":080008000102030405060708CC\n:03000004000000F9\n:00000001FF\n"
                               ":00000001FF\n";
    const std::string refusedLines = "hello\n  :00000001FF\n:020010040000EA\n:02000004FFFFFC\n"
                                     ":04FFFE0001020304F5\n:00000001FF\n";
    const std::string lateData = ":0100000000FF\n:00000001FF\n:0100100011DE\n";
    const std::string malformed = ":0400000001020304\n:00000001FF\n";
    const std::string twice = ":0100080011E6\n:0100080011E6\n:02001000FFFFF0\n:00000001FF\n";
    // A type 02 record's data wraps within its 64 KiB segment: its last eight bytes at 0x10000.
    const std::string wraps = ":020000021000EC\n:10FFF800000102030405060708090A0B0C0D0E0F81\n"
                              ":00000001FF\n";
    const std::string lower = ":0400000001020304f2\n:00000001ff";
    auto at = [](int line) { return "%F" + AT_LINE + std::to_string(line) + AT_LINE_END; };
    // An image checksum: 16 bytes, the place of a value at 0x10 (and one at 0x20).
    const std::string image = ":10000000000102030405060708090A0B0C0D0E0F78\n"
                              ":04001000FFFFFFFFF0\n:00000001FF\n";
    const std::string imageStored = ":10000000000102030405060708090A0B0C0D0E0F78\n"
                                    ":0400100088E2CECEE6\n:00000001FF\n";
    const std::string twoPlaces = ":10000000000102030405060708090A0B0C0D0E0F78\n"
                                  ":04001000FFFFFFFFF0\n:02002000FFFFE0\n:00000001FF\n";
    const std::string twoStored = ":10000000000102030405060708090A0B0C0D0E0F78\n"
                                  ":040010003D51FFFF60\n:0200200006FFD9\n:00000001FF\n";
    const std::string twoStoredXmodem = ":10000000000102030405060708090A0B0C0D0E0F78\n"
                                        ":040010003D51FFFF60\n:02002000FFFFE0\n:00000001FF\n";
    const std::string conflicting =
        ":0100000000FF\n:0100000001FE\n:04001000FFFFFFFFF0\n:00000001FF\n";
    const std::string crc = "crc32 of 0x00000000-0x0000000F = 0xCECEE288";
    // --find-checksum's files, and the start of a summary.
    const std::string stm32 = ":020000040800F2\n:10000000A54DCA182530BB1D6D132CDED6237B2EC3\n"
                              ":10001000D91E3F721FCB1971174494D679A4155E6F\n:00000001FF\n";
    const std::string xmodem =
        ":020000040000FA\n:20000000493C9D5C3460BE31201E69FEDAA0EEE8B9997F5C7C"
        "2999FDAFE593253CD6C8BD9F\n:00000001FF\n";
    const std::string lpc = ":10000000F05E915FAA51772350BAA5018653B6805E\n"
                            ":10001000D744B014C36D076155E29DB9A1AC45CB7F\n"
                            ":100020005056791A384320C434956872D72C886B9F\n:00000001FF\n";
    const std::string gapCrc = ":10000000CB8FAE166602D21CC1FB470C79D93901E1\n"
                               ":100020003E6567A9042A44082BFE65D723CB622FBF\n:040030000B19ED8D2E\n"
                               ":00000001FF\n";
    const std::string digits = ":020000040000FA\n:090000003132333435363738391A\n:00000001FF\n";
    const std::string digitsPlace =
        ":090000003132333435363738391A\n:10001000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF0\n"
        ":10002000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFE0\n:00000001FF\n";
    const std::string found = "%F: 4 records, 0 wrong, 0 lines not well-formed records, ";
    // --info: a right file, its two data records one range; one with every finding it reports.
    const std::string clean = ":020000040800F2\r\n:080000000102030405060708D4\r\n"
                              ":04000800090A0B0CCA\r\n:040000050800018965\r\n:00000001FF\r\n";
    const std::string problems = ":020000021000EC\n:10FFF800000102030405060708090A0B0C0D0E0F81\n"
                                 ":020008001122c3\n:0100080011e6\r\n:0100090012e4\n:0300\n"
                                 ":00000001FF\n:0100100011DE\n";
    // Data up to 0xFFFFFFFF in three runs, the last two inside the first.
    const std::string top =
        ":02000004FFFFFC\n:10FFF000000102030405060708090A0B0C0D0E0F89\n"
        ":04FFF80008090A0BDF\n:02000004FFFFFC\n:04FFFC000C0D0E0FCB\n:00000001FF\n";
    // A start address as segment and offset (type 03), in lower case.
    const std::string segmentStart = ":0100000000FF\n:04000003f000fff01a\n:00000001FF\n";
    // Records of types none of 00 to 05: three of type 06, one of type 0A between them.
    const std::string otherTypes = ":0100000011EE\n:0100000601F8\n:0200000A99005B\n:0100010602F6\n"
                                   ":0100020603F4\n:00000001FF\n";
    // Addresses unknown after line 2 (a record one character short; an address record of 3
    // bytes): line 3's data, placed as if line 2 were not there, lies on line 1's.
    const std::string shortRecord =
        ":0400000001020304F2\n:030000000102031\n:0400000005060708DA\n:00000001FF\n";
    const std::string longAddress =
        ":0400000001020304F2\n:03000004000000F9\n:0400000005060708DA\n:00000001FF\n";
    std::string cleanMap = "%F: range 0x08000000-0x0800000B, size 12" + END +
                           "%F: start address 0x08000189 (type 05)" + END +
                           "%F: records 00: 2, 01: 1, 02: 0, 03: 0, 04: 1, 05: 1" + END +
                           "%F: upper case: 4 records, lower case: 0" + END +
                           "%F: line ends CR LF: 5, LF: 0, CR: 0, NUL: 0" + END;
    std::string badChecksum = FAULT + CHECKSUM_NAME,
                setSummary = ", 0 corrected, 0 lines left unchanged",
                cycle =
                    ": the range of each holds the place of the next, the last one's that of the "
                    "first, so no order can store them";
    // Wrong checksums on lines of one to three digits, one after another and far apart.
    std::string numbered, numberedOut, numberedReport;
    for (int line = 1; line <= 195; ++line) {
        bool wrong = line <= 11 || line == 100 || line == 195;
        numbered += wrong ? ":0000000100\n" : "; x\n";
        numberedOut += wrong ? ":00000001FF\n" : "; x\n";
        if (wrong) numberedReport += at(line) + "checksum 00 corrected to FF" + END;
    }
    std::string refused = FAILED + "%F: ", bad = FAULT + SET_NAME,
                checked = ", 0 wrong, 0 lines not well-formed records, ";
    // A row, or two, for each case.
    const std::string gap = ":10000000000102030405060708090a0b0c0d0e0f78\n"
                            ":10002000202122232425262728292a2b2c2d2e2f58\n:00000001ff\n";
    const std::string pages = ":020000040000FA\r\n:10FFE000000102030405060708090A0B0C0D0E0F99\r\n"
                              ":10000000000102030405060708090A0B0C0D0E0F78\r\n:00000001FF\r\n";
    const std::string segments =
        ":020000021000EC\r\n:10000000000102030405060708090A0B0C0D0E0F78\r\n"
        ":00000001FF\r\n";
    const std::string image2 = ":10000000000102030405060708090A0B0C0D0E0F78\r\n"
                               ":10001000101112131415161718191A1B1C1D1E1F68\r\n:00000001FF\r\n";
    // clang-format off
    return {
        {"set, across two records", {SET, "0x0800FFF2=AABB0c", SET, "0x0800FFF0=11"}, serialRight, set, 0,
         at(2) + "set 0x0800FFF0" + END + at(2) + "set 0x0800FFF2 to 0x0800FFF3" + END + at(3) +
         "set 0x0800FFF4" + END + "%F: 4 records, 2 set" + setSummary + END, ""},
        {"set, the file right otherwise", {SET, "0x0800FFF4=AB"}, mixedCase,
         ":020000040800F2\r\n:04FFF00011ADAABBEA // serial\r\n:02fff400AB025E\r\n:00000001FF\r\n", 0,
         at(3) + "set 0x0800FFF4" + END + "%F: 4 records, 1 set, 0 corrected, 0 lines left unchanged" + END, ""},
        {"set, a byte in no record", {SET, "0x0800FFF0=11", SET, "134283254=01"}, serialRight, serialRight, 1, "",
         refused + "0x0800FFF6 is in no data record, nothing set" + END},
        {"set, a byte in two records that agree", {SET, "8=FF"}, twice, twice, 1, "",
         refused + "0x00000008 is in the data records of lines 1 and 2, nothing set" + END},
        {"set, an address record of 3 bytes", {SET, "8=FF"}, layout, layout, 1, "",
         refused + "line 4 is a type 04 record with 3 data bytes, not 2, so no address after it is known, nothing set" + END},
        {"set, where a segment's data wraps", {SET, "0x20000=AA"}, wraps, wraps, 1, "",
         refused + "0x00020000 is in no data record, nothing set" + END},
        // A file with a wrong checksum is no image to stamp: each call by address refuses it.
        {"set, a wrong checksum elsewhere", {SET, "0x0800FFF0=11"}, serial, serial, 1, "",
         refused + "line 4 has a wrong checksum, so its data cannot be trusted, nothing set; repair the file first with: checksumme %F" + END},
        {"get, a wrong checksum elsewhere", {GET, "0x0800FFF0:1"}, serial, serial, 1, "",
         refused + "line 4 has a wrong checksum, so its data cannot be trusted, nothing read; repair the file first with: checksumme %F" + END},
        {"set, a value in place already: not set again", {SET, "0x0800FFF4=0C"}, set, set, 0,
         at(3) + "0x0800FFF4 holds 0C, as set" + END + "%F: 4 records, 0 set" + setSummary + END, ""},
        {"strict, data that wraps", {STRICT}, wraps, wraps, 2,
         at(2) + "data wraps within its 64 KiB segment to 0x00010000" + END + "%F: 3 records" + checked + "1 structure finding" + END, ""},
        {"set, no ADDRESS=BYTES", {SET, "0x10=ABC"}, serial, serial, 1, "",
         bad + "0x10=ABC: not ADDRESS=BYTES, ADDRESS=TYPE:NUMBER or ADDRESS=str:TEXT (ADDRESS up to 0xFFFFFFFF, 1 to 255 bytes)" + FAULT_END},
        {"set, typed values", {SET, "0x0800FFF0=u32le:0x11223344", SET, "0x0800FFF4=str:A"}, serialRight,
         ":020000040800F2\r\n:04FFF0004433221163 // serial\r\n:02fff4004102c8\r\n:00000001FF\r\n", 0,
         at(2) + "set 0x0800FFF0 to 0x0800FFF3" + END + at(3) + "set 0x0800FFF4" + END +
         "%F: 4 records, 2 set" + setSummary + END, ""},
        {"set, a number that does not fit its type", {SET, "0=u16be:65536"}, serial, serial, 1, "",
         bad + "0=u16be:65536: the number does not fit its type" + FAULT_END},
        {"set, values that overlap", {SET, "0x11=CC", SET, "0x10=AABB"}, serial, serial, 1, "",
         bad + "0x10=AABB and 0x11=CC overlap" + FAULT_END},
        {"set, an ambiguous address", {SET, "08001000=AA"}, serial, serial, 1, "",
         bad + "08001000=AA: 08001000 is ambiguous; write 0x08001000 for a hexadecimal address" + FAULT_END},
        {"set checked: the bytes as set", {CHECK, SET, "0x0800FFF0=11ADAABB"}, set, set, 0,
         at(2) + "0x0800FFF0 holds 11 AD AA BB, as set" + END + "%F: 4 records" + checked + "0 set values differ" + END, ""},
        {"set checked: another byte held", {SET, "0x0800FFF4=u8:1", CHECK}, set, set, 2,
         at(3) + "0x0800FFF4 holds 0C, not 01" + END + "%F: 4 records" + checked + "1 set value differs" + END, ""},
        {"set checked: a byte in no record", {CHECK, SET, "1=01"}, set, set, 1, "",
         refused + "0x00000001 is in no data record, no bytes compared" + END},
        {"set with a strict check", {SET, "1=01", STRICT}, serial, serial, 1, "",
         FAULT + STRICT + " and " + SET_NAME + "do not go together" + FAULT_END},
        {"get bytes and numbers", {GET, "0x0800FFF0:4", GET, "0x0800FFF0:u32be", GET, "0x0800FFF4:u8"}, set, set, 0,
         at(2) + "0x0800FFF0 = 11 AD AA BB" + END + at(2) + "0x0800FFF0 = 296594107" + END + at(3) + "0x0800FFF4 = 12" + END, ""},
        {"get, quiet: the value alone", {QUIET, GET, "0x0800FFF0:u16le"}, set, set, 0, "44305" + END, ""},
        {"get, a byte in no record", {GET, "1:2"}, set, set, 1, "", refused + "0x00000001 is in no data record, nothing read" + END},
        {"get, the first byte in no record named", {GET, "0x0800FFF4:4"}, set, set, 1, "",
         refused + "0x0800FFF6 is in no data record, nothing read" + END},
        {"get, quiet, in the order given", {QUIET, CHECKSUM, "crc32:0x0800FFF0-0x0800FFF3", GET, "0x0800FFF0:u16le"}, set, set, 0,
         "0x101A1FB2" + END + "44305" + END, ""},
        {"get, quiet, of two files: each led by its name", {QUIET, GET, "0x0800FFF4:1", "%F"}, set, set, 0,
         "%F: 0C" + END + "%F: 0C" + END, ""},
        {"get, in a malformed record", {GET, "1:1"}, malformed, malformed, 1, "",
         refused + "line 1 is not a well-formed record, so no address after it is known, nothing read" + END},
        {"get, no ADDRESS:COUNT", {GET, "1:256"}, set, set, 1, "",
         FAULT + GET_NAME + "1:256: not ADDRESS:COUNT (1 to 255 bytes) or ADDRESS:TYPE (u8, u16le, u16be, u32le, u32be, u64le, u64be)" + FAULT_END},
        {"get in a call that writes", {GET, "1:2", SET, "1=01"}, set, set, 1, "",
         FAULT + GET_NAME + "1:2: reads, and not in a call that writes (with a check it reads)" + FAULT_END},
        {"set, past 0xFFFFFFFF", {SET, "0xFFFFFFFF=0102"}, serial, serial, 1, "",
         bad + "0xFFFFFFFF=0102: the bytes run past 0xFFFFFFFF" + FAULT_END},
        {"set, only after the end-of-file record", {SET, "0x10=AA"}, lateData, lateData, 1, "",
         refused + "0x00000010 is in no data record (line 3 is after the end-of-file record), nothing set" + END},
        {"set, in a malformed record", {SET, "1=AA"}, malformed, malformed, 1, "",
         refused + "line 1 is not a well-formed record, so no address after it is known, nothing set" + END},
        {"set, lower case", {SET, "1=aa"}, lower, ":0400000001aa03044a\n:00000001ff", 0,
         at(1) + "set 0x00000001" + END + "%F: 2 records, 1 set, 0 corrected, 0 lines left unchanged" + END, ""},
        {"set, the only letters of a lower-case record", {SET, "0=12"}, ":01000000ab54\n:00000001ff\n",
         ":0100000012ed\n:00000001ff\n", 0,
         at(1) + "set 0x00000000" + END + "%F: 2 records, 1 set, 0 corrected, 0 lines left unchanged" + END, ""},
        {"set, the value after =", {SET + "=0x0800FFF4=0c"}, set, set, 0,
         at(3) + "0x0800FFF4 holds 0C, as set" + END + "%F: 4 records, 0 set, 0 corrected, 0 lines left unchanged" + END, ""},
        {"set, the last record without a line end", {SET, "1=AA"}, ":0100000011EE\r\n:0100010000FE",
         ":0100000011EE\r\n:01000100AA54\r\n", 0,
         at(2) + "set 0x00000001" + END + at(2) + "line end added" + END +
         "%F: 2 records, 1 set, 0 corrected, 0 lines left unchanged" + END, ""},
        {"set, a file with a malformed line", {SET, "0=AA"}, ":0100000000FF\n:0200\n", ":0100000000FF\n:0200\n", 1, "",
         refused + "line 2 is not a well-formed record, so no address after it is known, nothing set" + END},
        {"set, with a value given twice", {SET, "0x11=CC", SET + "=0x10=AABB"}, serial, serial, 1, "",
         bad + "0x10=AABB and 0x11=CC overlap" + FAULT_END},
        {"check, a short line first", {CHECK}, "\xEF\xBB\xBF:1000\r\n", "\xEF\xBB\xBF:1000\r\n", 2,
         at(1) + "not a well-formed record (5 characters, the byte count asks for 43)" + END + at(1) + "no records" +
         END + "%F: 0 records, 0 wrong, 1 line not a well-formed record" + END, ""},
        {"check, no records", {CHECK}, "text\n", "text\n", 2,
         at(1) + "no records" + END + "%F: 0 records, 0 wrong, 0 lines not well-formed records" + END, ""},
        {"patch, no records", {}, "", "", 2,
         at(1) + "no records" + END + "%F: 0 records, 0 corrected, 0 lines left unchanged" + END, ""},
        {"strict, all right", {STRICT}, set, set, 0, "%F: 4 records" + checked + "0 structure findings" + END, ""},
        {"strict, every finding", {STRICT}, layout, layout, 2,
         at(1) + "record type 0A is none of 00 to 05" + END + at(3) + "data at 0x00000008 that line 2 holds already" +
         END + at(4) + "record type 04 with 3 data bytes, should have 2" + END + at(6) +
         "record after the end-of-file record of line 5" + END + "%F: 6 records" + checked + "4 structure findings" + END, ""},
        {"strict, no end-of-file record", {STRICT}, ":0100000000FF\n", ":0100000000FF\n", 2,
         at(1) + "no end-of-file record" + END + "%F: 1 record" + checked + "1 structure finding" + END, ""},
        {"strict, lines and records other tools refuse", {STRICT}, refusedLines, refusedLines, 2,
         at(1) + "not a record" + END + at(2) + "not a record" + END + at(3) +
         "record type 04 with an address other than 0000" + END + at(5) +
         "data up to 0x100000001, past 0xFFFFFFFF" + END + "%F: 4 records" + checked + "4 structure findings" + END, ""},
        {"strict, no data records", {STRICT}, ":00000001FF\n", ":00000001FF\n", 2,
         at(1) + "no data records" + END + "%F: 1 record" + checked + "1 structure finding" + END, ""},
        {"check, the same layout", {CHECK}, layout, layout, 0, "%F: 6 records, 0 wrong, 0 lines not well-formed records" + END, ""},
        // With -o the input stays, and %O holds the result; what fails leaves no %O.
        {"output, patched", {OUTPUT, "%O"}, serial, serial, 0,
         "%O" + AT_LINE + "4" + AT_LINE_END + "checksum 00 corrected to ff" + END +
         "%O: 4 records, 1 corrected, 0 lines left unchanged" + END, "", ":020000040800F2\r\n:04FFF000DEADBEEFD5 // serial\r\n"
         ":02fff400010208\r\n:00000001ff\r\n"},
        {"output, set and stored, quiet", {CHECKSUM, "crc32:0-15@16", "--output=%O", QUIET}, image, image, 0, "", "", imageStored},
        {"output, nothing to change", {OUTPUT, "%O", QUIET}, set, set, 0, "", "", set},
        {"output, the edit refused: the input named", {SET, "0x20000=AA", OUTPUT, "%O"}, wraps, wraps, 1, "",
         FAILED + "%F: 0x00020000 is in no data record, nothing set" + END},
        {"output, a file without records, quiet", {QUIET, OUTPUT, "%O"}, "\x7F" "ELF\x01\n", "\x7F" "ELF\x01\n", 2, "",
         FAILED + "%O: no records" + END, "\x7F" "ELF\x01\n"},
        {"output, a line left as it was, quiet", {OUTPUT, "%O", QUIET}, lateData + ":0200\n", lateData + ":0200\n", 2, "",
         FAILED + "%O: 1 line left unchanged" + END, lateData + ":0200\n"},
        {"output, the input itself", {OUTPUT, "%F"}, set, set, 1, "",
         FAULT + OUTPUT_NAME + "%F: is the input file itself; leave out " + OUTPUT_NAME + "to edit it in place" + FAULT_END},
        {"output, with a check", {CHECK, OUTPUT, "%O"}, set, set, 1, "",
         FAULT + OUTPUT_NAME + "%O: only with a call that writes (patching, " + SET_NAME.substr(0, SET_NAME.size() - 1) + ", " + CHECKSUM_NAME.substr(0, CHECKSUM_NAME.size() - 1) +
         " with @ADDRESS)" + FAULT_END},
        {"output, two inputs", {OUTPUT, "%O", "%F"}, set, set, 1, "", FAULT + OUTPUT_NAME + "%O: takes exactly one input file" + FAULT_END},
        {"output, twice", {OUTPUT, "%O", OUTPUT, "%O"}, set, set, 1, "",
         FAULT + OUTPUT_NAME + "%O and " + OUTPUT_NAME + "%O: one output file only" + FAULT_END},
        {"checksum, stored little-endian", {CHECKSUM, "crc32:0-15@16"}, image, imageStored, 0,
         at(2) + "set 0x00000010 to 0x00000013" + END + at(2) + crc + ", stored at 0x00000010 (little-endian)" + END +
         "%F: 3 records, 1 set" + setSummary + END, ""},
        {"checksum, checked, the algorithm named as given", {CHECK, CHECKSUM, "CRC-32/ISO-HDLC:0x0-0x0F@0x10"}, imageStored, imageStored, 0,
         at(2) + "CRC-32/ISO-HDLC" + crc.substr(5) + ", as stored at 0x00000010 (little-endian)" + END +
         "%F: 3 records, 0 wrong, 0 lines not well-formed records, 0 checksum values differ" + END, ""},
        {"checksum, checked big-endian: another value", {CHECK, "--checksum=crc32:0-15@16:be"}, imageStored, imageStored, 2,
         at(2) + crc + ", but 0x88E2CECE is stored at 0x00000010 (big-endian)" + END +
         "%F: 3 records, 0 wrong, 0 lines not well-formed records, 1 checksum value differs" + END, ""},
        {"checksum, over a gap with the fill byte, big-endian", {CHECKSUM, "sum16:0-0x1F@0x20:be", FILL, "0x01"},
         twoPlaces, ":10000000000102030405060708090A0B0C0D0E0F78\n:04001000FFFFFFFFF0\n:0200200004805A\n:00000001FF\n", 0,
         at(3) + "set 0x00000020 to 0x00000021" + END + at(3) +
         "sum16 of 0x00000000-0x0000001F = 0x0480, stored at 0x00000020 (big-endian)" + END +
         "%F: 4 records, 1 set" + setSummary + END, ""},
        {"checksum, after bytes set", {SET, "0=FF", CHECKSUM, "crc32:0-15@16"}, image,
         ":10000000FF0102030405060708090A0B0C0D0E0F79\n:040010005FDBBFC330\n:00000001FF\n", 0,
         at(1) + "set 0x00000000" + END + at(2) + "set 0x00000010 to 0x00000013" + END + at(2) +
         "crc32 of 0x00000000-0x0000000F = 0xC3BFDB5F, stored at 0x00000010 (little-endian)" + END +
         "%F: 3 records, 2 set" + setSummary + END, ""},
        {"checksum, over a range that holds another's value", {CHECKSUM, "crc16-xmodem:0-15@16", CHECKSUM, "sum8:0-0x11@0x20"},
         twoPlaces, ":10000000000102030405060708090A0B0C0D0E0F78\n:040010003D51FFFF60\n:0200200006FFD9\n:00000001FF\n", 0,
         at(2) + "set 0x00000010 to 0x00000011" + END + at(3) + "set 0x00000020" + END + at(2) +
         "crc16-xmodem of 0x00000000-0x0000000F = 0x513D, stored at 0x00000010 (little-endian)" + END + at(3) +
         "sum8 of 0x00000000-0x00000011 = 0x06, stored at 0x00000020" + END +
         "%F: 4 records, 2 set" + setSummary + END, ""},
        {"checksum, a range that holds a later value's place: that value first", {CHECKSUM, "sum8:0-0x11@0x20", CHECKSUM, "crc16-xmodem:0-15@16"},
         twoPlaces, twoStored, 0,
         at(2) + "set 0x00000010 to 0x00000011" + END + at(3) + "set 0x00000020" + END + at(3) +
         "sum8 of 0x00000000-0x00000011 = 0x06, stored at 0x00000020" + END + at(2) +
         "crc16-xmodem of 0x00000000-0x0000000F = 0x513D, stored at 0x00000010 (little-endian)" + END +
         "%F: 4 records, 2 set" + setSummary + END, ""},
        {"checksum, checked with the same values", {CHECK, CHECKSUM, "sum8:0-0x11@0x20", CHECKSUM, "crc16-xmodem:0-15@16"},
         twoStored, twoStored, 0,
         at(3) + "sum8 of 0x00000000-0x00000011 = 0x06, as stored at 0x00000020" + END + at(2) +
         "crc16-xmodem of 0x00000000-0x0000000F = 0x513D, as stored at 0x00000010 (little-endian)" + END +
         "%F: 4 records, 0 wrong, 0 lines not well-formed records, 0 checksum values differ" + END, ""},
        {"checksum, stored already: nothing written", {CHECKSUM, "crc32:0-15@16"}, imageStored, imageStored, 0,
         at(2) + crc + ", as stored at 0x00000010 (little-endian)" + END + "%F: 3 records, 0 set" + setSummary + END, ""},
        {"checksum, ranges that hold each other's places", {CHECKSUM, "sum8:0-0x10@0x20", CHECKSUM, "sum8:0x20-0x20@0x10"},
         twoPlaces, twoPlaces, 1, "",
         badChecksum + "sum8:0-0x10@0x20 and sum8:0x20-0x20@0x10" + cycle + FAULT_END},
        {"checksum, places that overlap", {CHECKSUM, "crc32:0-15@0x10", CHECKSUM, "sum8:0-15@0x12"}, image, image, 1, "",
         badChecksum + "crc32:0-15@0x10 and sum8:0-15@0x12: their places overlap" + FAULT_END},
        {"checksum, a --set value at its place", {CHECKSUM, "crc32:0-15@0x10", SET, "0x13=00"}, image, image, 1, "",
         bad + "0x13=00 overlaps the place of the checksum crc32:0-15@0x10" + FAULT_END},
        {"checksum, a record one digit short in its range", {CHECKSUM, "crc32:0-15@0x10"},
         ":0F000000000102030405060708090A0B0C0D0E0F78\n:04001000FFFFFFFFF0\n:00000001FF\n",
         ":0F000000000102030405060708090A0B0C0D0E0F78\n:04001000FFFFFFFFF0\n:00000001FF\n", 1, "",
         refused + "line 1 is not a well-formed record, so no address after it is known, nothing set" + END},
        {"checksum, checked: records that agree", {CHECK, CHECKSUM, "sum8:8-8@0x10"}, twice, twice, 2,
         at(3) + "sum8 of 0x00000008-0x00000008 = 0x11, but 0xFF is stored at 0x00000010" + END +
         "%F: 4 records, 0 wrong, 0 lines not well-formed records, 1 checksum value differs" + END, ""},
        {"checksum, its place in no record", {CHECKSUM, "crc32:0-15@0x40"}, image, image, 1, "",
         refused + "0x00000040 is in no data record, nothing set" + END},
        {"checksum, checked: its place in no record", {CHECK, CHECKSUM, "crc32:0-15@0x40"}, image, image, 1, "",
         refused + "0x00000040 is in no data record, no checksum to compare" + END},
        {"checksum, bytes that records hold with different values", {CHECKSUM, "sum32:0-3@16"}, conflicting, conflicting, 1, "",
         refused + "0x00000000 is in the data records of lines 1 and 2 with different values, nothing set" + END},
        {"checksum, an algorithm in upper case", {CHECKSUM, "CRC32:0-15@16"}, image, imageStored, 0,
         at(2) + "set 0x00000010 to 0x00000013" + END + at(2) + "CRC32" + crc.substr(5) +
         ", stored at 0x00000010 (little-endian)" + END + "%F: 3 records, 1 set" + setSummary + END, ""},
        {"checksum, an @ without a place", {CHECKSUM, "crc32:0-15@"}, image, image, 1, "",
         badChecksum + "crc32:0-15@: not ALGORITHM:START-END[@ADDRESS or =VALUE]" + FAULT_END},
        {"checksum printed, nothing written", {CHECKSUM, "crc32:0-15"}, image, image, 0,
         "%F: " + crc + END, ""},
        {"checksum printed, quiet: the value alone", {QUIET, CHECKSUM, "crc32:0-15", CHECKSUM, "sum8:0-1"},
         image, image, 0, "0xCECEE288" + END + "0x01" + END, ""},
        {"checksum printed, quiet, with one stored", {QUIET, CHECKSUM, "crc32:0-15@16", CHECKSUM, "crc32:0-15"},
         image, imageStored, 0, "0xCECEE288" + END, ""},
        {"checksum, a range that holds no data byte", {CHECKSUM, "crc32:0x100-0x1FF"}, image, image, 1, "",
         refused + "no data record holds a byte of 0x00000100-0x000001FF, nothing read" + END},
        {"checksum checked, a range that holds no data byte", {CHECK, CHECKSUM, "crc32:0-3+0x100-0x1FF@16"}, image, image, 1, "",
         refused + "no data record holds a byte of 0x00000100-0x000001FF, nothing compared" + END},
        {"checksum printed after one stored in its range", {CHECKSUM, "sum8:0-0x13", CHECKSUM, "crc16-xmodem:0-15@16"},
         twoPlaces, twoStoredXmodem, 0,
         at(2) + "set 0x00000010 to 0x00000011" + END +
         "%F: sum8 of 0x00000000-0x00000013 = 0x04" + END + at(2) +
         "crc16-xmodem of 0x00000000-0x0000000F = 0x513D, stored at 0x00000010 (little-endian)" + END +
         "%F: 4 records, 1 set" + setSummary + END, ""},
        {"checksum, a header CRC with a hole for its place", {CHECKSUM, "crc32:0-3+8-15@4"}, image,
         ":1000000000010203B2A5275B08090A0B0C0D0E0FB5\n:04001000FFFFFFFFF0\n:00000001FF\n", 0,
         at(1) + "set 0x00000004 to 0x00000007" + END + at(1) +
         "crc32 of 0x00000000-0x00000003+0x00000008-0x0000000F = 0x5B27A5B2, stored at 0x00000004 (little-endian)" +
         END + "%F: 3 records, 1 set" + setSummary + END, ""},
        {"checksum, the negated sum of words", {CHECKSUM, "sum32/w32le/neg:0-0x0B@0x0C"}, image,
         ":10000000000102030405060708090A0BF4F0EDEAF3\n:04001000FFFFFFFFF0\n:00000001FF\n", 0,
         at(1) + "set 0x0000000C to 0x0000000F" + END + at(1) +
         "sum32/w32le/neg of 0x00000000-0x0000000B = 0xEAEDF0F4, stored at 0x0000000C (little-endian)" + END +
         "%F: 3 records, 1 set" + setSummary + END, ""},
        {"checksum, a CRC parameter wider than the CRC", {CHECKSUM, "crc-16/poly=0x18005:0-15"}, image, image, 1, "",
         badChecksum + "crc-16/poly=0x18005:0-15: 0x18005 is wider than the checksum" + FAULT_END},
        {"checksum, a negated CRC", {CHECKSUM, "crc32/neg:0-15"}, image, image, 1, "",
         badChecksum + "crc32/neg:0-15: /neg is for sums" + FAULT_END},
        {"checksum, a range not of whole words", {CHECKSUM, "sum16/w16le:0-15+0-2"}, image, image, 1, "",
         badChecksum + "sum16/w16le:0-15+0-2: a range is not whole words" + FAULT_END},
        {"checksum, START after END", {CHECKSUM, "crc32:16-0@32"}, image, image, 1, "",
         badChecksum + "crc32:16-0@32: START is after END" + FAULT_END},
        {"checksum, its place in the range", {CHECKSUM, "crc32:0-16@16"}, image, image, 1, "",
         badChecksum + "crc32:0-16@16: the value's bytes at ADDRESS overlap START-END" + FAULT_END},
        {"checksum, another byte order", {CHECKSUM, "crc32:0-15@16:le"}, image, image, 1, "",
         badChecksum + "crc32:0-15@16:le: only :be (big-endian) may follow ADDRESS" + FAULT_END},
        {"checksum, its bytes past 0xFFFFFFFF", {CHECKSUM, "crc32:0-15@0xFFFFFFFE"}, image, image, 1, "",
         badChecksum + "crc32:0-15@0xFFFFFFFE: an address or the value's bytes past 0xFFFFFFFF" + FAULT_END},
        {"checksum, an ambiguous address", {CHECKSUM, "crc32:0-15@016"}, image, image, 1, "",
         badChecksum + "crc32:0-15@016: 016 is ambiguous; write 0x016 for a hexadecimal address" + FAULT_END},
        {"checksum, a decimal fill byte", {CHECKSUM, "crc32:0-15@16", FILL, "255"}, image, image, 1, "",
         FAULT + FILL + " 255: not a byte; write two hexadecimal digits (FF), or 0x and one or two (0xFF)" + FAULT_END},
        {"fill without a checksum", {FILL, "FF"}, image, image, 1, "",
         FAULT + FILL + " FF: fills the gaps of a " + CHECKSUM_NAME + "range, and none is given" + FAULT_END},
        {"checksum with a strict check", {STRICT, CHECKSUM, "crc32:0-15@16", SET, "0=00"}, image, image, 1, "",
         FAULT + STRICT + " and " + CHECKSUM_NAME + "do not go together" + FAULT_END},
        {"info, every finding", {INFO}, problems, problems, 1,
         at(2) + "data wraps within its 64 KiB segment to 0x00010000" + END + at(4) +
         "data at 0x00010008 that line 3 holds already, with the same values" + END + at(5) +
         "data at 0x00010009 that line 3 holds already, with other values" + END + at(6) +
         "not a well-formed record (5 characters, the byte count asks for 17)" + END + at(8) +
         "record after the end-of-file record of line 7" + END +
         "%F: records 00: 5, 01: 1, 02: 1, 03: 0, 04: 0, 05: 0" + END + "%F: upper case: 4 records, lower case: 3" + END +
         "%F: line ends CR LF: 1, LF: 7, CR: 0, NUL: 0" + END,
         refused + "line 6 is not a well-formed record, so no address after it is known, no map" + END},
        {"info, quiet: the same", {QUIET, INFO}, clean, clean, 0, cleanMap, ""},
        // (At an even place, counted from 0, which a row added above moves: the missing file named
        // first, its failure comes first on Windows too.)
        {"info, a file that cannot be read first", {INFO, "absent.hex"}, clean, clean, 1, cleanMap, FAILED + NOT_FOUND + END},
        {"info with a check", {INFO, CHECK}, clean, clean, 1, "", FAULT + INFO + " takes no option but " + QUIET + FAULT_END},
        {"info, data up to 0xFFFFFFFF: one range", {INFO}, top, top, 0,
         at(3) + "data at 0xFFFFFFF8 that line 2 holds already, with the same values" + END + at(5) +
         "data at 0xFFFFFFFC that line 2 holds already, with the same values" + END + "%F: range 0xFFFFFFF0-0xFFFFFFFF, size 16" + END +
         "%F: records 00: 3, 01: 1, 02: 0, 03: 0, 04: 2, 05: 0" + END + "%F: upper case: 6 records, lower case: 0" + END +
         "%F: line ends CR LF: 0, LF: 6, CR: 0, NUL: 0" + END, ""},
        {"info, other record types: a line for each type", {INFO}, otherTypes, otherTypes, 0,
         "%F: range 0x00000000-0x00000000, size 1" + END + "%F: records 00: 1, 01: 1, 02: 0, 03: 0, 04: 0, 05: 0" + END +
         "%F: 3 records of type 06, the first at line 2, a type none of 00 to 05" + END +
         "%F: 1 record of type 0A, at line 3, a type none of 00 to 05" + END + "%F: upper case: 6 records, lower case: 0" + END +
         "%F: line ends CR LF: 0, LF: 6, CR: 0, NUL: 0" + END, ""},
        {"strict, other record types: a line for each record", {STRICT}, otherTypes, otherTypes, 2,
         at(2) + "record type 06 is none of 00 to 05" + END + at(3) + "record type 0A is none of 00 to 05" + END + at(4) +
         "record type 06 is none of 00 to 05" + END + at(5) + "record type 06 is none of 00 to 05" + END +
         "%F: 6 records" + checked + "4 structure findings" + END, ""},
        {"info, a record one character short: no map", {INFO}, shortRecord, shortRecord, 1,
         at(2) + "not a well-formed record (16 characters, the byte count asks for 17)" + END + at(3) +
         "data at 0x00000000 that line 1 holds already" + END + "%F: records 00: 2, 01: 1, 02: 0, 03: 0, 04: 0, 05: 0" + END +
         "%F: upper case: 3 records, lower case: 0" + END + "%F: line ends CR LF: 0, LF: 4, CR: 0, NUL: 0" + END,
         refused + "line 2 is not a well-formed record, so no address after it is known, no map" + END},
        {"info, an address record of 3 bytes: no map", {INFO}, longAddress, longAddress, 1,
         at(2) + "record type 04 with 3 data bytes, should have 2" + END + at(3) + "data at 0x00000000 that line 1 holds already" + END +
         "%F: records 00: 2, 01: 1, 02: 0, 03: 0, 04: 1, 05: 0" + END + "%F: upper case: 4 records, lower case: 0" + END +
         "%F: line ends CR LF: 0, LF: 4, CR: 0, NUL: 0" + END,
         refused + "line 2 is a type 04 record with 3 data bytes, not 2, so no address after it is known, no map" + END},
        {"info, a start address of type 03", {INFO}, segmentStart, segmentStart, 0,
         "%F: range 0x00000000-0x00000000, size 1" + END + "%F: start address 0xF000:0xFFF0 = 0x000FFFF0 (type 03)" + END +
         "%F: records 00: 1, 01: 1, 02: 0, 03: 1, 04: 0, 05: 0" + END + "%F: upper case: 2 records, lower case: 1" + END +
         "%F: line ends CR LF: 0, LF: 3, CR: 0, NUL: 0" + END, ""},
        // Names inside values in any case; each refused value its own line, whatever its width.
        {"checksum, its parts and suffix in upper case", {CHECKSUM, "SUM16/W16LE/NEG:0-0xF@0x10:BE"}, image,
         ":10000000000102030405060708090A0B0C0D0E0F78\n:04001000BFC8FFFF67\n:00000001FF\n", 0,
         at(2) + "set 0x00000010 to 0x00000011" + END + at(2) + "SUM16/W16LE/NEG of 0x00000000-0x0000000F = 0xBFC8, "
         "stored at 0x00000010 (big-endian)" + END + "%F: 3 records, 1 set" + setSummary + END, ""},
        {"set, types in upper case", {SET, "0x0800FFF0=U32LE:0x11223344", SET, "0x0800FFF4=STR:A"}, serialRight,
         ":020000040800F2\r\n:04FFF0004433221163 // serial\r\n:02fff4004102c8\r\n:00000001FF\r\n", 0,
         at(2) + "set 0x0800FFF0 to 0x0800FFF3" + END + at(3) + "set 0x0800FFF4" + END +
         "%F: 4 records, 2 set" + setSummary + END, ""},
        {"get, quiet, a type in upper case", {QUIET, GET, "0x0800FFF0:U16LE"}, set, set, 0, "44305" + END, ""},
        {"set, a 64-bit number that does not fit", {SET, "0=u64le:18446744073709551616"}, serial, serial, 1, "",
         bad + "0=u64le:18446744073709551616: the number does not fit its type" + FAULT_END},
        {"set, a typed number with a leading 0", {SET, "0=u16le:0100"}, serial, serial, 1, "",
         bad + "0=u16le:0100: 0100 is ambiguous; write 0x0100 for a hexadecimal number" + FAULT_END},
        {"set, an address past 0xFFFFFFFF", {SET, "0x100000000=00"}, serial, serial, 1, "",
         bad + "0x100000000=00: the bytes run past 0xFFFFFFFF" + FAULT_END},
        {"get, an ambiguous address", {GET, "010:2"}, set, set, 1, "",
         FAULT + GET_NAME + "010:2: 010 is ambiguous; write 0x010 for a hexadecimal address" + FAULT_END},
        {"get, an ambiguous COUNT", {GET, "0x10:010"}, set, set, 1, "",
         FAULT + GET_NAME + "0x10:010: 010 is ambiguous; write 0x010 for a hexadecimal number" + FAULT_END},
        {"get, past 0xFFFFFFFF", {GET, "0xFFFFFFFF:u16le"}, set, set, 1, "",
         FAULT + GET_NAME + "0xFFFFFFFF:u16le: the bytes run past 0xFFFFFFFF" + FAULT_END},
        {"checksum, an address of more than 64 bits", {CHECKSUM, "crc32:0-99999999999999999999@16"}, image, image, 1, "",
         badChecksum + "crc32:0-99999999999999999999@16: an address or the value's bytes past 0xFFFFFFFF" + FAULT_END},
        {"checksum, three values in a cycle", {CHECKSUM, "sum8:0x20-0x20@0x10", CHECKSUM, "sum8:0x10-0x10@0x30", CHECKSUM,
         "sum8:0x30-0x30@0x20"}, image, image, 1, "",
         badChecksum + "sum8:0x20-0x20@0x10, sum8:0x30-0x30@0x20 and sum8:0x10-0x10@0x30" + cycle + FAULT_END},
        {"checksum, a value that waits for a cycle", {CHECKSUM, "sum8:0x10-0x10@0x40", CHECKSUM, "sum8:0x20-0x20@0x10",
         CHECKSUM, "sum8:0x10-0x10@0x20"}, image, image, 1, "",
         badChecksum + "sum8:0x20-0x20@0x10 and sum8:0x10-0x10@0x20" + cycle + FAULT_END},
        {"output, the next argument whole", {CHECK, OUTPUT, "--fill=01"}, set, set, 1, "",
         FAULT + OUTPUT_NAME + "--fill=01: only with a call that writes (patching, " + SET_NAME.substr(0, SET_NAME.size() - 1) +
         ", " + CHECKSUM_NAME.substr(0, CHECKSUM_NAME.size() - 1) + " with @ADDRESS)" + FAULT_END},
        {"patch, line numbers of one to three digits", {}, numbered, numberedOut, 0,
         numberedReport + "%F: 13 records, 13 corrected, 0 lines left unchanged" + END, ""},
        {"check, quiet: the findings in one line", {QUIET, CHECK, CHECKSUM, "crc32:0-15@16"}, image, image, 2, "",
         refused + "1 checksum value differs" + END},
        // Records added where no record holds a byte, in the file's own style; every line stays.
        {"pad, a gap between records, lower case and LF", {"--pad", "0x10-0x1F", QUIET}, gap, gap.substr(0, 44) +
         ":10001000fffffffffffffffffffffffffffffffff0\n" + gap.substr(44), 0, "", ""},
        {"pad, across 64 KiB: a new 04 record, then the base again", {"--pad", "0xFFE0-0x1000F", QUIET}, pages,
         pages.substr(0, 62) + ":10FFF000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF11\r\n:020000040001F9\r\n"
         ":10000000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF00\r\n:020000040000FA\r\n" + pages.substr(62), 0, "", ""},
        {"pad, 02 records", {"--pad", "0x10010-0x1001F=00", "--pad", "0x20000-0x20003", QUIET}, segments,
         segments.substr(0, 62) + ":1000100000000000000000000000000000000000E0\r\n:020000022000DC\r\n"
         ":04000000FFFFFFFF00\r\n:00000001FF\r\n", 0, "", ""},
        {"pad and checksum: a CRC appended after the image", {"--pad", "0x20-0x23", CHECKSUM, "crc32:0-0x1F@0x20", QUIET},
         image2, image2.substr(0, 90) + ":040020008A7E26911D\r\n:00000001FF\r\n", 0, "", ""},
        {"pad, the report", {"--pad", "0x10-0x1F"}, gap, gap.substr(0, 44) +
         ":10001000fffffffffffffffffffffffffffffffff0\n" + gap.substr(44), 0,
         "%F: 1 record added" + END + "%F: 4 records, 0 corrected, 0 lines left unchanged" + END, ""},
        {"pad, a value in no record and not padded", {"--pad", "0x10-0x1F", SET, "0x40=01", QUIET}, gap, gap, 1, "",
         FAILED + "%F: 0x00000040 is in no data record, nothing set" + END},
        // Which checksum a file holds: real cases, each found from its value, the one that made
        // it first. STM32's CRC unit and a big-endian CRC-16/XMODEM as srec_cat stores them, an
        // LPC vector table's sum, a CRC-32 over a gap filled with 00 (both made by Python).
        {"find, the STM32 CRC unit", {FIND, "0x08000000-0x0800001F@0x0800001C"}, stm32, stm32, 0,
         CHECKSUM_NAME + "crc32-mpeg2/w32le:0x08000000-0x0800001B@0x0800001C" + END + found + "1 algorithm matches" + END, ""},
        {"find, a big-endian CRC-16/XMODEM", {FIND, "0-0x1F@0x1E", QUIET}, xmodem, xmodem, 0,
         CHECKSUM_NAME + "crc16-xmodem:0x00000000-0x0000001D@0x0000001E:be" + END +
         CHECKSUM_NAME + "sum8/w16be:0x00000000-0x0000001D@0x0000001E" + END, ""},
        {"find, an LPC vector table's sum", {QUIET, FIND, "0-0x1F@0x1C"}, lpc, lpc, 0,
         CHECKSUM_NAME + "sum32/w32le/neg:0x00000000-0x0000001B@0x0000001C" + END +
         CHECKSUM_NAME + "sum16/w32le/neg:0x00000000-0x0000001B@0x0000001C" + END +
         CHECKSUM_NAME + "sum8/w32le/neg:0x00000000-0x0000001B@0x0000001C" + END +
         CHECKSUM_NAME + "CRC-8/WCDMA/w32le:0x00000000-0x0000001B@0x0000001C" + END, ""},
        {"find, a CRC over a gap filled with 00", {FIND, "0-0x2F@0x30"}, gapCrc, gapCrc, 0,
         CHECKSUM_NAME + "crc32:0x00000000-0x0000002F@0x00000030 " + FILL + " 0x00" + END + found +
         "1 algorithm matches" + END, ""},
        {"find, values given, in either byte order, all of them", {QUIET, FIND, "0-8=0x2639F4CB", FIND + "=0-3=0x9BE3E0A3"},
         digits, digits, 0, CHECKSUM_NAME + "crc32:0x00000000-0x00000008=0xCBF43926 " + CHECKSUM_NAME +
         "crc32:0x00000000-0x00000003=0x9BE3E0A3" + END, ""},
        {"find, a range up to 0xFFFFFFFF", {QUIET, FIND, "0xFFFFFFF0-0xFFFFFFFF=0xCECEE288"}, top, top, 0,
         CHECKSUM_NAME + "crc32:0xFFFFFFF0-0xFFFFFFFF=0xCECEE288" + END, ""},
        {"find, a digest given", {QUIET, FIND, "0-8=0x15E2B0D3C33891EBB0F1EF609EC419420C20E320CE94C65FBC8C3312448EB225"},
         digits, digits, 0, CHECKSUM_NAME + "sha256:0x00000000-0x00000008="
         "0x15e2b0d3c33891ebb0f1ef609ec419420c20e320ce94c65fbc8c3312448eb225" + END, ""},
        // What it prints for a value given is checked by --check: the value given compared.
        {"check, values given: one as expected, one not", {CHECK, CHECKSUM, "crc32:0-8=0xCBF43926", CHECKSUM,
         "sha256:0-8=0x15e2b0d3c33891ebb0f1ef609ec419420c20e320ce94c65fbc8c3312448eb225", CHECKSUM, "sum8:0-3=202",
         CHECKSUM, "sum16:0-3=0xCA00"}, digits, digits, 2,
         "%F: crc32 of 0x00000000-0x00000008 = 0xCBF43926, as expected" + END + "%F: sha256 of 0x00000000-0x00000008 = "
         "15e2b0d3c33891ebb0f1ef609ec419420c20e320ce94c65fbc8c3312448eb225, as expected" + END +
         "%F: sum8 of 0x00000000-0x00000003 = 0xCA, as expected" + END +
         "%F: sum16 of 0x00000000-0x00000003 = 0x00CA, but 0xCA00 is expected" + END +
         "%F: 3 records, 0 wrong, 0 lines not well-formed records, 1 checksum value differs" + END, ""},
        {"check, a value given, quiet", {QUIET, CHECK, CHECKSUM, "crc32:0-8=0xCBF43927"}, digits, digits, 2, "",
         FAILED + "%F: 1 checksum value differs" + END},
        {"checksum, a value given without a check", {CHECKSUM, "crc32:0-8=0xCBF43926"}, digits, digits, 1, "",
         badChecksum + "crc32:0-8=0xCBF43926: =VALUE needs " + CHECK + FAULT_END},
        {"checksum, a value given wider than the algorithm's", {CHECK, CHECKSUM, "crc16-arc:0-8=0x010000"}, digits, digits,
         1, "", badChecksum + "crc16-arc:0-8=0x010000: 0x010000 is wider than the checksum" + FAULT_END},
        {"checksum, a value given of no form", {CHECK, CHECKSUM, "crc32:0-8=0x"}, digits, digits, 1, "",
         badChecksum + "crc32:0-8=0x: not ALGORITHM:START-END[@ADDRESS or =VALUE]" + FAULT_END},
        {"find, none matches", {FIND, "0-8=0x1234"}, digits, digits, 2, "%F: 3 records, 0 wrong, 0 lines not "
         "well-formed records, no algorithm matches" + END, ""},
        {"find, quiet: none matches", {QUIET, FIND, "0-8=0x1234"}, digits, digits, 2, "", FAILED + "%F: no algorithm matches" + END},
        {"find, with another option", {FIND, "0-8=1", SET, "0=01"}, digits, digits, 1, "",
         FAULT + "0-8=1: " + FIND_NAME + " takes no option but " + QUIET + " and " + JSON + FAULT_END},
        {"find, a value of no form", {FIND, "0-8"}, digits, digits, 1, "",
         FAULT + FIND_NAME + " 0-8: not START-END[+START-END...]=VALUE or ...@ADDRESS" + FAULT_END},
        {"find, a value given: bytes outside its range are not read", {QUIET, FIND, "0x10-0x18=0xCBF43926"},
         ":0100000011EE\n:0100000022DD\n:090010003132333435363738390A\n:00000001FF\n",
         ":0100000011EE\n:0100000022DD\n:090010003132333435363738390A\n:00000001FF\n", 0,
         CHECKSUM_NAME + "crc32:0x00000010-0x00000018=0xCBF43926" + END, ""},
        {"find, a place in no record", {FIND, "0-8@0x100"}, digits, digits, 1, "",
         FAILED + "%F: 0x00000100 is in no data record, no checksum to compare" + END},
        // Digests of the system's cryptography, as sha256sum and sha512sum give them.
        {"checksum, SHA-512 printed", {CHECKSUM, "SHA-512:0-8"}, digits, digits, 0, "%F: SHA-512 of 0x00000000-0x00000008 = "
         "d9e6762dd1c8eaf6d61b3c6192fc408d4d6d5f1176d0c29169bc24e71c3f274ad27fcd5811b313d681f7e55ec02d73d499c95455b6b5bb503acf574fba8ffe85" + END, ""},
        {"checksum, SHA-256 stored in its own order", {CHECKSUM, "sha256:0-8@0x10:be", QUIET}, digitsPlace,
         digitsPlace.substr(0, 30) + ":1000100015E2B0D3C33891EBB0F1EF609EC4194242\n:100020000C20E320CE94C65FBC8C3312448EB225E4\n"
         ":00000001FF\n", 0, "", ""},
    };
    // clang-format on
}

std::string ScrambledLayout(uint32_t records) {
    auto scrambled = [](uint32_t number) {
        number ^= number >> 16;
        number *= 0x85EBCA6Bu;
        number ^= number >> 13;
        number *= 0xC2B2AE35u;
        return number ^ number >> 16;
    };
    auto record = [](std::vector<uint32_t> bytes) {
        std::string line = ":";
        uint32_t sum = 0;
        bytes.push_back(0);
        for (uint32_t &byte : bytes) {
            if (&byte == &bytes.back()) byte = -sum & 255;
            sum += byte;
            line += "0123456789ABCDEF"[byte >> 4];
            line += "0123456789ABCDEF"[byte & 15];
        }
        return line + "\n";
    };
    std::string file;
    for (uint32_t k = 1; k <= records; ++k) {
        uint32_t at = scrambled(k);
        file += record({2, 0, 0, 4, at >> 24, at >> 16 & 255});
        file += record({1, at >> 8 & 255, at & 255, 0, k & 255});
    }
    return file + ":00000001FF\n";
}

std::string WithPath(std::string report, const std::string &path, const std::string &output) {
    for (const auto &[mark, text] : {std::pair{"%F", path}, std::pair{"%O", output}})
        for (size_t at = report.find(mark); at != std::string::npos;
             at = report.find(mark, at + text.size()))
            report.replace(at, 2, text);
    return report;
}

} // namespace mixed
