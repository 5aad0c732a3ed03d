// SPDX-License-Identifier: MIT
#include "app/value_order.h"

#include "core/byte_settings.h"
#include "core/image_checksum.h"
#include "runtime/registry.h"

namespace {

// The last address of a --checksum value's place (of one that has a place, which ends by
// 0xFFFFFFFF).
uint32_t PlaceEnd(const ChecksumJob &job) {
    return job.address + static_cast<uint32_t>(ChecksumWidth(job.algorithm)) - 1;
}

// Whether job a's place lies in one of job b's ranges: a must be computed first.
bool Feeds(const ChecksumJob &a, const ChecksumJob &b) {
    for (int32_t i = 0; i < b.rangeCount && !a.printed; ++i)
        if (a.address <= b.ranges[i].last && PlaceEnd(a) >= b.ranges[i].first) return true;
    return false;
}

// The first value from done on, other than k, whose place lies in value k's range, or -1.
int32_t FirstFeeder(const CommandLine &command, int32_t done, int32_t k) {
    const ChecksumJob *jobs = command.checksums;
    for (int32_t j = done; j < command.checksumCount; ++j)
        if (j != k && Feeds(jobs[j], jobs[k])) return j;
    return -1;
}

// Every value from done on waits for another: the cycle that following each value's first feeder
// from the first of them runs into (after as many steps as there are values, the walk is in it)
// into command.cycle, from its value given first (the values left are in the order given).
void NameCycle(CommandLine &command, int32_t done) {
    const ChecksumJob *jobs = command.checksums;
    int32_t in = done;
    for (int32_t step = done; step < command.checksumCount; ++step)
        in = FirstFeeder(command, done, in);
    int32_t first = in;
    for (int32_t k = FirstFeeder(command, done, in); k != in; k = FirstFeeder(command, done, k))
        first = k < first ? k : first;
    command.cycle = static_cast<int32_t *>(
        MainHeapAlloc(static_cast<size_t>(command.checksumCount - done) * sizeof(int32_t)));
    int32_t k = first;
    do {
        command.cycle[command.cycleLength++] = jobs[k].argument;
        k = FirstFeeder(command, done, k);
    } while (k != first);
}

} // namespace

// The two values whose bytes overlap, or -1: --set values (sorted), then a --set value and a
// place, then two places.
CommandFault FindOverlap(CommandLine &command, int32_t *one, int32_t *other) {
    const ByteSettingList &settings = command.settings;
    if (int32_t i = SortByteSettings(command.settings); i >= 0) {
        *one = settings.items[i].argument;
        *other = settings.items[i + 1].argument;
        return FAULT_SET_OVERLAP;
    }
    for (int32_t k = 0; k < command.checksumCount; ++k) {
        const ChecksumJob &job = command.checksums[k];
        if (job.printed) continue; // no place
        for (int32_t i = 0; i < settings.count; ++i) {
            const ByteSetting &setting = settings.items[i];
            if (setting.address <= PlaceEnd(job) &&
                setting.address + static_cast<uint64_t>(setting.count) > job.address) {
                *one = setting.argument;
                *other = job.argument;
                return FAULT_SET_CHECKSUM_OVERLAP;
            }
        }
        for (int32_t j = 0; j < k; ++j)
            if (!command.checksums[j].printed && command.checksums[j].address <= PlaceEnd(job) &&
                PlaceEnd(command.checksums[j]) >= job.address) {
                *one = command.checksums[j].argument;
                *other = job.argument;
                return FAULT_CHECKSUM_OVERLAP;
            }
    }
    return FAULT_NONE;
}

// Puts each --checksum value after those whose places lie in its range, else in the order given.
// False when no such order exists, with the values of a cycle of them in command.cycle.
bool OrderChecksums(CommandLine &command) {
    ChecksumJob *jobs = command.checksums;
    for (int32_t done = 0; done < command.checksumCount; ++done) {
        // The first value left that no other value left feeds.
        int32_t next = done;
        while (next < command.checksumCount && FirstFeeder(command, done, next) >= 0)
            ++next;
        if (next == command.checksumCount) {
            NameCycle(command, done);
            return false;
        }
        ChecksumJob moved = jobs[next];
        for (int32_t k = next; k > done; --k)
            jobs[k] = jobs[k - 1];
        jobs[done] = moved;
    }
    return true;
}
