// SPDX-License-Identifier: MIT
#include "app/set_files.h"

#include "app/report.h"
#include "runtime/file_channels.h"
#include "runtime/registry.h"

// Every file open for writing, with its stamp; false when one could not be (each is reported).
bool OpenSetFiles(const CommandLine &command, SetFile *files) {
    bool opened = true;
    for (int32_t i = 0; i < command.fileCount; ++i) {
        files[i].channel = static_cast<int32_t>(OpenChannelUpdate(AUTO_NUMBER, PathOf(files[i])));
        bool stamped = files[i].channel && ChannelStamp(files[i].channel, &files[i].stamp);
        int32_t twice = -1; // an earlier name of the same file
        for (int32_t k = 0; stamped && k < i && twice < 0; ++k)
            if (files[k].channel && files[k].stamp.volume == files[i].stamp.volume &&
                files[k].stamp.index == files[i].stamp.index)
                twice = k;
        if (stamped && twice < 0) continue;
        opened = false;
        if (twice >= 0) {
            ReportSetNamedTwice(*files[i].report, NameOf(files[twice]));
            continue;
        }
        WalkTally tally{};
        tally.failure = files[i].channel ? FAILURE_CODE_CHANGED : ChannelOpenFailure();
        ReportFailure(*files[i].report, 0, tally);
    }
    return opened;
}

// True when no file changed since it was opened; else each that did is reported.
bool SetFilesUnchanged(const CommandLine &command, SetFile *files) {
    bool unchanged = true;
    for (int32_t i = 0; i < command.fileCount; ++i) {
        FileStamp now{};
        if (ChannelStamp(files[i].channel, &now) && now == files[i].stamp) continue;
        ReportSetChanged(*files[i].report);
        unchanged = false;
    }
    return unchanged;
}
