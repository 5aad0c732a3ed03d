/*
 * Bytes set at addresses in the data records of a file (--set ADDRESS=BYTES), all or nothing.
 *
 * AddByteSetting reads ADDRESS=BYTES: ADDRESS decimal or 0x hexadecimal (0X too), at most
 * 0xFFFFFFFF; BYTES an even number of hexadecimal digits of either case, 1 to 255 bytes, the
 * first at ADDRESS and each next one at the next address. It keeps the setting with its argument
 * number and returns true, or false for text that is no such thing. SortByteSettings orders the
 * settings by address and returns the index of the first that overlaps the next, or -1.
 *
 * Two walks over a file take the settings (addresses as core/addresses.h places them). The
 * first, with FindSetHolders as a RecordVisitor (core/patcher.h) whose context is the
 * ByteSettings, only reads: it notes for every byte the lines of the first two data records that
 * hold it, and SetRefusal then gives the lowest address held by no record or by two, if any: the
 * settings may be written only when there is none. The second, patching, with SetHeldBytes,
 * writes each byte as two hexadecimal digits over the data digits that hold it, in upper case,
 * unless the record's digits hold lower case and no upper case; it hands each stretch of set
 * addresses in a record to the sink, and counts the records that hold set bytes. BeginSetWalk
 * starts each walk. Memory comes from the main heap (runtime/registry.h): a shortage ends the
 * process (exit code 3); ReleaseByteSettings frees it. A zero-filled ByteSettings is empty.
 */
#pragma once

#include <cstdint>

struct ByteSetting {
    uint64_t address;
    int32_t count;
    int32_t argument; // the number of the argument that named it
    uint8_t bytes[255];
};

// One stretch [from, to) of set addresses in the data record on line.
using SetStretchSink = void (*)(void *context, int64_t line, uint64_t from, uint64_t to);

struct ByteSettings {
    ByteSetting *items; // owned, main heap; freed by ReleaseByteSettings
    int32_t count;
    int32_t capacity;
    int64_t *holders; // owned, main heap: for each set byte in order, the first two lines
    int64_t bytes;    // the set bytes
    uint64_t base;    // of the walk (core/addresses.h)
    SetStretchSink sink;
    void *context;
    int64_t records; // the records of the second walk that hold set bytes
};

struct SetRefusal {
    bool refused;
    uint64_t address;
    int64_t first, second; // the lines of the records that hold it; 0: none
};

bool AddByteSetting(ByteSettings &settings, const char *text, int32_t argument);
int32_t SortByteSettings(ByteSettings &settings);
void BeginSetWalk(ByteSettings &settings);
int32_t FindSetHolders(void *settings, int64_t line, char *record, int32_t length);
SetRefusal FindSetRefusal(const ByteSettings &settings);
int32_t SetHeldBytes(void *settings, int64_t line, char *record, int32_t length);
void ReleaseByteSettings(ByteSettings &settings);
