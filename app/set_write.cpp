// SPDX-License-Identifier: MIT
#include "app/set_files.h"

#include "app/command_line.h"
#include "app/report.h"
#include "app/texts.h"
#include "runtime/file_channels.h"
#include "runtime/standard_output.h"

namespace {

// The walk of a file whose bytes were set, but for a record that was not as it had been found;
// a file that changed since it was opened, and is not written.
constexpr int32_t SET_INCOMPLETE = -2;
constexpr int32_t SET_CHANGED = -3;

// The second walk over one file, through its channel, which it closes. A file that patching
// would leave as it is but for the set bytes needs only the records found (their checksums
// change with them); any other is walked whole.
int32_t WriteSetFile(const CommandLine &command, SetFile &file, Report &report, bool reporting,
                     WalkTally *tally, int64_t *records) {
    // Another program may have changed it while the files before it were written.
    if (FileStamp now{}; !ChannelStamp(file.channel, &now) || !(now == file.stamp))
        return SET_CHANGED;
    const ByteSettingList &list = command.checksumCount ? file.own : command.settings;
    SetWrite write = BeginSetWrite(list, file.image, reporting ? ReportStretch : nullptr, &report);
    bool shortcut = !file.first.unsettled && !file.first.malformed && !file.first.lastRecordOpen;
    int32_t walked;
    if (shortcut) {
        *tally = file.first;
        walked = SetFoundBytes(file.channel, write, tally);
    } else {
        SeekChannel(file.channel, 0); // a failed seek fails the walk's first read
        walked = WalkHexChannel(file.channel, WALK_PATCH, reporting ? ReportFinding : nullptr,
                                &report, tally, SetHeldBytes, &write);
    }
    walked = CloseSetFile(file, tally) ? 1 : -1;
    *records = write.records;
    if (walked == 1 && !SetWriteComplete(write)) return SET_INCOMPLETE;
    return walked;
}

} // namespace

// Writes every file in order, each reported; after a failure not one more file is written.
int32_t WriteSetFiles(const CommandLine &command, SetFile *files) {
    bool reporting = !command.quiet && OpenStandardOutput() != 0;
    bool failed = false;
    for (int32_t i = 0; i < command.fileCount; ++i) {
        Report report{};
        BeginReport(report, NameOf(files[i]), true);
        if (failed) {
            ReportSetSkipped(report);
            continue;
        }
        WalkTally tally{};
        int64_t records = 0;
        int32_t walked = WriteSetFile(command, files[i], report, reporting, &tally, &records);
        if (walked == SET_INCOMPLETE)
            ReportSetIncomplete(report);
        else if (walked == SET_CHANGED)
            ReportSetChanged(report);
        else if (walked != 1)
            ReportFailure(report, walked, tally);
        failed = walked != 1;
        if (failed || !reporting) continue;
        for (int32_t k = 0; k < command.checksumCount; ++k)
            ReportChecksumWritten(report, files[i].lines[k], command.checksums[k],
                                  files[i].values[k], files[i].inPlace[k]);
        ReportSummary(report, tally, texts::SUMMARY_SET, records);
    }
    if (!EndReport() || failed) return EXIT_FAILED;
    return EXIT_DONE;
}
