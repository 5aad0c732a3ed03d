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
void ReportValuesWritten(const CommandLine &command, const SetFile &file, Report &report) {
    bool reporting = Reporting(report);
    EachValueInOrder(command, [&](ValueKind kind, int32_t i) {
        if (kind == VALUE_SET && reporting && file.setInPlace[i]) {
            const ByteSetting &setting = command.settings.items[i];
            ReportSetChecked(report, file.setLines[i], setting, setting.bytes);
        } else if (kind == VALUE_CHECKSUM && command.checksums[i].printed) {
            ReportChecksumPrinted(report, command.checksums[i], file.values[i]);
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
    OpenStandardOutput();
    CallOutcome outcome{EXIT_DONE, {0, command.fileCount}};
    bool failed = false;
    for (int32_t i = 0; i < command.fileCount; ++i) {
        SetFile &file = files[i];
        Report &report = *file.report;
        if (failed) {
            ReportSetSkipped(report);
        } else {
            WalkTally tally{};
            int64_t records = 0;
            int32_t walked = WriteSetFile(file, report, Reporting(report), &tally, &records);
            if (walked == SET_INCOMPLETE)
                ReportSetIncomplete(report);
            else if (walked == SET_CHANGED)
                ReportSetChanged(report);
            else if (walked != 1)
                ReportFailure(report, walked, tally);
            report.tally = tally;
            report.read = report.written = walked == 1;
            report.summary = texts::SUMMARY_SET;
            report.recordsSet = records;
            if (walked == 1) ReportValuesWritten(command, file, report);
            outcome.files.written += walked == 1 ? 1 : 0;
        }
        failed = failed || report.failed;
        if (report.failed && outcome.exitCode < EXIT_FAILED) outcome.exitCode = EXIT_FAILED;
        if (&report != &file.ownReport) continue; // (the caller ends it)
        file.ended = true;
        int32_t exitCode = EndFileReport(report);
        outcome.exitCode = exitCode > outcome.exitCode ? exitCode : outcome.exitCode;
    }
    return outcome;
}
