// SPDX-License-Identifier: MIT
#include "app/command_line.h"

#include "app/file_walks.h"
#include "app/find_checksum.h"
#include "app/output_file.h"
#include "app/report.h"
#include "app/set_files.h"
#include "app/texts.h"
#include "runtime/standard_output.h"

namespace {

int32_t Print(const char *text, StreamKind kind, int32_t exitCode) {
    if (OpenStandardOutput(kind)) WriteOutput(text, kind);
    return EndReport() ? exitCode : EXIT_FAILED;
}

} // namespace

int32_t FinishCall(const CallOutcome &outcome) {
    return EndReport(outcome.files) ? outcome.exitCode : EXIT_FAILED;
}

int32_t PatchNamedFiles(const CommandLine &command) {
    SendFailuresTo(command.quiet || command.json ? STREAM_ERROR : FAILURES);
    return FinishCall(command.toOutput || Grows(command) ? WriteOutputFile(command)
                                                         : WalkEachFile(command, PatchFile));
}

int32_t RunCommand(const CommandLine &command) {
    SendFailuresTo(command.quiet || command.json ? STREAM_ERROR : FAILURES);
    switch (command.mode) {
    case COMMAND_PATCH: return PatchNamedFiles(command);
    case COMMAND_CHECK:
        return FinishCall(WalkEachFile(command, command.checksumCount || command.settings.count ||
                                                        command.getCount
                                                    ? CheckValuesFile
                                                    : CheckFile));
    case COMMAND_STRICT: return FinishCall(WalkEachFile(command, StrictFile));
    case COMMAND_SET:
        return FinishCall(command.toOutput || Grows(command) ? WriteOutputFile(command)
                                                             : SetNamedBytes(command));
    case COMMAND_PRINT: return FinishCall(WalkEachFile(command, PrintValuesFile));
    case COMMAND_INFO: return FinishCall(WalkEachFile(command, InfoFile));
    case COMMAND_FIND: return FinishCall(WalkEachFile(command, FindChecksumsFile));
    case COMMAND_USAGE: return Print(texts::USAGE, STREAM_OUTPUT, EXIT_DONE);
    case COMMAND_VERSION: return Print(texts::VERSION, STREAM_OUTPUT, EXIT_DONE);
    default:
        if (command.fault == FAULT_NONE) {
            // On Windows the usage goes where the rest of the report goes.
            Print(texts::USAGE, NATIVE ? STREAM_ERROR : STREAM_OUTPUT, EXIT_FAILED);
            return EXIT_FAILED;
        }
        ReportCommandFault(command);
        EndReport();
        return EXIT_FAILED;
    }
}
