#include "core/byte_settings.h"

#include "core/addresses.h"
#include "runtime/registry.h"

#include <cstring>

namespace {

int32_t DigitValue(char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                  : -1;
}

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

} // namespace

bool AddByteSetting(ByteSettings &settings, const char *text, int32_t argument) {
    ByteSetting setting{};
    setting.argument = argument;
    bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char *at = hex ? text + 2 : text;
    const char *digits = at;
    for (; *at != '='; ++at) {
        int32_t value = DigitValue(*at);
        if (value < 0 || (!hex && value > 9)) return false;
        setting.address = setting.address * (hex ? 16 : 10) + static_cast<uint64_t>(value);
        if (setting.address > 0xFFFFFFFFu) return false;
    }
    if (at == digits) return false;
    for (++at; at[0]; at += 2) {
        int32_t high = DigitValue(at[0]), low = at[1] ? DigitValue(at[1]) : -1;
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

void BeginSetWalk(ByteSettings &settings) {
    settings.base = 0;
    settings.records = 0;
    if (!settings.holders)
        settings.holders =
            static_cast<int64_t *>(MainHeapAlloc(static_cast<size_t>(settings.bytes) * 16));
    else
        std::memset(settings.holders, 0, static_cast<size_t>(settings.bytes) * 16);
}

int32_t FindSetHolders(void *context, int64_t line, char *record, int32_t) {
    ByteSettings &settings = *static_cast<ByteSettings *>(context);
    RecordPlace place = PlaceRecord(&settings.base, record);
    if (place.type != TYPE_DATA) return 0;
    EachSetByte(settings, place.address, place.address + static_cast<uint64_t>(place.count),
                [&](const ByteSetting &setting, int64_t first, uint64_t at) {
                    int64_t *lines =
                        settings.holders + 2 * (first + static_cast<int64_t>(at - setting.address));
                    if (!lines[0])
                        lines[0] = line;
                    else if (!lines[1])
                        lines[1] = line;
                });
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

int32_t SetHeldBytes(void *context, int64_t line, char *record, int32_t length) {
    ByteSettings &settings = *static_cast<ByteSettings *>(context);
    RecordPlace place = PlaceRecord(&settings.base, record);
    if (place.type != TYPE_DATA) return 0;
    bool lower = false, upper = false;
    for (int32_t i = 1; i < length; ++i) {
        lower = lower || (record[i] >= 'a' && record[i] <= 'f');
        upper = upper || (record[i] >= 'A' && record[i] <= 'F');
    }
    const char *digits = lower && !upper ? "0123456789abcdef" : "0123456789ABCDEF";
    int32_t changed = 0;
    uint64_t from = 0, to = 0; // the stretch so far
    auto flush = [&] {
        if (from < to && settings.sink) settings.sink(settings.context, line, from, to);
        from = to = 0;
    };
    int64_t held = 0;
    EachSetByte(settings, place.address, place.address + static_cast<uint64_t>(place.count),
                [&](const ByteSetting &setting, int64_t, uint64_t at) {
                    held += 1;
                    if (at != to) flush();
                    if (from == to) from = at;
                    to = at + 1;
                    uint8_t value = setting.bytes[at - setting.address];
                    char *pair = record + 9 + 2 * (at - place.address);
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

void ReleaseByteSettings(ByteSettings &settings) {
    if (settings.items) MainHeapFree(settings.items);
    if (settings.holders) MainHeapFree(settings.holders);
    settings = ByteSettings{};
}
