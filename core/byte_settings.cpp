// SPDX-License-Identifier: MIT
#include "core/byte_settings.h"

#include "core/addresses.h"
#include "core/heap_sort.h"
#include "core/record.h"
#include "runtime/file_channels.h"
#include "runtime/growable.h"
#include "runtime/registry.h"
#include "runtime/strings.h"

#include <cassert>
#include <cstring>
#include <initializer_list>

namespace {

constexpr uint64_t HIGHEST_ADDRESS = 0xFFFFFFFFu;

uint64_t EndOf(const ByteSetting &setting) {
    return setting.address + static_cast<uint64_t>(setting.count);
}

// Calls visit(setting, address) for every set byte in [start, end), in rising order: from the
// first setting that ends above start, found by halving.
template <typename Visit>
void EachSetByte(const ByteSettingList &list, uint64_t start, uint64_t end, Visit visit) {
    int32_t low = 0, high = list.count;
    while (low < high) {
        int32_t middle = low + (high - low) / 2;
        if (EndOf(list.items[middle]) <= start)
            low = middle + 1;
        else
            high = middle;
    }
    for (int32_t i = low; i < list.count && list.items[i].address < end; ++i) {
        const ByteSetting &setting = list.items[i];
        for (uint64_t at = setting.address > start ? setting.address : start;
             at < end && at < EndOf(setting); ++at)
            visit(setting, at);
    }
}

} // namespace

SettingRead AddByteSettingValue(ByteSettingList &list, const ByteSetting &setting) {
    if (!setting.count) return SETTING_INVALID;
    if (EndOf(setting) - 1 > HIGHEST_ADDRESS) return SETTING_PAST_END;
    ReserveRoom(list.items, list.capacity, list.count, list.count + 1);
    list.items[list.count++] = setting;
    list.bytes += setting.count;
    return SETTING_ADDED;
}

// The settings' order found on their numbers, then each moved once: a setting is large.
int32_t SortByteSettings(ByteSettingList &list) {
    int32_t ordered = 1;
    while (ordered < list.count && list.items[ordered - 1].address <= list.items[ordered].address)
        ++ordered;
    if (ordered < list.count) {
        struct Key {
            uint64_t address;
            int32_t index;
        };
        auto count = static_cast<size_t>(list.count);
        auto *order = static_cast<Key *>(MainHeapAlloc(count * sizeof(Key)));
        for (int32_t i = 0; i < list.count; ++i)
            order[i] = {list.items[i].address, i};
        HeapSort(order, list.count, [](const Key &a, const Key &b) { // (in the order given)
            return a.address != b.address ? a.address < b.address : a.index < b.index;
        });
        auto *items = static_cast<ByteSetting *>(MainHeapAlloc(count * sizeof(ByteSetting)));
        for (int32_t i = 0; i < list.count; ++i)
            items[i] = list.items[order[i].index];
        MainHeapFree(list.items);
        MainHeapFree(order);
        list.items = items;
        list.capacity = list.count;
    }
    for (int32_t i = 0; i + 1 < list.count; ++i)
        if (EndOf(list.items[i]) > list.items[i + 1].address) return i;
    return -1;
}

// (Each byte of under is looked for in over: the lists are short, as the command line's are.)
ByteSettingList LayeredByteSettings(const ByteSettingList &under, const ByteSettingList &over) {
    ByteSettingList all{};
    auto covered = [&over](uint64_t address) {
        for (int32_t i = 0; i < over.count; ++i)
            if (address >= over.items[i].address && address < EndOf(over.items[i])) return true;
        return false;
    };
    for (int32_t i = 0; i < under.count; ++i) {
        const ByteSetting &setting = under.items[i];
        ByteSetting part{};
        part.argument = setting.argument;
        for (int32_t k = 0; k <= setting.count; ++k) {
            uint64_t address = setting.address + static_cast<uint64_t>(k);
            if (k < setting.count && !covered(address)) {
                if (part.count == 0) part.address = address;
                part.bytes[part.count++] = setting.bytes[k];
                continue;
            }
            if (part.count) AddByteSettingValue(all, part);
            part.count = 0;
        }
    }
    for (int32_t i = 0; i < over.count; ++i)
        AddByteSettingValue(all, over.items[i]);
    SortByteSettings(all);
    return all;
}

void ReleaseByteSettings(ByteSettingList &list) {
    if (list.items) MainHeapFree(list.items);
    list = ByteSettingList{};
}

SetWrite BeginSetWrite(const ByteSettingList &list, const HexImage &image, SetStretchSink sink,
                       void *context) {
    SetWrite write{};
    write.list = &list;
    write.image = &image;
    write.sink = sink;
    write.context = context;
    return write;
}

namespace {

// Whether the data record on line at position is the record found next, unchanged.
bool IsNextFound(const SetWrite &write, int64_t line, int64_t position, const char *record,
                 int32_t length) {
    const HexImage &image = *write.image;
    if (write.next >= image.recordCount) return false;
    const ImageRecord &found = image.records[write.next];
    return found.line == line && found.position == position && found.length == length &&
           found.fingerprint == RecordFingerprint(record, length);
}

// Writes the set bytes that a data record found holds into its digits (digits: of its case), and
// hands each stretch of them to the sink. The position of the first digit changed, 0 when none
// was.
int32_t SetBytesOf(SetWrite &write, const ImageRecord &found, char *record, const char *digits) {
    assert(write.next < write.image->recordCount && found.length % 2 == 1);
    int32_t changed = 0;
    uint64_t from = 0, to = 0; // the stretch so far
    auto flush = [&] {
        if (from < to && write.sink) write.sink(write.context, found.line, from, to);
        from = to = 0;
    };
    bool holds = false;
    EachStretch(found.place, [&](uint64_t address, int32_t first, int32_t count) {
        flush();
        EachSetByte(*write.list, address, address + static_cast<uint64_t>(count),
                    [&](const ByteSetting &setting, uint64_t at) {
                        if (at != to) flush();
                        if (from == to) from = at;
                        to = at + 1;
                        holds = true;
                        write.placed += 1;
                        uint8_t value = setting.bytes[at - setting.address];
                        char *pair = record + 9 + 2 * (first + static_cast<int32_t>(at - address));
                        char high = digits[value >> 4], low = digits[value & 15];
                        if (pair[0] == high && pair[1] == low) return;
                        if (!changed) changed = static_cast<int32_t>(pair - record);
                        pair[0] = high;
                        pair[1] = low;
                    });
    });
    flush();
    write.records += holds ? 1 : 0;
    write.next += 1;
    return changed;
}

} // namespace

// A record that holds set bytes but is not the one found next is left as it is: the write is
// then incomplete, which its caller reports.
int32_t SetHeldBytes(void *context, int64_t line, int64_t position, char *record, int32_t length) {
    SetWrite &write = *static_cast<SetWrite *>(context);
    if (!length) return 0; // a line that is no record
    const char *own = RecordCase(record, length), *before = write.lastCase;
    write.lastCase = own;
    RecordPlace place = PlaceRecord(write.addresses, line, record);
    if (place.type != TYPE_DATA || place.afterEnd) return 0;
    if (IsNextFound(write, line, position, record, length))
        return SetBytesOf(write, write.image->records[write.next], record, CaseDigits(own, before));
    EachStretch(place, [&](uint64_t address, int32_t, int32_t count) {
        EachSetByte(*write.list, address, address + static_cast<uint64_t>(count),
                    [&](const ByteSetting &, uint64_t) { write.differed = true; });
    });
    return 0;
}

namespace {

// Sets the bytes of a record found, read into record (stored: its bytes at hand, up to its line
// end): false when it is not the record found, unchanged. Else the position of the first
// character changed in *changed, 0 for none, and the record's checksum made right.
bool SetFoundRecord(SetWrite &write, const ImageRecord &found, char *record, int64_t stored,
                    int32_t *changed) {
    uint8_t sum = 0;
    if (RecordInLine(record, stored, &sum) != found.length ||
        !IsNextFound(write, found.line, found.position, record, found.length))
        return false;
    const char *digits = RecordDigitSet(record, found.length, found.caseBefore);
    *changed = SetBytesOf(write, found, record, digits);
    if (*changed) RemakeChecksum(record, found.length, digits);
    return true;
}

// The records found, read a line at a time and written back one by one: for a channel without
// a buffer.
void SetFoundLines(int32_t channel, SetWrite &write, WalkTally *tally) {
    const HexImage &image = *write.image;
    for (ptrdiff_t k = 0; k < image.recordCount && !tally->failure; ++k) {
        const ImageRecord &found = image.records[k];
        char record[LONGEST_RECORD + 1];
        int64_t length = 0;
        int32_t terminator = 0, changed = 0;
        tally->linesDone = found.line - 1;
        if (SeekChannel(channel, found.position) < 0) return;
        bool read = ReadChannelLineBytes(channel, record, found.length + 1, &length, &terminator);
        int64_t stored = length < found.length + 1 ? length : found.length + 1;
        if (!read || !SetFoundRecord(write, found, record, stored, &changed)) {
            tally->failure = ChannelFailure(channel);
            if (!tally->failure) tally->failure = FAILURE_CODE_CHANGED;
            return;
        }
        if (changed) {
            if (SeekChannel(channel, found.position + changed) < 0) return;
            WriteChannelBytes(channel, record + changed, found.length - changed);
        }
        tally->failure = ChannelFailure(channel);
    }
}

} // namespace

// The records found, changed in place in spans of the file that each begin at one of them:
// one read and at most one write a span, however many records it holds.
int32_t SetFoundBytes(int32_t channel, SetWrite &write, WalkTally *tally) {
    const HexImage &image = *write.image;
    int64_t linesDone = tally->linesDone;
    char *span = nullptr;
    int32_t length = 0;
    int64_t spanAt = 0, spanLines = 0; // the lines done before the span
    for (ptrdiff_t k = 0; k < image.recordCount && !tally->failure; ++k) {
        const ImageRecord &found = image.records[k];
        int64_t offset = found.position - spanAt;
        if (!span || offset < 0 || offset + found.length + 1 > length) {
            // The changes of the span before go back to the file with the seek: the lines up to
            // this record are done, unless that write or this read failed.
            SpanRead read = SPAN_FAILED;
            tally->linesDone = span ? spanLines : found.line - 1;
            if (SeekChannel(channel, found.position) < 0 ||
                !(span = ReadChannelSpan(channel, 0, &length, &read))) {
                if (k == 0 && !span && ChannelFailure(channel) == 0) {
                    SetFoundLines(channel, write, tally); // no buffer
                    break;
                }
                tally->failure = ChannelFailure(channel);
                break;
            }
            if (read == SPAN_FAILED) break;
            tally->linesDone = spanLines = found.line - 1;
            spanAt = found.position;
            offset = 0;
        }
        // The record and the character behind it, unless that ends the line.
        int64_t stored = length - offset < found.length + 1 ? length - offset : found.length + 1;
        if (char behind = stored > found.length ? span[offset + found.length] : ' ';
            behind == '\r' || behind == '\n' || behind == 0)
            stored = found.length;
        int32_t changed = 0;
        if (!SetFoundRecord(write, found, span + offset, stored, &changed)) {
            tally->failure = FAILURE_CODE_CHANGED;
            tally->linesDone = found.line - 1; // once the span's changes are in the file
            break;
        }
        if (changed) NoteSpanChange(channel, static_cast<int32_t>(offset) + changed);
    }
    bool writing = false;
    if (uint32_t failure = ChannelFailure(channel, &writing); failure) {
        tally->failure = failure; // the first one; the span's changes may not be in the file
        if (writing) tally->linesDone = spanLines;
    }
    tally->failedWriting = writing;
    if (!tally->failure) tally->linesDone = linesDone;
    return tally->failure ? -1 : 1;
}

bool SetWriteComplete(const SetWrite &write) {
    return !write.differed && write.next == write.image->recordCount &&
           write.placed == write.list->bytes;
}
