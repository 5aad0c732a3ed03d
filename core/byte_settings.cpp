// SPDX-License-Identifier: MIT
#include "core/byte_settings.h"

#include "core/addresses.h"
#include "core/record.h"
#include "runtime/file_channels.h"
#include "runtime/registry.h"

#include <cstring>

namespace {

constexpr uint64_t HIGHEST_ADDRESS = 0xFFFFFFFFu;

uint64_t EndOf(const ByteSetting &setting) {
    return setting.address + static_cast<uint64_t>(setting.count);
}

// Calls visit(setting, index of its first byte among all set bytes, address) for every set byte
// in [start, end), in rising order. The list holds one setting at least (--set takes a value).
template <typename Visit>
void EachSetByte(const ByteSettingList &list, uint64_t start, uint64_t end, Visit visit) {
    if (end <= list.items[0].address || start >= EndOf(list.items[list.count - 1]))
        return; // the way of most records
    int64_t first = 0;
    for (int32_t i = 0; i < list.count; ++i) {
        const ByteSetting &setting = list.items[i];
        if (setting.address >= end) break;
        for (uint64_t at = setting.address > start ? setting.address : start;
             at < end && at < EndOf(setting); ++at)
            visit(setting, first, at);
        first += setting.count;
    }
}

// The holders of the set byte at address of setting, whose first byte has the given index.
SetHolders &HoldersOf(const SetSearch &search, const ByteSetting &setting, int64_t first,
                      uint64_t address) {
    return search.holders[first + static_cast<int64_t>(address - setting.address)];
}

// FNV-1a over a record's characters: tells the record the first walk saw from any other.
uint64_t Fingerprint(const char *record, int32_t length) {
    uint64_t hash = 0xCBF29CE484222325u;
    for (int32_t i = 0; i < length; ++i)
        hash = (hash ^ static_cast<unsigned char>(record[i])) * 0x100000001B3u;
    return hash;
}

// Where a well-formed record's data lies, up to the end-of-file record: type TYPE_END (and no
// data) for every record from it on. Moves the base and notes the end-of-file record.
RecordPlace PlaceUpToEnd(uint64_t *base, int64_t *endLine, int64_t line, const char *record) {
    if (*endLine) return {TYPE_END, 0, 0};
    RecordPlace place = PlaceRecord(base, record);
    if (place.type == TYPE_END) *endLine = line;
    return place;
}

} // namespace

bool ReadSettingNumber(const char **at, const char *ends, uint64_t most, uint64_t *number) {
    const char *text = *at;
    bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char *digits = hex ? text + 2 : text, *end = digits;
    *number = 0;
    for (; *end && !std::strchr(ends, *end); ++end) {
        int32_t value = HexDigitValue(static_cast<unsigned char>(*end));
        if (value < 0 || (!hex && value > 9)) return false;
        *number = *number * (hex ? 16 : 10) + static_cast<uint64_t>(value);
        if (*number > most) return false;
    }
    *at = end;
    return end > digits;
}

SettingRead AddByteSetting(ByteSettingList &list, const char *text, int32_t argument) {
    ByteSetting setting{};
    setting.argument = argument;
    const char *at = text;
    if (!ReadSettingNumber(&at, "=", HIGHEST_ADDRESS, &setting.address) || *at != '=')
        return SETTING_INVALID;
    for (++at; at[0]; at += 2) {
        int32_t high = HexDigitValue(static_cast<unsigned char>(at[0]));
        int32_t low = at[1] ? HexDigitValue(static_cast<unsigned char>(at[1])) : -1;
        if (high < 0 || low < 0 || setting.count == 255) return SETTING_INVALID;
        setting.bytes[setting.count++] = static_cast<uint8_t>(high << 4 | low);
    }
    return AddByteSettingValue(list, setting);
}

SettingRead AddByteSettingValue(ByteSettingList &list, const ByteSetting &setting) {
    if (!setting.count) return SETTING_INVALID;
    if (EndOf(setting) - 1 > HIGHEST_ADDRESS) return SETTING_PAST_END;
    if (list.count == list.capacity) {
        int32_t capacity = list.capacity ? 2 * list.capacity : 4;
        auto *items = static_cast<ByteSetting *>(
            MainHeapAlloc(static_cast<size_t>(capacity) * sizeof(ByteSetting)));
        if (list.items) {
            std::memcpy(items, list.items, static_cast<size_t>(list.count) * sizeof(ByteSetting));
            MainHeapFree(list.items);
        }
        list.items = items;
        list.capacity = capacity;
    }
    list.items[list.count++] = setting;
    list.bytes += setting.count;
    return SETTING_ADDED;
}

// By insertion: the settings are few.
int32_t SortByteSettings(ByteSettingList &list) {
    ByteSetting *items = list.items;
    for (int32_t i = 1; i < list.count; ++i) {
        ByteSetting moved = items[i];
        int32_t j = i;
        for (; j > 0 && items[j - 1].address > moved.address; --j)
            items[j] = items[j - 1];
        items[j] = moved;
    }
    for (int32_t i = 0; i + 1 < list.count; ++i)
        if (EndOf(items[i]) > items[i + 1].address) return i;
    return -1;
}

void ReleaseByteSettings(ByteSettingList &list) {
    if (list.items) MainHeapFree(list.items);
    list = ByteSettingList{};
}

// ---- the first walk ----

void BeginSetSearch(SetSearch &search, const ByteSettingList &list) {
    ReleaseSetSearch(search);
    size_t bytes = static_cast<size_t>(list.bytes);
    search.list = &list;
    search.holders = static_cast<SetHolders *>(MainHeapAlloc(bytes * sizeof(SetHolders)));
    search.found = static_cast<SetRecord *>(MainHeapAlloc(bytes * sizeof(SetRecord)));
}

int32_t FindSetHolders(void *context, int64_t line, int64_t position, char *record,
                       int32_t length) {
    SetSearch &search = *static_cast<SetSearch *>(context);
    if (!length) return 0; // a line that is no record
    bool afterEnd = search.endLine != 0;
    RecordPlace place = afterEnd ? PlaceRecord(&search.base, record)
                                 : PlaceUpToEnd(&search.base, &search.endLine, line, record);
    if (place.type != TYPE_DATA) return 0;
    bool holds = false;
    EachSetByte(*search.list, place.address, place.address + static_cast<uint64_t>(place.count),
                [&](const ByteSetting &setting, int64_t first, uint64_t at) {
                    SetHolders &holders = HoldersOf(search, setting, first, at);
                    if (afterEnd) {
                        if (!holders.excluded) holders.excluded = line;
                        return;
                    }
                    holds = true;
                    if (!holders.first)
                        holders.first = line;
                    else if (!holders.second)
                        holders.second = line;
                });
    // (More records than set bytes hold some of them twice: the settings are refused.)
    if (holds && search.foundCount < search.list->bytes)
        search.found[search.foundCount++] = {line, position, place.address, length,
                                             Fingerprint(record, length)};
    return 0;
}

// A line that starts with ":" but is no well-formed record: when the start of a data record can
// be read from it, the set bytes it would hold are noted against it.
void NoteSetMalformed(void *context, const Finding &finding) {
    SetSearch &search = *static_cast<SetSearch *>(context);
    const RecordFault &fault = finding.fault;
    if (finding.kind != FINDING_MALFORMED || !fault.headed || fault.type != TYPE_DATA ||
        search.endLine)
        return;
    uint64_t start = search.base + static_cast<uint64_t>(fault.offset);
    EachSetByte(*search.list, start, start + static_cast<uint64_t>(fault.count),
                [&](const ByteSetting &setting, int64_t first, uint64_t at) {
                    SetHolders &holders = HoldersOf(search, setting, first, at);
                    if (!holders.excluded) holders.excluded = -finding.line;
                });
}

SetRefusal FindSetRefusal(const SetSearch &search) {
    const ByteSettingList &list = *search.list;
    int64_t index = 0;
    for (int32_t i = 0; i < list.count; ++i)
        for (int32_t k = 0; k < list.items[i].count; ++k, ++index) {
            const SetHolders &holders = search.holders[index];
            if (!holders.first || holders.second)
                return {true, list.items[i].address + static_cast<uint64_t>(k), holders.first,
                        holders.second, holders.first ? 0 : holders.excluded};
        }
    return {false, 0, 0, 0, 0};
}

void ReleaseSetSearch(SetSearch &search) {
    if (search.holders) MainHeapFree(search.holders);
    if (search.found) MainHeapFree(search.found);
    search = SetSearch{};
}

// ---- the second walk ----

SetWrite BeginSetWrite(const SetSearch &search, SetStretchSink sink, void *context) {
    SetWrite write{};
    write.search = &search;
    write.sink = sink;
    write.context = context;
    return write;
}

namespace {

// The record found next, if the data record on line at position is that record, unchanged.
bool IsNextFound(SetWrite &write, int64_t line, int64_t position, uint64_t address,
                 const char *record, int32_t length) {
    const SetSearch &search = *write.search;
    if (write.next >= search.foundCount) return false;
    const SetRecord &found = search.found[write.next];
    return found.line == line && found.position == position && found.address == address &&
           found.length == length && found.fingerprint == Fingerprint(record, length);
}

// Writes the set bytes that the data record on line holds into its digits, in the record's
// case (its digit set as found), and hands each stretch of them to the sink. The position of the
// first digit changed, 0 when none was.
int32_t SetBytesOf(SetWrite &write, int64_t line, uint64_t address, char *record,
                   const char *digits) {
    int32_t changed = 0;
    uint64_t from = 0, to = 0; // the stretch so far
    auto flush = [&] {
        if (from < to && write.sink) write.sink(write.context, line, from, to);
        from = to = 0;
    };
    uint64_t end = address + static_cast<uint64_t>(RecordPair(record, 0));
    EachSetByte(*write.search->list, address, end,
                [&](const ByteSetting &setting, int64_t, uint64_t at) {
                    if (at != to) flush();
                    if (from == to) from = at;
                    to = at + 1;
                    write.placed += 1;
                    uint8_t value = setting.bytes[at - setting.address];
                    char *pair = record + 9 + 2 * (at - address);
                    char high = digits[value >> 4], low = digits[value & 15];
                    if (pair[0] == high && pair[1] == low) return;
                    if (!changed) changed = static_cast<int32_t>(pair - record);
                    pair[0] = high;
                    pair[1] = low;
                });
    flush();
    write.records += 1;
    write.next += 1;
    return changed;
}

} // namespace

// A record that holds set bytes but is not the one found next is left as it is: the write is
// then incomplete, which its caller reports.
int32_t SetHeldBytes(void *context, int64_t line, int64_t position, char *record, int32_t length) {
    SetWrite &write = *static_cast<SetWrite *>(context);
    if (!length) return 0; // a line that is no record
    RecordPlace place = PlaceUpToEnd(&write.base, &write.endLine, line, record);
    if (place.type != TYPE_DATA) return 0;
    bool holds = false;
    EachSetByte(*write.search->list, place.address,
                place.address + static_cast<uint64_t>(place.count),
                [&](const ByteSetting &, int64_t, uint64_t) { holds = true; });
    if (!holds) return 0;
    if (!IsNextFound(write, line, position, place.address, record, length)) {
        write.differed = true;
        return 0;
    }
    return SetBytesOf(write, line, place.address, record, RecordDigitSet(record, length));
}

int32_t SetFoundBytes(int32_t channel, SetWrite &write, WalkTally *tally) {
    const SetSearch &search = *write.search;
    bool writing = false;
    int64_t linesDone = tally->linesDone;
    for (int64_t k = 0; k < search.foundCount && !tally->failure; ++k) {
        const SetRecord &found = search.found[k];
        char record[LONGEST_RECORD + 1];
        int64_t length = 0;
        int32_t terminator = 0;
        uint8_t sum = 0;
        tally->linesDone = found.line - 1;
        if (SeekChannel(channel, found.position) < 0) break;
        bool read = ReadChannelLineBytes(channel, record, found.length + 1, &length, &terminator);
        int64_t stored = length < found.length + 1 ? length : found.length + 1;
        if (!read || RecordInLine(record, stored, &sum) != found.length ||
            !IsNextFound(write, found.line, found.position, found.address, record, found.length)) {
            tally->failure = ChannelFailure(channel, &writing);
            if (!tally->failure) tally->failure = FAILURE_CODE_CHANGED;
            break;
        }
        const char *digitSet = RecordDigitSet(record, found.length); // the case as found
        if (int32_t changed = SetBytesOf(write, found.line, found.address, record, digitSet)) {
            ClassifyRecord(record, found.length, &sum);
            ChecksumDigits(sum, record + found.length - 2, digitSet);
            if (SeekChannel(channel, found.position + changed) < 0) break;
            WriteChannelBytes(channel, record + changed, found.length - changed);
        }
        tally->failure = ChannelFailure(channel, &writing);
    }
    if (!tally->failure) tally->failure = ChannelFailure(channel, &writing);
    tally->failedWriting = writing;
    if (!tally->failure) tally->linesDone = linesDone;
    return tally->failure ? -1 : 1;
}

bool SetWriteComplete(const SetWrite &write) {
    return !write.differed && write.next == write.search->foundCount &&
           write.placed == write.search->list->bytes;
}
