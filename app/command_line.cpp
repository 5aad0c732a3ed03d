#include "app/command_line.h"

#include "app/texts.h"
#include "core/byte_settings.h"
#include "core/patcher.h"
#include "core/structure_check.h"
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
    CommandLine command{COMMAND_WINDOW, 0};
    int32_t count = ArgumentCount();
    bool check = false, strict = false, set = false;
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
        if (IsStrictSwitch(text) || IsSetSwitch(text)) { // --set takes the next argument
            (IsSetSwitch(text) ? set : strict) = true;
            index += IsSetSwitch(text) ? 1 : 0;
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
    };
    static_assert(sizeof REASONS / sizeof REASONS[0] == FAILURE_NETWORK_GONE + 1);
    if (const char *reason = NATIVE ? nullptr : REASONS[ClassifyFailure(failure)]) {
        LeftPart(reason, StringLength(reason), resultStart);
        return;
    }
    if (StringLength(FailureText(failure, resultStart)) > 0) return;
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

// SUMMARY_PATCHED or SUMMARY_CHECKED: "FILE: 1042 records, 3 corrected, 1 line left unchanged";
// SUMMARY_SET ("FILE: 1042 records, 1 set, 0 corrected, 0 lines left unchanged") with the records
// set, SUMMARY_STRICT with the structure findings, when one is given (else -1).
void ReportSummary(const Report &report, const WalkTally &tally, int64_t set = -1,
                   int64_t structure = -1) {
    OwnedString records, lines, findings;
    int32_t start = WorkspacePosition();
    FormatCount(tally.records, texts::ONE_RECORD, texts::RECORDS, start);
    records.TakeResult(start);
    if (report.patching)
        FormatCount(tally.malformed, texts::ONE_LINE_LEFT, texts::LINES_LEFT, start);
    else
        FormatCount(tally.malformed, texts::ONE_LINE_MALFORMED, texts::LINES_MALFORMED, start);
    lines.TakeResult(start);
    Decimal checksums(tally.checksums);
    if (set >= 0) {
        WriteTemplate(texts::SUMMARY_SET, {report.path, records.Text(), Decimal(set).digits,
                                           checksums.digits, lines.Text()});
        return;
    }
    FormatCount(structure, texts::ONE_STRUCTURE_FINDING, texts::STRUCTURE_FINDINGS, start);
    findings.TakeResult(start);
    WriteTemplate(report.patching  ? texts::SUMMARY_PATCHED
                  : structure >= 0 ? texts::SUMMARY_STRICT
                                   : texts::SUMMARY_CHECKED,
                  {report.path, records.Text(), checksums.digits, lines.Text(), findings.Text()});
}

// ---- --strict and --set ----

constexpr char HEX_DIGITS[] = "0123456789ABCDEF";

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
        text[2 + digits] = 0;
    }
    char text[19];
};

// A record type as a template's field: two digits.
struct TypeDigits {
    explicit TypeDigits(int32_t type)
        : text{HEX_DIGITS[type >> 4 & 15], HEX_DIGITS[type & 15], 0} {}
    char text[3];
};

// One finding on the structure, as app/texts.h words it.
void ReportStructure(void *context, const StructureFinding &finding) {
    const Report &report = *static_cast<const Report *>(context);
    Decimal line(finding.line), other(finding.other);
    TypeDigits type(finding.type);
    switch (finding.kind) {
    case STRUCTURE_AFTER_END:
        WriteTemplate(texts::AFTER_END, {report.path, line.digits, other.digits});
        break;
    case STRUCTURE_TYPE:
        WriteTemplate(texts::UNKNOWN_TYPE, {report.path, line.digits, type.text});
        break;
    case STRUCTURE_BYTE_COUNT:
        WriteTemplate(texts::WRONG_BYTE_COUNT, {report.path, line.digits, type.text,
                                                Decimal(finding.count).digits, other.digits});
        break;
    case STRUCTURE_OVERLAP:
        WriteTemplate(texts::HELD_BEFORE,
                      {report.path, line.digits, Address(finding.address).text, other.digits});
        break;
    default: WriteTemplate(texts::NO_END, {report.path, line.digits});
    }
}

// One stretch of addresses set in a record: BYTE_SET or BYTES_SET.
void ReportStretch(void *context, int64_t line, uint64_t from, uint64_t to) {
    const Report &report = *static_cast<const Report *>(context);
    WriteTemplate(to - from == 1 ? texts::BYTE_SET : texts::BYTES_SET,
                  {report.path, Decimal(line).digits, Address(from).text, Address(to - 1).text});
}

// Walks every named file in order; the report goes out only when someone can read it. A strict
// check also checks each file's structure; given byte settings, patching sets them (their first
// walk is done; the file with the argument index shortcut needs only its records that hold set
// bytes). Returns EXIT_FAILED when a file could not be opened, read or written, else
// EXIT_FOUND_WRONG when checking found something, else EXIT_DONE.
int32_t WalkNamedFiles(const CommandLine &command, WalkMode mode, ByteSettings *settings = nullptr,
                       int32_t shortcut = -1) {
    bool reporting = OpenStandardOutput() != 0;
    bool failed = false, found = false;
    bool strict = command.mode == COMMAND_STRICT;
    for (int32_t index = command.firstFile; index < ArgumentCount(); ++index) {
        OwnedString path;
        TakeArgument(index, path);
        if (StringLength(path.Get()) == 0) continue;
        Report report{path.Get(), mode == WALK_PATCH};
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
            ReportSummary(report, tally, settings ? settings->records : -1,
                          strict ? check.findings : -1);
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
        Report report{path.Get(), false};
        WalkTally tally{};
        BeginSetWalk(settings, WALK_CHECK);
        int32_t walked = WalkHexFile(path.Get(), WALK_CHECK, nullptr, nullptr, &tally,
                                     FindSetHolders, &settings);
        SetRefusal refusal = FindSetRefusal(settings);
        *shortcut = tally.unsettled || tally.malformed ? -1 : index;
        if (walked != 1) {
            ReportFailure(report, walked, tally);
        } else if (refusal.refused && OpenStandardOutput(kind)) {
            Decimal first(refusal.first), second(refusal.second);
            WriteTemplate(refusal.first ? texts::SET_IN_TWO_RECORDS : texts::SET_IN_NO_RECORD,
                          {report.path, Address(refusal.address).text, first.digits, second.digits},
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
