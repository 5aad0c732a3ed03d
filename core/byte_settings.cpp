// SPDX-License-Identifier: MIT
#include "core/byte_settings.h"

#include "core/addresses.h"
#include "core/record.h"
#include "runtime/file_channels.h"
#include "runtime/registry.h"

#include <cstring>

namespace {

uint64_t EndOf(const ByteSetting &setting) {
    return setting.address + static_cast<uint64_t>(setting.count);
}

// Calls visit(setting, index of its first byte among all set bytes, address) for every set byte
// in [start, end), in rising order.
template <typename Visit>
void EachSetByte(const ByteSettings &settings, uint64_t start, uint64_t end, Visit visit) {
    if (!settings.count || end <= settings.items[0].address ||
        start >= EndOf(settings.items[settings.count - 1]))
        return; // the way of most records
    int64_t first = 0;
    for (int32_t i = 0; i < settings.count; ++i) {
        const ByteSetting &setting = settings.items[i];
        if (setting.address >= end) break;
        for (uint64_t at = setting.address > start ? setting.address : start;
             at < end && at < EndOf(setting); ++at)
            visit(setting, first, at);
        first += setting.count;
    }
}

// The digits to write into a record: lower case when its digits hold lower case and no upper
// case, else upper case.
const char *DigitsOf(const char *record, int32_t length) {
    bool lower = false, upper = false;
    for (int32_t i = 1; i < length; ++i) {
        lower = lower || (record[i] >= 'a' && record[i] <= 'f');
        upper = upper || (record[i] >= 'A' && record[i] <= 'F');
    }
    return lower && !upper ? "0123456789abcdef" : HEX_DIGITS;
}

} // namespace

bool AddByteSetting(ByteSettings &settings, const char *text, int32_t argument) {
    ByteSetting setting{};
    setting.argument = argument;
    bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char *at = hex ? text + 2 : text;
    const char *digits = at;
    for (; *at != '='; ++at) {
        int32_t value = HexDigitValue(static_cast<unsigned char>(*at));
        if (value < 0 || (!hex && value > 9)) return false;
        setting.address = setting.address * (hex ? 16 : 10) + static_cast<uint64_t>(value);
        if (setting.address > 0xFFFFFFFFu) return false;
    }
    if (at == digits) return false;
    for (++at; at[0]; at += 2) {
        int32_t high = HexDigitValue(static_cast<unsigned char>(at[0]));
        int32_t low = at[1] ? HexDigitValue(static_cast<unsigned char>(at[1])) : -1;
        if (high < 0 || low < 0 || setting.count == 255) return false;
        setting.bytes[setting.count++] = static_cast<uint8_t>(high << 4 | low);
    }
    if (!setting.count) return false;
    if (settings.count == settings.capacity) {
        int32_t capacity = settings.capacity ? 2 * settings.capacity : 4;
        auto *items = static_cast<ByteSetting *>(
            MainHeapAlloc(static_cast<size_t>(capacity) * sizeof(ByteSetting)));
        if (settings.items) {
            std::memcpy(items, settings.items,
                        static_cast<size_t>(settings.count) * sizeof(ByteSetting));
            MainHeapFree(settings.items);
        }
        settings.items = items;
        settings.capacity = capacity;
    }
    settings.items[settings.count++] = setting;
    settings.bytes += setting.count;
    return true;
}

// By insertion: the settings are few.
int32_t SortByteSettings(ByteSettings &settings) {
    ByteSetting *items = settings.items;
    for (int32_t i = 1; i < settings.count; ++i) {
        ByteSetting moved = items[i];
        int32_t j = i;
        for (; j > 0 && items[j - 1].address > moved.address; --j)
            items[j] = items[j - 1];
        items[j] = moved;
    }
    for (int32_t i = 0; i + 1 < settings.count; ++i)
        if (EndOf(items[i]) > items[i + 1].address) return i;
    return -1;
}

void BeginSetWalk(ByteSettings &settings, WalkMode walk) {
    settings.base = 0;
    settings.records = 0;
    if (walk == WALK_PATCH) return; // what the first walk found stays
    settings.seen = 0;
    settings.foundCount = 0;
    size_t bytes = static_cast<size_t>(settings.bytes);
    if (!settings.holders) {
        settings.holders = static_cast<int64_t *>(MainHeapAlloc(2 * bytes * sizeof(int64_t)));
        settings.found = static_cast<SetRecord *>(MainHeapAlloc(bytes * sizeof(SetRecord)));
    } else {
        std::memset(settings.holders, 0, 2 * bytes * sizeof(int64_t));
    }
}

int32_t FindSetHolders(void *context, int64_t line, int64_t position, char *record,
                       int32_t length) {
    ByteSettings &settings = *static_cast<ByteSettings *>(context);
    settings.seen += 1;
    RecordPlace place = PlaceRecord(&settings.base, record);
    if (place.type != TYPE_DATA) return 0;
    bool holds = false;
    EachSetByte(settings, place.address, place.address + static_cast<uint64_t>(place.count),
                [&](const ByteSetting &setting, int64_t first, uint64_t at) {
                    holds = true;
                    int64_t *lines =
                        settings.holders + 2 * (first + static_cast<int64_t>(at - setting.address));
                    if (!lines[0])
                        lines[0] = line;
                    else if (!lines[1])
                        lines[1] = line;
                });
    // (More records than set bytes hold some of them twice: the settings are refused.)
    if (holds && settings.foundCount < settings.bytes)
        settings.found[settings.foundCount++] = {line, position, place.address, length};
    return 0;
}

SetRefusal FindSetRefusal(const ByteSettings &settings) {
    int64_t index = 0;
    for (int32_t i = 0; i < settings.count; ++i)
        for (int32_t k = 0; k < settings.items[i].count; ++k, ++index) {
            const int64_t *lines = settings.holders + 2 * index;
            if (!lines[0] || lines[1])
                return {true, settings.items[i].address + static_cast<uint64_t>(k), lines[0],
                        lines[1]};
        }
    return {false, 0, 0, 0};
}

namespace {

// Writes the set bytes that the data record on line holds into its digits, and hands each
// stretch of them to the sink. The position of the first digit changed, 0 when none was.
int32_t SetBytesOf(ByteSettings &settings, int64_t line, uint64_t address, char *record,
                   int32_t length) {
    const char *digits = nullptr; // the record's case, once it holds a byte set
    int32_t changed = 0;
    uint64_t from = 0, to = 0; // the stretch so far
    auto flush = [&] {
        if (from < to && settings.sink) settings.sink(settings.context, line, from, to);
        from = to = 0;
    };
    int64_t held = 0;
    uint64_t end = address + static_cast<uint64_t>(RecordPair(record, 0));
    EachSetByte(settings, address, end, [&](const ByteSetting &setting, int64_t, uint64_t at) {
        if (!held++) digits = DigitsOf(record, length);
        if (at != to) flush();
        if (from == to) from = at;
        to = at + 1;
        uint8_t value = setting.bytes[at - setting.address];
        char *pair = record + 9 + 2 * (at - address);
        char high = digits[value >> 4], low = digits[value & 15];
        if (pair[0] == high && pair[1] == low) return;
        if (!changed) changed = static_cast<int32_t>(pair - record);
        pair[0] = high;
        pair[1] = low;
    });
    flush();
    if (held) settings.records += 1;
    return changed;
}

} // namespace

int32_t SetHeldBytes(void *context, int64_t line, int64_t, char *record, int32_t length) {
    ByteSettings &settings = *static_cast<ByteSettings *>(context);
    RecordPlace place = PlaceRecord(&settings.base, record);
    if (place.type != TYPE_DATA) return 0;
    return SetBytesOf(settings, line, place.address, record, length);
}

// The walks' channel (core/patcher.h), free between them.
constexpr int32_t SET_CHANNEL = 1;

int32_t SetFoundBytes(const char *path, ByteSettings &settings, WalkTally *tally) {
    *tally = WalkTally{};
    tally->records = settings.seen;
    if (!OpenChannelUpdate(SET_CHANNEL, path)) {
        tally->failure = ChannelOpenFailure();
        return 0;
    }
    settings.records = 0;
    bool writing = false;
    for (int64_t k = 0; k < settings.foundCount && !tally->failure; ++k) {
        const SetRecord &found = settings.found[k];
        char record[LONGEST_RECORD + 1];
        int64_t length = 0;
        int32_t terminator = 0;
        uint8_t sum = 0;
        tally->linesDone = found.line - 1;
        SeekChannel(SET_CHANNEL, found.position);
        // (A record that is not there any more, in a file changed since, is left alone.)
        if (ReadChannelLineBytes(SET_CHANNEL, record, found.length + 1, &length, &terminator) &&
            RecordInLine(record, length < found.length + 1 ? length : found.length + 1, &sum) ==
                found.length) {
            if (int32_t changed =
                    SetBytesOf(settings, found.line, found.address, record, found.length)) {
                ClassifyRecord(record, found.length, &sum);
                ChecksumDigits(sum, record + found.length - 2);
                SeekChannel(SET_CHANNEL, found.position + changed);
                WriteChannelBytes(SET_CHANNEL, record + changed, found.length - changed);
            }
        }
        tally->failure = ChannelFailure(SET_CHANNEL, &writing);
    }
    CloseChannel(SET_CHANNEL);
    if (uint32_t closing = ChannelCloseFailure(); closing && !tally->failure) {
        tally->failure = closing;
        writing = true;
        tally->linesDone = 0;
    }
    tally->failedWriting = writing;
    return tally->failure ? -1 : 1;
}

void ReleaseByteSettings(ByteSettings &settings) {
    if (settings.items) MainHeapFree(settings.items);
    if (settings.holders) MainHeapFree(settings.holders);
    if (settings.found) MainHeapFree(settings.found);
    settings = ByteSettings{};
}
