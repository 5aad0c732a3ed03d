#include "app/main_window.h"

#include "app/texts.h"
#include "core/checksum.h"
#include "core/patcher.h"
#include "runtime/arguments.h"
#include "runtime/strings.h"
#include "ui/clipboard.h"
#include "ui/controls.h"
#include "ui/requesters.h"
#include "ui/windows.h"

#include <windows.h>

namespace {

constexpr int32_t MAIN_WINDOW = 0;
constexpr uint32_t MAIN_WINDOW_OPTIONS = 0xC80001; // caption, system menu, centred on screen

enum Control : int32_t {
    INPUT_LABEL = 3,
    OUTPUT_LABEL = 5,
    INPUT_FIELD = 6,
    OUTPUT_FIELD = 7,
    COMPUTE_BUTTON = 8,
    PASTE_BUTTON = 9,
    QUIT_BUTTON = 10,
    COPY_BUTTON = 11,
    FILE_BUTTON = 12,
};

struct AppState {
    HWND inputField;      // borrowed from the window; valid while window 0 is open
    StringVar argument;   // owned: the first command-line argument, "" if none
    StringVar chosenPath; // owned: the path from the file-open dialog
    StringVar result;     // owned: the last line completed by the compute button
    int32_t quit;
    int32_t exitCode;
};

// The window's controls in creation order; a tooltip goes on right after its control, except
// the input field's, which follows the file button.
bool BuildControls(AppState &app) {
    OpenControlList(GetWindowHandle(MAIN_WINDOW));
    CreateLabel(INPUT_LABEL, 10, 10, 280, 20, texts::INPUT_LABEL);
    app.inputField = reinterpret_cast<HWND>(
        static_cast<intptr_t>(CreateTextField(INPUT_FIELD, 10, 30, 330, 20, texts::INPUT_START)));
    CreateButton(PASTE_BUTTON, 110, 55, 150, 25, texts::PASTE_BUTTON);
    SetToolTip(PASTE_BUTTON, texts::PASTE_TIP);
    CreateButton(FILE_BUTTON, 262, 55, 80, 25, texts::FILE_BUTTON);
    SetToolTip(FILE_BUTTON, texts::FILE_TIP);
    SetToolTip(INPUT_FIELD, texts::INPUT_TIP);
    CreateLabel(OUTPUT_LABEL, 10, 75, 100, 20, texts::OUTPUT_LABEL);
    CreateTextField(OUTPUT_FIELD, 10, 90, 330, 20, "");
    SetToolTip(OUTPUT_FIELD, texts::OUTPUT_TIP);
    CreateButton(COMPUTE_BUTTON, 10, 120, 120, 25, texts::COMPUTE_BUTTON);
    SetToolTip(COMPUTE_BUTTON, texts::COMPUTE_TIP);
    CreateButton(COPY_BUTTON, 130, 120, 150, 25, texts::COPY_BUTTON);
    SetToolTip(COPY_BUTTON, texts::COPY_TIP);
    CreateButton(QUIT_BUTTON, 280, 120, 60, 25, texts::QUIT_BUTTON);
    SetToolTip(QUIT_BUTTON, texts::QUIT_TIP);
    return app.inputField != nullptr;
}

bool FieldIsEmpty(int32_t control) {
    WorkspaceScope scope;
    return StringLength(GetControlText(control, scope.Start())) == 0;
}

void ComputeChecksum(AppState &app) {
    if (FieldIsEmpty(INPUT_FIELD)) {
        ShowMessageBox(texts::ERROR_TITLE, texts::NO_INPUT, 0);
        return;
    }
    OwnedString input;
    int32_t start = WorkspacePosition();
    GetControlText(INPUT_FIELD, start);
    input.TakeResult(start);
    CompleteInputLine(input.Text(), start);
    AssignFromWorkspace(app.result, start);
    SetControlText(OUTPUT_FIELD, app.result.block);
}

// The output field's own text goes to the clipboard, so that what the user sees (also after
// editing the field) is what gets copied.
void CopyOutput() {
    OwnedString output;
    int32_t start = WorkspacePosition();
    GetControlText(OUTPUT_FIELD, start);
    output.TakeResult(start);
    if (StringLength(output.Get()) == 0) {
        ShowMessageBox(texts::ERROR_TITLE, texts::NO_OUTPUT, 0);
        return;
    }
    WriteClipboardText(output.Get());
}

void PasteInput() {
    WorkspaceScope scope;
    ReadClipboardText(scope.Start());
    SetControlText(INPUT_FIELD, WorkspaceAt(scope.Start()));
}

void PatchChosenFile(AppState &app) {
    int32_t start = WorkspacePosition();
    ChooseFileToOpen(texts::CHOOSE_FILE_TITLE, "", texts::FILE_FILTER, 0, start);
    AssignFromWorkspace(app.chosenPath, start);
    if (PatchFileInPlace(app.chosenPath.block)) {
        ShowMessageBox(texts::PATCHED, texts::PATCHED, 0);
    } else {
        ShowMessageBox(texts::PATCH_ERROR_TITLE, texts::NO_VALID_FILE, MB_ICONHAND);
    }
}

void RunCommand(AppState &app, int32_t control) {
    switch (control) {
    case QUIT_BUTTON: app.quit = 1; break;
    case FILE_BUTTON: PatchChosenFile(app); break;
    case PASTE_BUTTON: PasteInput(); break;
    case COPY_BUTTON: CopyOutput(); break;
    case COMPUTE_BUTTON: ComputeChecksum(app); break;
    default: break;
    }
}

void RunEventLoop(AppState &app) {
    do {
        EventCode event = WaitForEvent();
        if (event == EVENT_CLOSE_WINDOW) app.quit = 1;
        if (event == EVENT_CONTROL) RunCommand(app, GetEventControl());
        if (GetAsyncKeyState(VK_ESCAPE) != 0) app.quit = 1;
    } while (app.quit != 1);
}

} // namespace

// The field's text up to its first line end is the record. A record with its checksum field
// gets it replaced, one without gets it appended; anything else is completed as a line with
// a CR LF line end, so that ":" still gives "00".
char *CompleteInputLine(const char *fieldText, int32_t resultStart) {
    OwnedString record;
    {
        const char *text = fieldText ? fieldText : "";
        int32_t length = 0;
        while (text[length] != 0 && text[length] != '\r' && text[length] != '\n')
            ++length;
        int32_t start = WorkspacePosition();
        LeftPart(text, length, start);
        record.TakeResult(start);
    }
    int32_t length = StringLength(record.Get());
    int32_t count = 0;
    {
        WorkspaceScope scope;
        count = HexPairValue(Substring(record.Get(), 2, 2, scope.Start()));
    }
    const char *tail = length == 9 + 2 * count ? "00\r\n" : "\r\n";
    OwnedString line;
    {
        int32_t start = WorkspacePosition();
        AppendString(record.Get());
        AppendString(tail);
        line.TakeResult(start);
    }
    return CompleteRecordChecksum(line.Get(), resultStart);
}

int32_t RunMainWindow() {
    AppState app{};
    {
        int32_t start = WorkspacePosition();
        NextArgument(start);
        AssignFromWorkspace(app.argument, start);
    }
    if (!OpenNumberedWindow(MAIN_WINDOW, 100, 100, 350, 180, texts::WINDOW_TITLE,
                            MAIN_WINDOW_OPTIONS)) {
        ShowMessageBox(texts::ERROR_TITLE, texts::START_FAILED, 0);
        return 0;
    }
    BuildControls(app);
    SendMessageA(app.inputField, EM_SETSEL, 0x0FFFFFFF, 0x0FFFFFFF);
    SetControlFocus(INPUT_FIELD);

    bool fromCommandLine = StringLength(app.argument.block) != 0;
    if (fromCommandLine && !PatchFileInPlace(app.argument.block)) app.exitCode = 1;
    app.quit = fromCommandLine ? 1 : 0;
    RunEventLoop(app);

    FreeString(app.argument);
    FreeString(app.chosenPath);
    FreeString(app.result);
    return app.exitCode;
}
