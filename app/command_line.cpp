#include "app/command_line.h"

#include "app/texts.h"
#include "core/patcher.h"
#include "runtime/arguments.h"
#include "runtime/file_channels.h"
#include "runtime/standard_output.h"
#include "runtime/strings.h"

#include <initializer_list>

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
    CommandLine command{COMMAND_WINDOW, 0, false};
    int32_t count = ArgumentCount();
    bool check = false;
    int32_t index = 0;
    for (; index < count; ++index) {
        OwnedString argument;
        TakeArgument(index, argument);
        const char *text = argument.Text();
        bool help = NATIVE ? IsSwitch(text, "-h") : IsSwitch(text, "/?");
        if (help || IsSwitch(text, "--help")) return {COMMAND_USAGE, count, false};
        if (IsSwitch(text, "--version") || IsSwitch(text, NATIVE ? "-V" : "-v") ||
            (!NATIVE && IsSwitch(text, "/version")))
            return {COMMAND_VERSION, count, false};
        if (IsSwitch(text, "--quiet") || IsSwitch(text, "-q") ||
            (!NATIVE && IsSwitch(text, "/q"))) {
            command.quiet = true;
            continue;
        }
        if (IsSwitch(text, "--check") || (!NATIVE && IsSwitch(text, "/check"))) {
            check = true;
            continue;
        }
        if (NATIVE && IsSwitch(text, "--")) {
            ++index;
            break;
        }
        if (NATIVE && text[0] == '-' && text[1] != 0) return {COMMAND_MISUSED, count, false};
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

using Fields = std::initializer_list<const char *>;
using Put = void (*)(const char *bytes, int32_t length, StreamKind kind);

// A report template (app/texts.h) with its fields put in where %1 to %9 stand, handed to put a
// run at a time.
void ExpandTemplate(const char *text, Fields fields, Put put, StreamKind kind) {
    const char *run = text;
    const char *at = text;
    for (; *at; ++at) {
        if (at[0] != '%' || at[1] < '1' || at[1] > '9') continue;
        put(run, static_cast<int32_t>(at - run), kind);
        size_t field = static_cast<size_t>(at[1] - '1');
        if (field < fields.size())
            put(fields.begin()[field], StringLength(fields.begin()[field]), kind);
        run = ++at + 1;
    }
    put(run, static_cast<int32_t>(at - run), kind);
}

void WriteTemplate(const char *text, Fields fields, StreamKind kind = STREAM_OUTPUT) {
    ExpandTemplate(text, fields, WriteOutputBytes, kind);
}

// The same as a String at the result start.
void FormatTemplate(const char *text, Fields fields, int32_t resultStart) {
    LeftPart("", 0, resultStart);
    ExpandTemplate(
        text, fields,
        [](const char *bytes, int32_t length, StreamKind) {
            LeftPart(bytes, length, WorkspacePosition());
        },
        STREAM_OUTPUT);
}

// A number as a template's field.
struct Decimal {
    explicit Decimal(int64_t value) { FormatDecimal(value, digits); }
    char digits[DECIMAL_TEXT_SIZE];
};

// Two checksum characters as a template's field.
struct Digits {
    explicit Digits(const char (&pair)[2]) : text{pair[0], pair[1], 0} {}
    char text[3];
};

// A count with its noun, from the template for 1 (when there is one) or the one for any other
// number, at the result start.
void FormatCount(int64_t count, const char *one, const char *more, int32_t resultStart) {
    FormatTemplate(count == 1 && one ? one : more, {Decimal(count).digits}, resultStart);
}

// One finding, as app/texts.h words it: CHECKSUM_CORRECTED or CHECKSUM_WRONG for a checksum,
// NOT_A_DIGIT, NO_BYTE_COUNT or WRONG_LENGTH for a line that is not a well-formed record.
void ReportFinding(void *context, const Finding &finding) {
    const Report &report = *static_cast<const Report *>(context);
    Decimal line(finding.line);
    if (finding.kind == FINDING_CHECKSUM) {
        Digits written(finding.written), right(finding.right);
        WriteTemplate(report.patching ? texts::CHECKSUM_CORRECTED : texts::CHECKSUM_WRONG,
                      {report.path, line.digits, written.text, right.text});
        return;
    }
    const char *left = report.patching ? texts::LEFT_UNCHANGED : "";
    if (finding.notDigit > 0) {
        WriteTemplate(texts::NOT_A_DIGIT,
                      {report.path, line.digits, Decimal(finding.notDigit).digits, left});
    } else if (finding.expected < 0) {
        WriteTemplate(texts::NO_BYTE_COUNT, {report.path, line.digits, left});
    } else {
        Decimal length(finding.length), expected(finding.expected);
        WriteTemplate(texts::WRONG_LENGTH,
                      {report.path, line.digits, length.digits, expected.digits, left});
    }
}

// Why an open, read or write failed, in words at the result start; natively the system's own
// (strerror).
void FormatReason(uint32_t failure, int32_t resultStart) {
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
        texts::REASON_NOT_REGULAR,
        texts::REASON_CHANGED,
    };
    static_assert(sizeof REASONS / sizeof REASONS[0] == FAILURE_CHANGED + 1);
    // Natively the system's words, but for the refusals that are the tool's own.
    FailureKind kind = ClassifyFailure(failure);
    bool own = kind == FAILURE_NOT_REGULAR || kind == FAILURE_CHANGED;
    if (const char *reason = NATIVE && !own ? nullptr : REASONS[kind]) {
        LeftPart(reason, StringLength(reason), resultStart);
        return;
    }
    char words[512];
    if (int32_t length = FailureText(failure, words, sizeof words); length > 0) {
        LeftPart(words, length, resultStart);
        return;
    }
    FormatCount(failure, nullptr, texts::REASON_SYSTEM_ERROR, resultStart);
}

// A file that could not be opened (CANNOT_BE_OPENED), or whose walk a failure ended (NOT_READ,
// NOT_WRITTEN); natively on the standard error.
void ReportFailure(const Report &report, int32_t walked, const WalkTally &tally) {
    StreamKind kind = NATIVE ? STREAM_ERROR : STREAM_OUTPUT;
    if (!OpenStandardOutput(kind)) return;
    if (NATIVE) FlushStandardOutput(); // on a terminal the lines stand in their order
    OwnedString reason;
    int32_t start = WorkspacePosition();
    FormatReason(tally.failure, start);
    reason.TakeResult(start);
    Decimal done(tally.linesDone);
    if (walked == 0)
        WriteTemplate(texts::CANNOT_BE_OPENED, {report.path, reason.Text()}, kind);
    else
        WriteTemplate(tally.failedWriting ? texts::NOT_WRITTEN : texts::NOT_READ,
                      {report.path, done.digits, reason.Text()}, kind);
    if (NATIVE) FlushStandardOutput(kind);
}

// SUMMARY_PATCHED or SUMMARY_CHECKED: "FILE: 1042 records, 3 corrected, 1 line left unchanged".
void ReportSummary(const Report &report, const WalkTally &tally) {
    OwnedString records, lines;
    int32_t start = WorkspacePosition();
    FormatCount(tally.records, texts::ONE_RECORD, texts::RECORDS, start);
    records.TakeResult(start);
    if (report.patching)
        FormatCount(tally.malformed, texts::ONE_LINE_LEFT, texts::LINES_LEFT, start);
    else
        FormatCount(tally.malformed, texts::ONE_LINE_MALFORMED, texts::LINES_MALFORMED, start);
    lines.TakeResult(start);
    WriteTemplate(report.patching ? texts::SUMMARY_PATCHED : texts::SUMMARY_CHECKED,
                  {report.path, records.Text(), Decimal(tally.checksums).digits, lines.Text()});
}

// Walks every named file in order; the report goes out only when someone can read it, and
// quiet, without findings and summaries: they are not even formatted. Returns
// EXIT_FAILED when a file could not be opened, read or written, else EXIT_FOUND_WRONG when
// checking found something, else EXIT_DONE.
int32_t WalkNamedFiles(const CommandLine &command, WalkMode mode) {
    bool reporting = !command.quiet && OpenStandardOutput() != 0;
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

void PrintVersion() {
    if (!OpenStandardOutput()) return;
    WriteOutput(texts::VERSION);
    FlushStandardOutput();
}
