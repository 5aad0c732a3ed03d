// SPDX-License-Identifier: MIT
#include "app/set_files.h"

#include "app/command_line.h"
#include "app/report.h"
#include "runtime/file_channels.h"
#include "runtime/registry.h"

#include <initializer_list>

SetFile *MakeSetFiles(const CommandLine &command) {
    auto *files = static_cast<SetFile *>(
        MainHeapAlloc(static_cast<size_t>(command.fileCount) * sizeof(SetFile)));
    auto values = static_cast<size_t>(command.checksumCount);
    auto settings = static_cast<size_t>(command.settings.count);
    for (int32_t i = 0; i < command.fileCount; ++i) {
        OwnedString path;
        TakeArgument(command.files[i], path);
        CopyStringInto(files[i].path, path.Text());
        if (settings) {
            files[i].setLines = static_cast<int64_t *>(MainHeapAlloc(settings * sizeof(int64_t)));
            files[i].setInPlace = static_cast<bool *>(MainHeapAlloc(settings * sizeof(bool)));
        }
        if (!values) continue;
        files[i].values = static_cast<uint64_t *>(MainHeapAlloc(values * sizeof(uint64_t)));
        files[i].lines = static_cast<int64_t *>(MainHeapAlloc(values * sizeof(int64_t)));
        files[i].inPlace = static_cast<bool *>(MainHeapAlloc(values * sizeof(bool)));
    }
    return files;
}

// A write that fails only at the close (as on some network shares) fails the write.
bool CloseSetFile(SetFile &file, WalkTally *tally) {
    if (!file.channel) return tally == nullptr || !tally->failure;
    int32_t channel = file.channel;
    file.channel = 0;
    if (tally) return CloseWalkChannel(channel, WALK_PATCH, tally) == 1;
    CloseChannel(channel);
    return true;
}

void ReleaseSetFiles(const CommandLine &command, SetFile *files) {
    for (int32_t i = 0; i < command.fileCount; ++i) {
        SetFile &file = files[i];
        CloseSetFile(file, nullptr);
        FreeString(file.path);
        ReleaseHexImage(file.image);
        ReleaseByteSettings(file.own);
        for (void *block : {static_cast<void *>(file.values), static_cast<void *>(file.lines),
                            static_cast<void *>(file.inPlace), static_cast<void *>(file.setLines),
                            static_cast<void *>(file.setInPlace)})
            if (block) MainHeapFree(block);
    }
    MainHeapFree(files);
}

namespace {

// Every file open, then read, then checked for changes, and only then written. A file that the
// call did not write fails with it, its own report telling why when it was at fault.
CallOutcome SetFiles(const CommandLine &command, SetFile *files) {
    CallOutcome outcome{EXIT_FAILED, {0, command.fileCount}};
    if (OpenSetFiles(command, files) && ReadSetFiles(command, files) &&
        SetFilesUnchanged(command, files))
        outcome = WriteSetFiles(command, files);
    for (int32_t i = 0; i < command.fileCount; ++i) {
        SetFile &file = files[i];
        if (!file.report->written) file.report->failed = true;
        if (file.ended || file.report != &file.ownReport) continue;
        file.ended = true;
        int32_t exitCode = EndFileReport(*file.report);
        outcome.exitCode = exitCode > outcome.exitCode ? exitCode : outcome.exitCode;
    }
    ReleaseSetFiles(command, files);
    return outcome;
}

} // namespace

CallOutcome SetNamedBytes(const CommandLine &command) {
    SetFile *files = MakeSetFiles(command);
    for (int32_t i = 0; i < command.fileCount; ++i) {
        files[i].report = &files[i].ownReport;
        BeginFileReport(files[i].ownReport, command, PathOf(files[i]), true);
    }
    return SetFiles(command, files);
}

void SetCopiedBytes(const CommandLine &command, const char *path, Report &report) {
    SetFile *files = MakeSetFiles(command);
    CopyStringInto(files[0].path, path);
    files[0].report = &report;
    SetFiles(command, files);
}
