// SPDX-License-Identifier: MIT
#include "app/find_checksum.h"

#include "app/file_walks.h"
#include "app/image_values.h"
#include "app/report_fields.h"
#include "app/texts.h"
#include "app/values.h"
#include "core/hex_image.h"
#include "runtime/registry.h"
#include "runtime/strings.h"

#include <cstring>

namespace {

// The word forms, the most common first.
constexpr int32_t FORMS = 5;
constexpr char FORM_NAMES[FORMS][7] = {"", "/w32le", "/w16le", "/w32be", "/w16be"};
constexpr uint32_t WHOLE = 0xFFFFFFFF; // the last address of ranges taken whole

// A value computed: an algorithm's core over a find's ranges up to an address (their last), with
// a fill; a CRC's without its xorout, a sum's not negated.
struct Computed {
    ChecksumAlgorithm core;
    uint8_t fill;
    int32_t find;
    uint32_t last;
    ChecksumValue value;
};

// Of each find: the bytes at its place, how many of them records hold, the last address of the
// ranges a match takes, and the value it gives.
struct Place {
    uint8_t stored[MOST_VALUE_BYTES];
    int32_t held;
    uint32_t last;
    ChecksumValue value;
};

struct Search {
    const CommandLine *command;
    const HexImage *image;
    Computed *computed; // main heap
    int32_t count, capacity;
    Place *places;       // main heap, a block with room
    ChecksumRange *room; // for the ranges of any find
};

// A find's ranges without the addresses past last, into out; how many. Zero when a range, cut,
// is not whole words of size bytes.
int32_t CutRanges(const FindJob &find, uint32_t last, int32_t size, ChecksumRange *out) {
    int32_t kept = 0;
    for (int32_t i = 0; i < find.rangeCount; ++i) {
        ChecksumRange range = find.ranges[i];
        if (range.first > last) continue;
        if (range.last > last) range.last = last;
        if ((range.last - range.first + 1u) & static_cast<uint32_t>(size - 1)) return 0;
        out[kept++] = range;
    }
    return kept;
}

// The algorithm's value over a find's ranges up to last (in room): its core computed once.
ChecksumValue ValueOf(Search &search, const ChecksumAlgorithm &algorithm, uint8_t fill,
                      int32_t find, uint32_t last, int32_t ranges) {
    ChecksumAlgorithm core = algorithm;
    core.xorOut = 0;
    core.negated = false;
    int32_t k = 0;
    for (; k < search.count; ++k) {
        const Computed &c = search.computed[k];
        if (c.fill == fill && c.find == find && c.last == last &&
            std::memcmp(&c.core, &core, sizeof core) == 0)
            break;
    }
    if (k == search.count) {
        if (k == search.capacity) {
            search.capacity = 2 * k + 64;
            search.computed = static_cast<Computed *>(
                MainHeapMove(search.computed, static_cast<size_t>(k) * sizeof(Computed),
                             static_cast<size_t>(search.capacity) * sizeof(Computed)));
        }
        Computed &c = search.computed[search.count++];
        c = Computed{core, fill, find, last, {}};
        ImageChecksum sum;
        BeginImageChecksum(sum, core);
        for (int32_t i = 0; i < ranges; ++i)
            AddImageRange(sum, *search.image, search.room[i].first, search.room[i].last, fill);
        c.value = EndImageValue(sum);
    }
    ChecksumValue value = search.computed[k].value;
    if (algorithm.kind == CHECKSUM_DIGEST) return value;
    // negated (0 - v: its bits flipped, plus 1), then xorout, from the least significant byte
    int32_t carry = 1;
    for (int32_t b = value.width - 1; b >= 0; --b) {
        int32_t byte = value.bytes[b];
        if (algorithm.negated) {
            byte = (~byte & 0xFF) + carry;
            carry = byte >> 8;
        }
        value.bytes[b] = static_cast<uint8_t>(byte ^ algorithm.xorOut >> 8 * (value.width - 1 - b));
    }
    return value;
}

// Whether the algorithm gives a find's value: over its ranges, or where the value's bytes lie in
// them, over the ranges up to the byte before them (the last address taken noted); a value given
// in either order, one stored in the order asked.
bool Matches(Search &search, int32_t find, const ChecksumAlgorithm &algorithm, uint8_t fill,
             bool bigEndian) {
    const FindJob &job = search.command->finds[find];
    Place &place = search.places[find];
    int32_t width = ChecksumWidth(algorithm);
    const uint8_t *stored = place.stored;
    place.last = WHOLE;
    if (job.placed) {
        if (place.held < width) return false;
        uint32_t end = job.address + static_cast<uint32_t>(width) - 1;
        for (int32_t i = 0; i < job.rangeCount; ++i)
            if (job.ranges[i].first <= end && job.ranges[i].last >= job.address) {
                if (job.address == 0) return false; // (nothing before it)
                place.last = job.address - 1;
            }
    } else {
        for (int32_t k = 0; k < MOST_VALUE_BYTES - width; ++k)
            if (job.value[k]) return false;
        stored = job.value + MOST_VALUE_BYTES - width;
    }
    int32_t ranges = CutRanges(job, place.last, algorithm.wordSize, search.room);
    if (!ranges) return false;
    place.value = ValueOf(search, algorithm, fill, find, place.last, ranges);
    const ChecksumValue &value = place.value;
    for (int32_t order = 0; order < 2; ++order)
        if ((!job.placed || order == bigEndian) &&
            SameValue(StoredBytesValue(stored, algorithm, order), value))
            return true;
    return false;
}

// Whether the bytes from first to last are held by records, every one.
bool HeldWhole(const HexImage &image, uint32_t first, uint32_t last) {
    ptrdiff_t next = 0;
    ImageRange held{};
    uint64_t from = first;
    while (from <= last && NextImageRange(image, &next, &held))
        if (held.first <= from && held.last >= from) from = uint64_t{held.last} + 1;
    return from > last;
}

// The options of a match, in the workspace: a --checksum for each find (=VALUE, the value in the
// order that gives it, for a value given), then --fill 0x00.
Field MatchOptions(Search &search, Field name, int32_t form, const ChecksumAlgorithm &algorithm,
                   bool bigEndian, uint8_t fill) {
    const CommandLine &command = *search.command;
    int32_t start = WorkspacePosition();
    for (int32_t f = 0; f < command.findCount; ++f) {
        const FindJob &job = command.finds[f];
        AppendString(f ? " " : "");
        AppendString(texts::FOUND_CHECKSUM);
        AppendToWorkspace(name.text, name.length);
        AppendString(FORM_NAMES[form]);
        AppendString(algorithm.negated ? "/neg:" : ":");
        const Place &place = search.places[f];
        report_fields::RangesOf(search.room,
                                CutRanges(job, place.last, algorithm.wordSize, search.room));
        if (job.placed) {
            AppendString("@");
            Address address(job.address);
            AppendToWorkspace(address.text, address.length);
            AppendString(bigEndian ? ":be" : "");
        } else { // (a digest's digits as a number)
            AppendString(algorithm.kind == CHECKSUM_DIGEST ? "=0x" : "=");
            ValueDigits digits(place.value, algorithm);
            AppendToWorkspace(digits.text, digits.length);
        }
    }
    AppendString(fill ? "" : texts::FOUND_FILL);
    return {WorkspaceAt(start), WorkspacePosition() - start};
}

// Every match over the image, reported, in the order of the algorithms, then of their forms,
// plain before negated, FF before 00, little-endian first; how many.
int32_t FindAll(Search &search, Report &report) {
    const CommandLine &command = *search.command;
    bool gaps = false, placed = false;
    for (int32_t f = 0; f < command.findCount; ++f) {
        const FindJob &job = command.finds[f];
        placed |= job.placed;
        for (int32_t i = 0; i < job.rangeCount; ++i)
            gaps |= !HeldWhole(*search.image, job.ranges[i].first, job.ranges[i].last);
    }
    int32_t matches = 0;
    ChecksumAlgorithm algorithm{};
    char named[MOST_NAME_LENGTH];
    Field name{named, 0};
    for (int32_t a = 0; KnownAlgorithm(a, algorithm, named, &name.length); ++a) {
        ChecksumKind kind = algorithm.kind;
        int32_t width = ChecksumWidth(algorithm);
        // form, negated, fill 00, big-endian; a CRC takes big-endian words as the bytes they
        // are, a digest bytes alone, and stores its bytes in one order
        for (int32_t v = 0; v < 8 * FORMS; ++v) {
            int32_t form = v / 8;
            bool negated = v & 4, zeros = v & 2, big = v & 1;
            if ((form && kind == CHECKSUM_DIGEST) || (form >= 3 && kind == CHECKSUM_CRC) ||
                (negated && kind != CHECKSUM_SUM) || (zeros && !gaps) ||
                (big && (!placed || width == 1 || kind == CHECKSUM_DIGEST)))
                continue;
            algorithm.wordSize = static_cast<uint8_t>(form == 0 ? 1 : form % 2 ? 4 : 2);
            algorithm.wordsBigEndian = form >= 3;
            algorithm.negated = negated;
            uint8_t fill = zeros ? 0x00 : 0xFF;
            bool all = true;
            for (int32_t f = 0; f < command.findCount && all; ++f)
                all = Matches(search, f, algorithm, fill, big);
            if (!all) continue;
            ++matches;
            WorkspaceScope scope;
            ReportFound(report, MatchOptions(search, name, form, algorithm, big, fill));
        }
    }
    return matches;
}

} // namespace

void FindChecksumsFile(const CommandLine &command, const char *path, Report &report) {
    // The image over every range and the bytes of the widest value at each place.
    int32_t count = 0, most = 1;
    for (int32_t f = 0; f < command.findCount; ++f) {
        count += command.finds[f].rangeCount + 1;
        most = command.finds[f].rangeCount > most ? command.finds[f].rangeCount : most;
    }
    auto *ranges =
        static_cast<ImageRange *>(MainHeapAlloc(static_cast<size_t>(count) * sizeof(ImageRange)));
    ImageRange *range = ranges;
    for (int32_t f = 0; f < command.findCount; ++f) {
        const FindJob &job = command.finds[f];
        for (int32_t i = 0; i < job.rangeCount; ++i)
            *range++ = {job.ranges[i].first, job.ranges[i].last, false};
        if (!job.placed) continue; // (a value given reads no place)
        uint32_t last = job.address + (MOST_VALUE_BYTES - 1);
        *range++ = {job.address, last > job.address ? last : WHOLE, false};
    }
    HexImage image{};
    BeginHexImage(image, ranges, static_cast<int32_t>(range - ranges));
    WalkTally tally{};
    int32_t walked =
        WalkHexFile(path, WALK_CHECK, HexImageSink, &image, &tally, HexImageVisitor, &image);
    Search search{&command, &image, nullptr, 0, 0, nullptr, nullptr};
    search.places =
        static_cast<Place *>(MainHeapAlloc(static_cast<size_t>(command.findCount) * sizeof(Place) +
                                           static_cast<size_t>(most) * sizeof(ChecksumRange)));
    search.room = reinterpret_cast<ChecksumRange *>(search.places + command.findCount);
    bool found = false;
    if (walked == 1) {
        EndHexImage(image);
        found = !RefuseImageItself(command, image, report, false);
        for (int32_t f = 0; f < command.findCount && found; ++f) {
            const FindJob &job = command.finds[f];
            int64_t line = 0;
            if (!job.placed) continue;
            Place &place = search.places[f];
            place.held = ReadImageBytes(image, job.address, MOST_VALUE_BYTES, place.stored, &line);
            if (place.held == 0) {
                ReportChecksumNotStored(report, job.address);
                found = false;
            }
        }
    }
    if (found) report.matches = FindAll(search, report);
    NoteWalk(report, walked, tally, found ? texts::SUMMARY_FOUND : nullptr);
    MainHeapFree(search.places);
    if (search.computed) MainHeapFree(search.computed);
    ReleaseHexImage(image);
    MainHeapFree(ranges);
}
