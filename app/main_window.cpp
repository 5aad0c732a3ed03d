// SPDX-License-Identifier: MIT
#include "app/main_window.h"

#include "app/command_line.h"
#include "app/main_layout.h"
#include "app/texts.h"
#include "core/patcher.h"
#include "core/record.h"
#include "runtime/platform.h"
#include "runtime/strings.h"
#include "ui/clipboard.h"
#include "ui/controls.h"
#include "ui/requesters.h"
#include "ui/numbered_windows.h"

namespace {

using namespace layout;

struct AppState {
    StringVar chosenPath; // owned: the path from the file-open dialog
    int32_t quit;
    int32_t exitCode;
};

void BuildControls() {
    OpenControlList(GetWindowHandle(MAIN_WINDOW));
    for (const Placement &p : MAIN_CONTROLS) {
        CreatePlacedControl(p, p.number);
        if (p.toolTip && p.number != INPUT_FIELD) SetToolTip(p.number, p.toolTip);
        if (p.number == INPUT_TIP_AFTER) SetToolTip(INPUT_FIELD, texts::INPUT_TIP);
    }
}

bool FieldIsEmpty(int32_t control) {
    WorkspaceScope scope;
    return StringLength(GetControlText(control, scope.Start())) == 0;
}

void ComputeChecksum() {
    if (FieldIsEmpty(INPUT_FIELD)) {
        ShowMessageBox(texts::ERROR_TITLE, texts::NO_INPUT, 0);
        return;
    }
    OwnedString input;
    int32_t start = WorkspacePosition();
    GetControlText(INPUT_FIELD, start);
    input.TakeResult(start);
    SetControlText(OUTPUT_FIELD, CompleteRecordLine(input.Text(), start));
    SetWorkspacePosition(start);
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

// How a patch went: 1 patched; 0 not opened; -1 a read or write failed on the way; NOT_REGULAR
// a device, FIFO or the like, which is never opened.
constexpr int32_t NOT_REGULAR = -2;

int32_t PatchOneFile(const char *path) {
    WalkTally tally{};
    int32_t patched = WalkHexFile(path, WALK_PATCH, nullptr, nullptr, &tally);
    if (patched == 0 && ClassifyFailure(tally.failure) == FAILURE_NOT_REGULAR) return NOT_REGULAR;
    return patched;
}

void ShowPatchOutcome(int32_t patched) {
    if (patched == 1) {
        ShowMessageBox(texts::PATCHED, texts::PATCHED, 0);
        return;
    }
    const char *text = patched == NOT_REGULAR ? texts::NOT_REGULAR_FILE
                       : patched < 0          ? texts::NOT_COMPLETE
                                              : texts::NO_VALID_FILE;
    ShowMessageBox(texts::PATCH_ERROR_TITLE, text, MESSAGE_ERROR_ICON);
}

void PatchChosenFile(AppState &app) {
    int32_t start = WorkspacePosition();
    ChooseFileToOpen(texts::CHOOSE_FILE_TITLE, "", texts::FILE_FILTER, 0, start);
    AssignFromWorkspace(app.chosenPath, start);
    ShowPatchOutcome(PatchOneFile(app.chosenPath.block));
}

// Every dropped file is patched like a chosen one; one message says whether all could be. A
// file that could not be read or written completely outweighs one that is no regular file,
// which outweighs one that could not be opened.
void PatchDroppedFiles() {
    int32_t count = DroppedFileCount();
    int32_t outcome = count > 0 ? 1 : 0;
    for (int32_t index = 0; index < count; ++index) {
        OwnedString path;
        int32_t start = WorkspacePosition();
        DroppedFileName(index, start);
        path.TakeResult(start);
        int32_t patched = PatchOneFile(path.Get());
        if (patched == -1 || (patched == NOT_REGULAR && outcome != -1) ||
            (patched == 0 && outcome == 1))
            outcome = patched;
    }
    EndDrop();
    ShowPatchOutcome(outcome);
}

void RunCommand(AppState &app, int32_t control) {
    switch (control) {
    case QUIT_BUTTON: app.quit = 1; break;
    case FILE_BUTTON: PatchChosenFile(app); break;
    case PASTE_BUTTON: PasteInput(); break;
    case COPY_BUTTON: CopyOutput(); break;
    case COMPUTE_BUTTON: ComputeChecksum(); break;
    default: break;
    }
}

void RunEventLoop(AppState &app) {
    do {
        EventCode event = WaitForEvent();
        if (event == EVENT_CLOSE_WINDOW || event == EVENT_QUIT) app.quit = 1;
        if (event == EVENT_CONTROL) RunCommand(app, GetEventControl());
        if (event == EVENT_FILES_DROPPED) PatchDroppedFiles();
    } while (app.quit != 1);
}

} // namespace

int32_t RunMainWindow() {
    AppState app{};
    CommandLine command = ReadCommandLine();
    if (command.mode != COMMAND_WINDOW && command.mode != COMMAND_PATCH) {
        int32_t exitCode = RunCommand(command);
        ReleaseCommandLine(command);
        return exitCode;
    }
    if (!OpenNumberedWindow(MAIN_WINDOW, WINDOW_X, WINDOW_Y, WINDOW_WIDTH, WINDOW_HEIGHT,
                            texts::WINDOW_TITLE, MAIN_WINDOW_OPTIONS)) {
        // Named files need no window: they are patched all the same, silently as always, and
        // the exit code tells how that went.
        int32_t exitCode = EXIT_FAILED;
        if (command.mode == COMMAND_PATCH)
            exitCode = PatchNamedFiles(command);
        else
            ShowMessageBox(texts::ERROR_TITLE, texts::START_FAILED, 0);
        ReleaseCommandLine(command);
        return exitCode;
    }
    BuildControls();
    PlaceCaretAtEnd(INPUT_FIELD);
    SetControlFocus(INPUT_FIELD);
    AcceptDroppedFiles(MAIN_WINDOW);

    bool fromCommandLine = command.mode == COMMAND_PATCH;
    if (fromCommandLine) app.exitCode = PatchNamedFiles(command);
    ReleaseCommandLine(command);
    app.quit = fromCommandLine ? 1 : 0;
    RunEventLoop(app);

    FreeString(app.chosenPath);
    return app.exitCode;
}
