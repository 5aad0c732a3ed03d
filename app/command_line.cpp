// SPDX-License-Identifier: MIT
#include "app/command_line.h"

#include "app/texts.h"
#include "core/byte_settings.h"
#include "core/patcher.h"
#include "core/structure_check.h"
#include "runtime/arguments.h"
#include "runtime/file_channels.h"
#include "runtime/standard_output.h"
#include "runtime/strings.h"

#include <cstring>
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

// --set and --strict, and on Windows /set and /strict.
bool IsSetSwitch(const char *argument) {
    return IsSwitch(argument, "--set") || (!NATIVE && IsSwitch(argument, "/set"));
}

bool IsStrictSwitch(const char *argument) {
    return IsSwitch(argument, "--strict") || (!NATIVE && IsSwitch(argument, "/strict"));
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
    bool check = false, strict = false, set = false;
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
        if (IsStrictSwitch(text) || IsSetSwitch(text)) { // --set takes the next argument
            (IsSetSwitch(text) ? set : strict) = true;
            index += IsSetSwitch(text) ? 1 : 0;
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
    if (set && (check || strict))
        command.mode = COMMAND_MISUSED;
    else if (check || strict || set)
        command.mode = !files   ? COMMAND_MISUSED
                       : set    ? COMMAND_SET
                       : strict ? COMMAND_STRICT
                                : COMMAND_CHECK;
    else if (files)
        command.mode = COMMAND_PATCH;
    else if (NATIVE)
        command.mode = COMMAND_MISUSED; // no window to open
    return command;
}

namespace {

// One field of a report template, with its length.
struct Field {
    Field(const char *field) : text(field), length(StringLength(field)) {} // NOLINT: a text is one
    Field(const char *field, int32_t size) : text(field), length(size) {}
    const char *text;
    int32_t length;
};

using Fields = std::initializer_list<Field>;

// A report template taken apart once, for a line that a report may hold a million times: each
// run of its text and the field behind it (-1 after the last run).
struct Pieces {
    static constexpr int32_t MOST = 10; // nine fields and the run after the last
    struct Piece {
        const char *text;
        int32_t length;
        int32_t field;
    } pieces[MOST];
    int32_t count;
    int32_t fixed; // the length of the runs together
};

bool IsFieldMark(const char *at) {
    return at[0] == '%' && at[1] >= '1' && at[1] <= '9';
}

void TakeApart(const char *text, Pieces &out) {
    out.count = 0;
    out.fixed = 0;
    const char *run = text;
    for (const char *at = text;; ++at) {
        bool end = *at == 0;
        if (!end && !IsFieldMark(at)) continue;
        if (out.count == Pieces::MOST) return; // no template has more fields
        auto length = static_cast<int32_t>(at - run);
        out.pieces[out.count++] = {run, length, end ? -1 : at[1] - '1'};
        out.fixed += length;
        if (end) return;
        run = ++at + 1;
    }
}

// One file of the report: its findings and summary, each line led by the path as given.
struct Report {
    Field path;
    bool patching;
    Pieces checksumLine; // CHECKSUM_CORRECTED or CHECKSUM_WRONG
};

using Put = void (*)(const char *bytes, int32_t length, StreamKind kind);

// A line of a template taken apart, its runs and fields handed to put one at a time.
void PutPieces(const Pieces &line, Fields fields, Put put, StreamKind kind) {
    for (int32_t i = 0; i < line.count; ++i) {
        const Pieces::Piece &piece = line.pieces[i];
        put(piece.text, piece.length, kind);
        if (piece.field >= 0 && static_cast<size_t>(piece.field) < fields.size())
            put(fields.begin()[piece.field].text, fields.begin()[piece.field].length, kind);
    }
}

// A line of a template taken apart, made in the output's buffer with one copy for each piece;
// only a line longer than the buffer goes out piece by piece.
void WritePieces(const Pieces &line, Fields fields, StreamKind kind = STREAM_OUTPUT) {
    int32_t length = line.fixed;
    for (const Field &field : fields)
        length += field.length;
    char *out = OutputRoom(length, kind);
    if (!out) {
        PutPieces(line, fields, WriteOutputBytes, kind);
        return;
    }
    char *at = out;
    for (int32_t i = 0; i < line.count; ++i) {
        const Pieces::Piece &piece = line.pieces[i];
        std::memcpy(at, piece.text, static_cast<size_t>(piece.length));
        at += piece.length;
        if (piece.field < 0 || static_cast<size_t>(piece.field) >= fields.size()) continue;
        const Field &field = fields.begin()[piece.field];
        std::memcpy(at, field.text, static_cast<size_t>(field.length));
        at += field.length;
    }
    OutputFilled(static_cast<int32_t>(at - out), kind);
}

// A report template (app/texts.h) with its fields put in where %1 to %9 stand.
void WriteTemplate(const char *text, Fields fields, StreamKind kind = STREAM_OUTPUT) {
    Pieces line;
    TakeApart(text, line);
    WritePieces(line, fields, kind);
}

// The same as a String at the result start.
void FormatTemplate(const char *text, Fields fields, int32_t resultStart) {
    Pieces line;
    TakeApart(text, line);
    LeftPart("", 0, resultStart);
    PutPieces(
        line, fields,
        [](const char *bytes, int32_t length, StreamKind) {
            LeftPart(bytes, length, WorkspacePosition());
        },
        STREAM_OUTPUT);
}

// A number as a template's field.
struct Decimal {
    explicit Decimal(int64_t value) : length(FormatDecimal(value, digits)) {}
    operator Field() const { return {digits, length}; } // NOLINT: a number is a field
    char digits[DECIMAL_TEXT_SIZE];
    int32_t length;
};

// A count with its noun, from the template for 1 (when there is one) or the one for any other
// number, at the result start.
void FormatCount(int64_t count, const char *one, const char *more, int32_t resultStart) {
    FormatTemplate(count == 1 && one ? one : more, {Decimal(count)}, resultStart);
}

// One finding, as app/texts.h words it: CHECKSUM_CORRECTED or CHECKSUM_WRONG for a checksum,
// NOT_A_DIGIT, NO_BYTE_COUNT or WRONG_LENGTH for a line that is not a well-formed record.
void ReportFinding(void *context, const Finding &finding) {
    if (finding.kind == FINDING_LINE_END) return;
    const Report &report = *static_cast<const Report *>(context);
    Decimal line(finding.line);
    if (finding.kind == FINDING_CHECKSUM) {
        WritePieces(report.checksumLine,
                    {report.path, line, {finding.written, 2}, {finding.right, 2}});
        return;
    }
    const char *left = report.patching ? texts::LEFT_UNCHANGED : "";
    if (finding.notDigit > 0) {
        WriteTemplate(texts::NOT_A_DIGIT, {report.path, line, Decimal(finding.notDigit), left});
    } else if (finding.expected < 0) {
        WriteTemplate(texts::NO_BYTE_COUNT, {report.path, line, left});
    } else {
        WriteTemplate(texts::WRONG_LENGTH, {report.path, line, Decimal(finding.length),
                                            Decimal(finding.expected), left});
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
                      {report.path, done, reason.Text()}, kind);
    if (NATIVE) FlushStandardOutput(kind);
}

// SUMMARY_PATCHED or SUMMARY_CHECKED: "FILE: 1042 records, 3 corrected, 1 line left unchanged";
// SUMMARY_SET ("FILE: 1042 records, 1 set, 0 corrected, 0 lines left unchanged") with the records
// set as extra, SUMMARY_STRICT with the structure findings.
void ReportSummary(const Report &report, const WalkTally &tally, const char *text, int64_t extra) {
    OwnedString records, lines, more;
    int32_t start = WorkspacePosition();
    FormatCount(tally.records, texts::ONE_RECORD, texts::RECORDS, start);
    records.TakeResult(start);
    if (report.patching)
        FormatCount(tally.malformed, texts::ONE_LINE_LEFT, texts::LINES_LEFT, start);
    else
        FormatCount(tally.malformed, texts::ONE_LINE_MALFORMED, texts::LINES_MALFORMED, start);
    lines.TakeResult(start);
    bool strict = text == texts::SUMMARY_STRICT;
    FormatCount(extra, strict ? texts::ONE_STRUCTURE_FINDING : nullptr,
                strict ? texts::STRUCTURE_FINDINGS : "%1", start);
    more.TakeResult(start);
    WriteTemplate(
        text, {report.path, records.Text(), Decimal(tally.checksums), lines.Text(), more.Text()});
}

// ---- --strict and --set ----

// An address as a template's field: 0x and at least eight upper-case hexadecimal digits.
struct Address {
    explicit Address(uint64_t value) {
        int32_t digits = 8;
        while (digits < 16 && value >> 4 * digits)
            ++digits;
        text[0] = '0';
        text[1] = 'x';
        for (int32_t i = 0; i < digits; ++i)
            text[2 + i] = HEX_DIGITS[value >> 4 * (digits - 1 - i) & 15];
        length = 2 + digits;
    }
    operator Field() const { return {text, length}; } // NOLINT: an address is a field
    char text[18];
    int32_t length;
};

// One finding on the structure, as app/texts.h words it.
void ReportStructure(void *context, const StructureFinding &finding) {
    static constexpr const char *TEXTS[] = {texts::AFTER_END, texts::UNKNOWN_TYPE,
                                            texts::WRONG_BYTE_COUNT, texts::HELD_BEFORE,
                                            texts::NO_END};
    const Report &report = *static_cast<const Report *>(context);
    const char type[2] = {HEX_DIGITS[finding.type >> 4 & 15], HEX_DIGITS[finding.type & 15]};
    WriteTemplate(TEXTS[finding.kind], {report.path,
                                        Decimal(finding.line),
                                        {type, 2},
                                        Decimal(finding.count),
                                        Decimal(finding.other),
                                        Address(finding.address)});
}

// One stretch of addresses set in a record: BYTE_SET or BYTES_SET.
void ReportStretch(void *context, int64_t line, uint64_t from, uint64_t to) {
    const Report &report = *static_cast<const Report *>(context);
    WriteTemplate(to - from == 1 ? texts::BYTE_SET : texts::BYTES_SET,
                  {report.path, Decimal(line), Address(from), Address(to - 1)});
}

// Walks every named file in order; the report goes out only when someone can read it, and
// quiet, without findings and summaries: they are not even formatted. A strict check also
// checks each file's structure; given byte settings, patching sets them (their first walk is
// done; the file with the argument index shortcut needs only its records that hold set bytes).
// Returns EXIT_FAILED when a file could not be opened, read or written, else EXIT_FOUND_WRONG
// when checking found something, else EXIT_DONE.
int32_t WalkNamedFiles(const CommandLine &command, WalkMode mode, ByteSettings *settings = nullptr,
                       int32_t shortcut = -1) {
    bool reporting = !command.quiet && OpenStandardOutput() != 0;
    bool failed = false, found = false;
    bool strict = command.mode == COMMAND_STRICT;
    for (int32_t index = command.firstFile; index < ArgumentCount(); ++index) {
        OwnedString path;
        TakeArgument(index, path);
        if (StringLength(path.Get()) == 0) continue;
        Report report{Field(path.Get()), mode == WALK_PATCH, {}};
        TakeApart(report.patching ? texts::CHECKSUM_CORRECTED : texts::CHECKSUM_WRONG,
                  report.checksumLine);
        WalkTally tally{};
        StructureCheck check{};
        check.sink = reporting ? ReportStructure : nullptr;
        check.context = &report;
        if (settings) {
            BeginSetWalk(*settings, WALK_PATCH);
            settings->sink = reporting ? ReportStretch : nullptr;
            settings->context = &report;
        }
        RecordVisitor visitor = settings ? SetHeldBytes : strict ? CheckRecordStructure : nullptr;
        int32_t walked =
            index == shortcut
                ? SetFoundBytes(path.Get(), *settings, &tally)
                : WalkHexFile(path.Get(), mode, reporting ? ReportFinding : nullptr, &report,
                              &tally, visitor, settings ? static_cast<void *>(settings) : &check);
        if (strict) EndStructureCheck(check, walked == 1 ? tally.linesDone : -1);
        if (walked != 1)
            ReportFailure(report, walked, tally);
        else if (reporting)
            ReportSummary(report, tally,
                          settings          ? texts::SUMMARY_SET
                          : strict          ? texts::SUMMARY_STRICT
                          : report.patching ? texts::SUMMARY_PATCHED
                                            : texts::SUMMARY_CHECKED,
                          settings ? settings->records : check.findings);
        failed = failed || walked != 1;
        found = found || tally.checksums > 0 || tally.malformed > 0 || check.findings > 0;
    }
    FlushStandardOutput();
    FlushStandardOutput(STREAM_ERROR);
    if (failed) return EXIT_FAILED;
    return mode == WALK_CHECK && found ? EXIT_FOUND_WRONG : EXIT_DONE;
}

// A --set value that is no ADDRESS=BYTES (SET_INVALID), or two that overlap (SET_OVERLAP).
void ReportSetValues(const char *text, int32_t first, int32_t second) {
    StreamKind kind = NATIVE ? STREAM_ERROR : STREAM_OUTPUT;
    if (!OpenStandardOutput(kind)) return;
    OwnedString one, other;
    TakeArgument(first, one);
    TakeArgument(second, other);
    WriteTemplate(text, {one.Text(), other.Text()}, kind);
    FlushStandardOutput(kind);
}

// The first walk of --set over every named file, which only reads: true when every file could
// be read and every byte set lies in exactly one data record of each; else the failures and
// refusals are reported. The second walk over the file walked last may take the shortcut when
// patching would change nothing else in it: then *shortcut is its argument index, else -1.
bool FindSetBytes(const CommandLine &command, ByteSettings &settings, int32_t *shortcut) {
    StreamKind kind = NATIVE ? STREAM_ERROR : STREAM_OUTPUT;
    bool found = true;
    for (int32_t index = command.firstFile; index < ArgumentCount(); ++index) {
        OwnedString path;
        TakeArgument(index, path);
        if (StringLength(path.Get()) == 0) continue;
        Report report{Field(path.Get()), false, {}};
        WalkTally tally{};
        BeginSetWalk(settings, WALK_CHECK);
        int32_t walked = WalkHexFile(path.Get(), WALK_CHECK, nullptr, nullptr, &tally,
                                     FindSetHolders, &settings);
        SetRefusal refusal = FindSetRefusal(settings);
        *shortcut = tally.unsettled || tally.malformed ? -1 : index;
        if (walked != 1) {
            ReportFailure(report, walked, tally);
        } else if (refusal.refused && OpenStandardOutput(kind)) {
            WriteTemplate(refusal.first ? texts::SET_IN_TWO_RECORDS : texts::SET_IN_NO_RECORD,
                          {report.path, Address(refusal.address), Decimal(refusal.first),
                           Decimal(refusal.second)},
                          kind);
        }
        found = found && walked == 1 && !refusal.refused;
    }
    FlushStandardOutput(kind);
    return found;
}

} // namespace

int32_t PatchNamedFiles(const CommandLine &command) {
    return WalkNamedFiles(command, WALK_PATCH);
}

int32_t CheckNamedFiles(const CommandLine &command) {
    return WalkNamedFiles(command, WALK_CHECK);
}

// The settings from the switches, then a walk over every file that finds the bytes, then, if
// all are found, one that sets them.
int32_t SetNamedBytes(const CommandLine &command) {
    ByteSettings settings{};
    int32_t exitCode = EXIT_FAILED;
    for (int32_t index = 0; index + 1 < command.firstFile; ++index) {
        OwnedString argument, value;
        TakeArgument(index, argument);
        if (!IsSetSwitch(argument.Text())) continue;
        TakeArgument(++index, value);
        if (!AddByteSetting(settings, value.Text(), index)) {
            ReportSetValues(texts::SET_INVALID, index, index);
            ReleaseByteSettings(settings);
            return EXIT_FAILED;
        }
    }
    if (int32_t overlap = SortByteSettings(settings); overlap >= 0)
        ReportSetValues(texts::SET_OVERLAP, settings.items[overlap].argument,
                        settings.items[overlap + 1].argument);
    else if (int32_t shortcut = -1; FindSetBytes(command, settings, &shortcut))
        exitCode = WalkNamedFiles(command, WALK_PATCH, &settings, shortcut);
    ReleaseByteSettings(settings);
    return exitCode;
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
