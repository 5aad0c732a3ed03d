#include "app/command_line.h"

#include "app/texts.h"
#include "core/patcher.h"
#include "runtime/arguments.h"
#include "runtime/file_channels.h"
#include "runtime/standard_output.h"
#include "runtime/strings.h"

namespace {

#ifdef _WIN32
constexpr bool NATIVE = false; // Windows' switches, in any letter case
#else
constexpr bool NATIVE = true; // the platform's options, as spelled, and -- to end them
#endif

// A switch matches its name, on Windows in any letter case (ASCII letters only).
bool IsSwitch(const char *argument, const char *name) {
    for (; *name; ++argument, ++name) {
        char c = *argument;
        if (!NATIVE && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != *name) return false;
    }
    return *argument == 0;
}

// The argument with the given index, kept; "" past the last one.
void TakeArgument(int32_t index, OwnedString &argument) {
    int32_t start = WorkspacePosition();
    ArgumentAt(index, start);
    argument.TakeResult(start);
}

} // namespace

CommandLine ReadCommandLine() {
    CommandLine command{COMMAND_WINDOW, 0};
    int32_t count = ArgumentCount();
    bool check = false;
    int32_t index = 0;
    for (; index < count; ++index) {
        OwnedString argument;
        TakeArgument(index, argument);
        const char *text = argument.Text();
        bool help = NATIVE ? IsSwitch(text, "-h") : IsSwitch(text, "/?");
        if (help || IsSwitch(text, "--help")) return {COMMAND_USAGE, count};
        if (IsSwitch(text, "--check") || (!NATIVE && IsSwitch(text, "/check"))) {
            check = true;
            continue;
        }
        if (NATIVE && IsSwitch(text, "--")) {
            ++index;
            break;
        }
        if (NATIVE && text[0] == '-' && text[1] != 0) return {COMMAND_MISUSED, count};
        break;
    }
    command.firstFile = index;
    bool files = false;
    for (; index < count && !files; ++index) {
        OwnedString argument;
        TakeArgument(index, argument);
        files = StringLength(argument.Get()) > 0;
    }
    if (check)
        command.mode = files ? COMMAND_CHECK : COMMAND_MISUSED;
    else if (files)
        command.mode = COMMAND_PATCH;
    else if (NATIVE)
        command.mode = COMMAND_MISUSED; // no window to open
    return command;
}

namespace {

// One file of the report: its findings and summary, each line led by the path as given.
struct Report {
    const char *path;
    bool patching;
};

void WriteCount(int64_t count, const char *one, const char *more) {
    WriteOutputNumber(count);
    WriteOutput(count == 1 ? one : more);
}

// "FILE(LINE): checksum 5A corrected to 3F" or ", should be 3F"; "FILE(LINE): not a well-formed
// record (43 characters, the byte count asks for 45)", with ", left unchanged" when patching.
// (Natively FILE:LINE: as GNU tools write it.)
void ReportFinding(void *context, const Finding &finding) {
    const Report &report = *static_cast<const Report *>(context);
    WriteOutput(report.path);
    WriteOutput(texts::REPORT_LINE_START);
    WriteOutputNumber(finding.line);
    WriteOutput(texts::REPORT_LINE_STOP);
    if (finding.kind == FINDING_CHECKSUM) {
        WriteOutput(texts::REPORT_CHECKSUM);
        WriteOutputBytes(finding.written, 2);
        WriteOutput(report.patching ? texts::REPORT_CORRECTED_TO : texts::REPORT_SHOULD_BE);
        WriteOutputBytes(finding.right, 2);
    } else {
        WriteOutput(texts::REPORT_MALFORMED);
        if (finding.notDigit > 0) {
            WriteOutput(texts::REPORT_CHARACTER);
            WriteOutputNumber(finding.notDigit);
            WriteOutput(texts::REPORT_NOT_A_DIGIT);
        } else if (finding.expected < 0) {
            WriteOutput(texts::REPORT_NO_BYTE_COUNT);
        } else {
            WriteOutputNumber(finding.length);
            WriteOutput(texts::REPORT_CHARACTERS);
            WriteOutputNumber(finding.expected);
            WriteOutput(texts::REPORT_CLOSE);
        }
        if (report.patching) WriteOutput(texts::REPORT_LEFT_UNCHANGED);
    }
    WriteOutput(texts::REPORT_LINE_END);
}

// Why an open, read or write failed, in words; natively the system's own (strerror).
void WriteReason(uint32_t failure, StreamKind kind) {
    static constexpr const char *REASONS[] = {
        nullptr,
        texts::REASON_NOT_FOUND,
        texts::REASON_FOLDER,
        texts::REASON_READ_ONLY,
        texts::REASON_ACCESS_DENIED,
        texts::REASON_IN_USE,
        texts::REASON_LOCKED,
        texts::REASON_PATH_TOO_LONG,
        texts::REASON_DISK_FULL,
        texts::REASON_NETWORK_GONE,
    };
    static_assert(sizeof REASONS / sizeof REASONS[0] == FAILURE_NETWORK_GONE + 1);
    if (const char *reason = NATIVE ? nullptr : REASONS[ClassifyFailure(failure)]) {
        WriteOutput(reason, kind);
        return;
    }
    WorkspaceScope scope;
    const char *words = FailureText(failure, scope.Start());
    if (StringLength(words) > 0) {
        WriteOutput(words, kind);
        return;
    }
    WriteOutput(texts::REASON_SYSTEM_ERROR, kind);
    WriteOutputNumber(failure, kind);
}

// A file that could not be opened: "FILE: cannot be opened (not found)"; one whose walk a
// failure ended: "FILE: could not be written completely, stopped after line 1041 (disk full)".
// Natively on the standard error, as "checksumme: FILE: No such file or directory" and
// "checksumme: FILE: could not be written completely, stopped after line 1041: No space left on
// device".
void ReportFailure(const Report &report, int32_t walked, const WalkTally &tally) {
    StreamKind kind = NATIVE ? STREAM_ERROR : STREAM_OUTPUT;
    if (!OpenStandardOutput(kind)) return;
    if (NATIVE) FlushStandardOutput(); // on a terminal the lines stand in their order
    WriteOutput(texts::ERROR_START, kind);
    WriteOutput(report.path, kind);
    if (walked == 0) {
        WriteOutput(texts::REPORT_CANNOT_BE_OPENED, kind);
    } else {
        WriteOutput(tally.failedWriting ? texts::REPORT_NOT_WRITTEN : texts::REPORT_NOT_READ, kind);
        WriteOutputNumber(tally.linesDone, kind);
        WriteOutput(texts::REPORT_REASON, kind);
    }
    WriteReason(tally.failure, kind);
    WriteOutput(texts::REPORT_REASON_END, kind);
    WriteOutput(texts::REPORT_LINE_END, kind);
    if (NATIVE) FlushStandardOutput(kind);
}

// "FILE: 1042 records, 3 corrected, 1 line left unchanged".
void ReportSummary(const Report &report, const WalkTally &tally) {
    WriteOutput(report.path);
    WriteOutput(texts::REPORT_SUMMARY_START);
    WriteCount(tally.records, texts::REPORT_RECORD, texts::REPORT_RECORDS);
    WriteOutput(texts::REPORT_SEPARATOR);
    WriteOutputNumber(tally.checksums);
    WriteOutput(report.patching ? texts::REPORT_CORRECTED : texts::REPORT_WRONG);
    WriteOutput(texts::REPORT_SEPARATOR);
    if (report.patching)
        WriteCount(tally.malformed, texts::REPORT_LINE_LEFT_UNCHANGED,
                   texts::REPORT_LINES_LEFT_UNCHANGED);
    else
        WriteCount(tally.malformed, texts::REPORT_LINE_MALFORMED, texts::REPORT_LINES_MALFORMED);
    WriteOutput(texts::REPORT_LINE_END);
}

// Walks every named file in order; the report goes out only when someone can read it. Returns
// EXIT_FAILED when a file could not be opened, read or written, else EXIT_FOUND_WRONG when
// checking found something, else EXIT_DONE.
int32_t WalkNamedFiles(const CommandLine &command, WalkMode mode) {
    bool reporting = OpenStandardOutput() != 0;
    bool failed = false, found = false;
    for (int32_t index = command.firstFile; index < ArgumentCount(); ++index) {
        OwnedString path;
        TakeArgument(index, path);
        if (StringLength(path.Get()) == 0) continue;
        Report report{path.Get(), mode == WALK_PATCH};
        WalkTally tally{};
        int32_t walked =
            WalkHexFile(path.Get(), mode, reporting ? ReportFinding : nullptr, &report, &tally);
        if (walked != 1)
            ReportFailure(report, walked, tally);
        else if (reporting)
            ReportSummary(report, tally);
        failed = failed || walked != 1;
        found = found || tally.checksums > 0 || tally.malformed > 0;
    }
    FlushStandardOutput();
    FlushStandardOutput(STREAM_ERROR);
    if (failed) return EXIT_FAILED;
    return mode == WALK_CHECK && found ? EXIT_FOUND_WRONG : EXIT_DONE;
}

} // namespace

int32_t PatchNamedFiles(const CommandLine &command) {
    return WalkNamedFiles(command, WALK_PATCH);
}

int32_t CheckNamedFiles(const CommandLine &command) {
    return WalkNamedFiles(command, WALK_CHECK);
}

void PrintUsage(StreamKind kind) {
    if (!OpenStandardOutput(kind)) return;
    WriteOutput(texts::USAGE, kind);
    FlushStandardOutput(kind);
}
