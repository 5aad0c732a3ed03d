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
int32_t WriteSetFile(SetFile &file, Report &report, bool reporting, WalkTally *tally,
                     int64_t *records) {
    // Another program may have changed it while the files before it were written.
    if (FileStamp now{}; !ChannelStamp(file.channel, &now) || !(now == file.stamp))
        return SET_CHANGED;
    SetWrite write =
        BeginSetWrite(file.own, file.image, reporting ? ReportStretch : nullptr, &report);
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

// The values of a file written, in the order given: each --set value in place already, each
// --checksum value stored, in place already or printed; quiet, the printed values alone.
void ReportValuesWritten(const CommandLine &command, const SetFile &file, const Report &report,
                         bool reporting) {
    EachValueInOrder(command, [&](ValueKind kind, int32_t i) {
        if (kind == VALUE_SET && reporting && file.setInPlace[i]) {
            const ByteSetting &setting = command.settings.items[i];
            ReportSetChecked(report, file.setLines[i], setting, setting.bytes);
        } else if (kind == VALUE_CHECKSUM && command.checksums[i].printed) {
            ReportChecksumPrinted(report, command.checksums[i], file.values[i], command.quiet);
        } else if (kind == VALUE_CHECKSUM && reporting) {
            ReportChecksumWritten(report, file.lines[i], command.checksums[i], file.values[i],
                                  file.inPlace[i]);
        }
        return true;
    });
}

} // namespace

// Writes every file in order, each reported; after a failure not one more file is written.
CallOutcome WriteSetFiles(const CommandLine &command, SetFile *files) {
    bool reporting = !command.quiet && OpenStandardOutput() != 0;
    CallOutcome outcome{false, false, {0, command.fileCount}};
    for (int32_t i = 0; i < command.fileCount; ++i) {
        Report report{};
        BeginReport(report, NameOf(files[i]), true);
        report.named = command.fileCount > 1;
        if (outcome.failed) {
            ReportSetSkipped(report);
            continue;
        }
        WalkTally tally{};
        int64_t records = 0;
        int32_t walked = WriteSetFile(files[i], report, reporting, &tally, &records);
        if (walked == SET_INCOMPLETE)
            ReportSetIncomplete(report);
        else if (walked == SET_CHANGED)
            ReportSetChanged(report);
        else if (walked != 1)
            ReportFailure(report, walked, tally);
        outcome.failed = walked != 1;
        if (outcome.failed) continue;
        outcome.files.written += 1;
        // A line that is no record stays as it was, in the file that was written.
        outcome.found = outcome.found || tally.malformed > 0;
        ReportValuesWritten(command, files[i], report, reporting);
        if (reporting)
            ReportSummary(report, tally, texts::SUMMARY_SET, records);
        else if (command.quiet)
            ReportQuietFindings(report, tally, 0, -1, -1);
    }
    return outcome;
}
