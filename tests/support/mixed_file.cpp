#include "tests/support/mixed_file.h"

namespace mixed {

#ifdef _WIN32
const std::string END = "\r\n", AT_LINE = "(", AT_LINE_END = "): ";
#else
const std::string END = "\n", AT_LINE = ":", AT_LINE_END = ": ";
#endif

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

} // namespace mixed
