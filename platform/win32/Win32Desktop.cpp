#include "platform/win32/Win32Desktop.h"

#include <windows.h>
// windows.h first: these need its types.
#include <cderr.h>
#include <commdlg.h>
#include <shellapi.h>

#include <optional>

#include "platform/Selection.h"

namespace {

// What the picker adds to the common open-file dialog.
struct CPickerLook {
    HICON icon = nullptr;       // none when null; loaded from resources, never released
    std::string okCaption;      // empty keeps the dialog's own caption
    std::string cancelCaption;  // empty keeps the dialog's own caption
};

// Description and pattern pairs, each ending in a zero, the list in a second one.
std::string MakeFilterText(const COpenFileDialogRequest& request) {
    std::string text;
    for (const auto& filter : request.filters) {
        text += filter.first + '\0' + filter.second + '\0';
    }
    return text + '\0';
}

// The hook of the Explorer-style dialog. Its own dialog is a child of the
// frame the common dialog owns, and the frame holds the OK and Cancel buttons.
UINT_PTR CALLBACK DecorateFrame(HWND hookDialog, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG) {
        return 0;  // the common dialog handles everything else
    }
    const auto* dialog = reinterpret_cast<const OPENFILENAMEA*>(lParam);
    const auto* look = reinterpret_cast<const CPickerLook*>(dialog->lCustData);
    const HWND frame = GetParent(hookDialog);
    if (look->icon != nullptr) {
        SendMessageA(frame, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(look->icon));
    }
    if (!look->okCaption.empty()) {
        SetWindowTextA(GetDlgItem(frame, IDOK), look->okCaption.c_str());
    }
    if (!look->cancelCaption.empty()) {
        SetWindowTextA(GetDlgItem(frame, IDCANCEL), look->cancelCaption.c_str());
    }
    return TRUE;
}

}  // namespace

EPickOutcome CWin32Desktop::ShowOpenFileDialog(const COpenFileDialogRequest& request,
                                               std::vector<char>& selection) {
    if (selection.empty()) {
        return EPickOutcome::kBufferTooSmall;
    }
    CPickerLook look;
    if (request.iconResource != 0) {
        look.icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(request.iconResource));
    }
    look.okCaption = request.okCaption;
    look.cancelCaption = request.cancelCaption;
    const std::string filter = MakeFilterText(request);

    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hInstance = GetModuleHandleA(nullptr);
    dialog.lpstrFilter = request.filters.empty() ? nullptr : filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = selection.data();
    dialog.nMaxFile = static_cast<DWORD>(selection.size());
    dialog.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
    dialog.Flags = request.flags;
    if ((request.flags & OFN_ENABLEHOOK) != 0) {
        dialog.lpfnHook = DecorateFrame;
        dialog.lCustData = reinterpret_cast<LPARAM>(&look);
    }
    for (;;) {
        if (!GetOpenFileNameA(&dialog)) {
            return CommDlgExtendedError() == FNERR_BUFFERTOOSMALL ? EPickOutcome::kBufferTooSmall
                                                                  : EPickOutcome::kCancelled;
        }
        // Windows leaves the selection's folder as the working folder; Wine
        // does not when a full path was typed. The shared end sees to it.
        std::string problem;
        if (const std::optional<EPickOutcome> outcome =
                FinishPick(UnpackSelection(selection), selection, problem)) {
            return *outcome;
        }
        if (!problem.empty()) {
            ShowMessageBox(problem, request.title, MB_OK | MB_ICONSTOP);
        }
    }
}

int CWin32Desktop::ShowMessageBox(const std::string& text, const std::string& caption,
                                  unsigned style) {
    return MessageBoxA(nullptr, text.c_str(), caption.c_str(), style);
}

std::string CWin32Desktop::FindAssociatedProgram(const std::string& file) {
    char program[MAX_PATH] = "";
    // A failed lookup counts as no program, whatever it left in the buffer.
    if (reinterpret_cast<INT_PTR>(FindExecutableA(file.c_str(), nullptr, program)) <= 32) {
        return {};
    }
    return program;
}

std::string CWin32Desktop::MakeParameterText(const std::vector<std::string>& files) {
    std::string text;
    for (const std::string& file : files) {
        if (!text.empty()) {
            text += ' ';
        }
        text += '"' + file + '"';
    }
    return text;
}

void CWin32Desktop::StartProgram(const std::string& program,
                                 const std::vector<std::string>& files) {
    const std::string parameters = MakeParameterText(files);
    SHELLEXECUTEINFOA start{};
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_FLAG_DDEWAIT;
    start.lpVerb = "open";
    start.lpFile = program.c_str();
    start.lpParameters = parameters.c_str();
    start.nShow = SW_SHOW;
    // The program is left to itself; a failure to start it is not reported.
    ShellExecuteExA(&start);
}
