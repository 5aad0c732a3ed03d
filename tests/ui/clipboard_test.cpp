// SPDX-License-Identifier: MIT
// Clipboard text: written and read through the real clipboard, checked against an independent
// reader and writer, against a clipboard held open elsewhere, and against X11 programs, whose
// CLIPBOARD selection Wine mirrors.
#include "ui/clipboard.h"

#include "runtime/strings.h"
#include "tests/support/gui.h"
#include "tests/support/temp_files.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

namespace {

const char RECORD[] = ":10010000214601360121470136007EFE09D2190140";

// ReadClipboardText as a caller uses it: the result at the workspace position, the position
// just behind it.
std::string Read() {
    WorkspaceScope scope;
    std::string text = ReadClipboardText(scope.Start());
    EXPECT_EQ(WorkspacePosition(), scope.Start() + static_cast<int32_t>(text.size()));
    return text;
}

bool Store(const std::string &text) {
    return WriteClipboardText(text.c_str()) != nullptr;
}

std::vector<std::string> Texts() {
    std::string longText;
    for (int i = 0; i < 3000; ++i)
        longText += std::string(RECORD) + "\r\n";
    return {
        RECORD,
        ":00000001FF\r\n",
        ":10010000214601360121470136007EFE09D2190140\r\n"
        ":100110002146017E17C20001FF5F16002148011928\r\n"
        ":00000001FF\r\n",
        "a\rb\nc\r\n\r\nd",
        "Pr\xFC"
        "fsumme \xE4\xF6\xFC\xDF \x80",
        longText, // beyond the workspace's first growth
    };
}

TEST(Clipboard, WrittenTextIsReadBackWhole) {
    for (const std::string &text : Texts()) {
        SCOPED_TRACE(text.substr(0, 60));
        ASSERT_TRUE(Store(text));
        EXPECT_EQ(gui::ReadClipboard(), text) << "the text and a zero byte, read past the product";
        EXPECT_EQ(Read(), text);
    }
}

TEST(Clipboard, ReadsWhatAnotherProgramWrote) {
    for (const std::string &text : Texts()) {
        SCOPED_TRACE(text.substr(0, 60));
        ASSERT_TRUE(gui::WriteClipboard(text));
        EXPECT_EQ(Read(), text);
    }
}

TEST(Clipboard, EmptyTextIsStoredAsOneZeroByte) {
    for (const char *empty : {"", static_cast<const char *>(nullptr)}) {
        SCOPED_TRACE(empty ? "\"\"" : "missing");
        ASSERT_TRUE(gui::WriteClipboard("alt"));
        EXPECT_NE(WriteClipboardText(empty), nullptr);
        EXPECT_EQ(gui::ReadClipboard(), "") << "a text block of one zero byte";
        EXPECT_EQ(Read(), "");
    }
}

TEST(Clipboard, PictureOnlyReadsAsEmpty) {
    ASSERT_TRUE(Store(RECORD));
    ASSERT_TRUE(gui::WaitUntil([] { return OpenClipboard(nullptr) != 0; }, 5000));
    EmptyClipboard();
    HBITMAP picture = CreateBitmap(8, 8, 1, 32, nullptr);
    EXPECT_NE(SetClipboardData(CF_BITMAP, picture), nullptr);
    CloseClipboard();
    ASSERT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_EQ(Read(), "");

    ASSERT_TRUE(gui::ClearClipboard());
    EXPECT_EQ(Read(), "") << "an empty clipboard";
}

TEST(Clipboard, HeldOpenElsewhereReadsEmptyAndWritesNothing) {
    ASSERT_TRUE(gui::WriteClipboard("alt"));
    {
        std::atomic<bool> holding{false};
        gui::ThreadWindow holder(
            [&] {
                HWND window = CreateWindowExA(0, "STATIC", "holder", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                              nullptr, nullptr, nullptr);
                holding = window && OpenClipboard(window);
                return window;
            },
            [](HWND) { CloseClipboard(); });
        ASSERT_TRUE(holding);
        EXPECT_EQ(Read(), "");
        EXPECT_EQ(WriteClipboardText("neu"), nullptr);
    }
    EXPECT_EQ(gui::ReadClipboard(), "alt") << "the clipboard keeps its content";
    EXPECT_EQ(Read(), "alt");
}

// ---- X11 programs ----

// xclip under Wine, run through the Unix shell.
class X11Clipboard : public testing::Test {
  protected:
    void SetUp() override {
        if (!GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version"))
            GTEST_SKIP() << "X11 exchange needs Wine";
        CreateDirectoryA(gui::WindowsPath(folder).c_str(), nullptr);
        ASSERT_TRUE(Run("test -x /usr/bin/xclip"));
    }
    void TearDown() override {
        for (const char *file : {"in", "out"})
            DeleteFileA(WindowsFile(file).c_str());
        RemoveDirectoryA(gui::WindowsPath(folder).c_str());
    }
    std::string File(const char *name) const { return folder + "/" + name; }
    std::string WindowsFile(const char *name) const { return gui::WindowsPath(File(name)); }

    static bool Run(const std::string &command) { return gui::RunUnixCommand(command); }
    // What xclip reads from the X11 CLIPBOARD selection.
    std::string XclipOutput() {
        DeleteFileA(WindowsFile("out").c_str());
        if (!Run("xclip -selection clipboard -o > " + File("out") + " 2>/dev/null"))
            return "<xclip did not finish>";
        return testfiles::Read(WindowsFile("out"));
    }
    // Makes xclip the owner of the CLIPBOARD selection with the given bytes.
    bool XclipInput(const std::string &bytes) {
        return testfiles::Write(WindowsFile("in"), bytes) &&
               Run("xclip -selection clipboard -i " + File("in") + " >/dev/null 2>&1");
    }
    const std::string folder = gui::UnixScratch("clipboard");
};

// The same text on both sides: Wine gives X11 programs Unix line ends and UTF-8, and gives
// Windows programs CR LF and the ANSI code page (Windows-1252 here).
struct Exchange {
    const char *windows;
    const char *x11;
};
const Exchange EXCHANGES[] = {
    {RECORD, RECORD},
    {":00000001FF\r\n:00000001FF\r\n", ":00000001FF\n:00000001FF\n"},
    {"Pr\xFC"
     "fsumme",
     "Pr\xC3\xBC"
     "fsumme"},
};

TEST_F(X11Clipboard, TextFromXclipIsRead) {
    for (const auto &exchange : EXCHANGES) {
        SCOPED_TRACE(exchange.x11);
        // Wine takes the X11 selection some time after a Windows program wrote; xclip must
        // come after that, or Wine takes the selection back from it.
        ASSERT_TRUE(Store("alt"));
        ASSERT_TRUE(gui::WaitUntil([&] { return XclipOutput() == "alt"; }));
        // Wine brings a new selection in by opening the clipboard itself and misses it if a
        // reader holds the clipboard just then: the text is read once the clipboard changed.
        DWORD sequence = GetClipboardSequenceNumber();
        ASSERT_TRUE(XclipInput(exchange.x11));
        ASSERT_TRUE(gui::WaitUntil([&] { return GetClipboardSequenceNumber() != sequence; }));
        std::string got;
        EXPECT_TRUE(gui::WaitUntil([&] { return (got = Read()) == exchange.windows; }))
            << "read \"" << got << "\"";
    }
}

TEST_F(X11Clipboard, WrittenTextIsSeenByXclip) {
    for (const auto &exchange : EXCHANGES) {
        SCOPED_TRACE(exchange.windows);
        ASSERT_TRUE(Store(exchange.windows));
        std::string got;
        EXPECT_TRUE(gui::WaitUntil([&] { return (got = XclipOutput()) == exchange.x11; }))
            << "xclip read \"" << got << "\"";
    }
}

} // namespace
