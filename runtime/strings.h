// SPDX-License-Identifier: MIT
/*
 * Strings and the one shared result workspace.
 *
 * A String is a zero-terminated run of single-byte characters, positions counted from 1. A null
 * pointer is a missing String and reads as "" everywhere; no operation returns one.
 *
 * Every operation that yields a String writes it at a caller-given result start inside the
 * workspace, ends it with a zero byte and leaves the workspace position just behind its last
 * character. The returned address stays valid until the next reservation (growth may move the
 * workspace). Callers keep a result with AssignFromWorkspace, which also sets the position back.
 * Producers elsewhere deliver their results through ReserveResult and GiveBackResult.
 *
 * Out-of-range starts, counts and widths are clamped; nothing here reports a failure. If the
 * string heap cannot supply memory the process ends (exit code 3) rather than corrupt a result.
 * One thread only: the workspace is global.
 */
#pragma once

#include <cstdint>

// A String variable: empty, or the owner of one block on the string heap.
struct StringVar {
    char *block = nullptr; // owned; released by FreeString / AssignString(missing)
};

void InitStrings();

int32_t StringLength(const char *s);
char *Substring(const char *s, int32_t start, int32_t count, int32_t resultStart);
char *LeftPart(const char *s, int32_t count, int32_t resultStart);
// count bytes, of any value and not ended by a zero byte, put at the workspace's end (found again
// when they lie in the workspace itself), and ended there; the result start is where they begin.
char *AppendToWorkspace(const char *bytes, int32_t count);
char *HexText(uint32_t value, int32_t resultStart);
inline constexpr char HEX_DIGITS[] = "0123456789ABCDEF"; // the digits of every hexadecimal text
char *DecimalText(int32_t value, int32_t resultStart);
// The decimal digits of any 64-bit value written to out, which has room for DECIMAL_TEXT_SIZE
// bytes, with a zero byte behind them; returns their length.
constexpr int32_t DECIMAL_TEXT_SIZE = 21; // "-9223372036854775808" and its zero byte
int32_t FormatDecimal(int64_t value, char *out);
int32_t FormatUnsigned(uint64_t value, char *out); // the same for any unsigned 64-bit value
char *RightAlign(const char *s, int32_t width, const char *fill, int32_t resultStart);
void AppendString(const char *s);
int32_t StringsEqual(const char *a, const char *b);
// Whether the count characters at a and at b are alike, ASCII letters in either case; it stops at
// the first that differ (a zero byte among them differs from any other).
bool SameLetters(const char *a, const char *b, int32_t count);

void AssignFromWorkspace(StringVar &variable, int32_t resultStart);
void AssignString(StringVar &variable, const char *s);
void CopyStringInto(StringVar &variable, const char *s);
void FreeString(StringVar &variable);

char *ReserveResult(int32_t count, int32_t resultStart);
void GiveBackResult(int32_t count);

int32_t WorkspacePosition();
void SetWorkspacePosition(int32_t position);
int32_t WorkspaceCapacity();
char *WorkspaceAt(int32_t offset);

// RAII String variable for C++ callers: frees its block when it goes out of scope.
class OwnedString {
  public:
    OwnedString() = default;
    explicit OwnedString(const char *s) { CopyStringInto(var_, s); }
    OwnedString(const OwnedString &) = delete;
    OwnedString &operator=(const OwnedString &) = delete;
    ~OwnedString() { FreeString(var_); }

    // Takes the workspace result at resultStart and sets the position back to it.
    void TakeResult(int32_t resultStart) { AssignFromWorkspace(var_, resultStart); }
    void Assign(const char *s) { AssignString(var_, s); }
    const char *Get() const { return var_.block; } // may be null (missing)
    const char *Text() const { return var_.block ? var_.block : ""; }
    StringVar &Var() { return var_; }

  private:
    StringVar var_;
};

// Notes the workspace position on entry and sets it back on exit: the temporaries of one
// expression live between the two.
class WorkspaceScope {
  public:
    WorkspaceScope() : start_(WorkspacePosition()) {}
    WorkspaceScope(const WorkspaceScope &) = delete;
    WorkspaceScope &operator=(const WorkspaceScope &) = delete;
    ~WorkspaceScope() { SetWorkspacePosition(start_); }
    int32_t Start() const { return start_; }

  private:
    int32_t start_;
};
