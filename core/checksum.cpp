#include "core/checksum.h"

#include "runtime/strings.h"

int32_t HexPairValue(const char *pair) {
    int32_t value = 0;
    if (!pair) return 0;
    for (int32_t i = 0; i < 2 && pair[i] != 0; ++i) {
        unsigned char c = static_cast<unsigned char>(pair[i]);
        if (c >= '0' && c <= '9') {
            value = value * 16 + (c - 48);
        } else if (c >= 'A' && c <= 'F') {
            value = value * 16 + (c - 55);
        } else if (c >= 'a' && c <= 'f') {
            value = value * 16 + (c - 87);
        }
    }
    return value;
}

// Sums the count byte, the address, the record type and count data pairs (count + 3 pairs
// after the count, the bound taken in full width so that 254 and 255 get all their steps),
// then puts the two's complement of the sum in place of the last four characters.
char *CompleteRecordChecksum(const char *line, int32_t resultStart) {
    StringVar copy;
    CopyStringInto(copy, line);
    SetWorkspacePosition(resultStart);

    int32_t count = HexPairValue(Substring(copy.block, 2, 2, resultStart));
    SetWorkspacePosition(resultStart);
    uint8_t sum = static_cast<uint8_t>(count);
    for (int32_t i = 0; i <= count + 2; ++i) {
        sum = static_cast<uint8_t>(sum +
                                   HexPairValue(Substring(copy.block, 2 * i + 4, 2, resultStart)));
        SetWorkspacePosition(resultStart);
    }
    uint8_t checksum = static_cast<uint8_t>(256 - sum);

    char *result = LeftPart(copy.block, StringLength(copy.block) - 4, resultStart);
    int32_t digitsStart = WorkspacePosition();
    HexText(checksum, digitsStart);
    SetWorkspacePosition(WorkspacePosition() + 1);
    RightAlign(WorkspaceAt(digitsStart), 2, "0", digitsStart);
    result = WorkspaceAt(resultStart); // the workspace may have moved
    FreeString(copy);
    return result;
}
