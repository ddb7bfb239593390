#include "platform/win32/Win32Desktop.h"

#include <windows.h>
// windows.h first: these need its types.
#include <cderr.h>
#include <commdlg.h>
#include <shellapi.h>

#include "platform/win32/ParameterText.h"
#include "platform/win32/PickerFrame.h"

namespace {

// Description and pattern pairs, each ending in a zero, the list in a second one.
std::string MakeFilterText(const COpenFileDialogRequest& request) {
    std::string text;
    for (const auto& filter : request.filters) {
        text += filter.first + '\0' + filter.second + '\0';
    }
    return text + '\0';
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
        dialog.lpfnHook = PickerHookProc;
        dialog.lCustData = reinterpret_cast<LPARAM>(&look);
    }
    if (GetOpenFileNameA(&dialog)) {
        // Windows leaves the selection's folder as the working folder; Wine
        // does not when a full path was typed. The run opens bare names there.
        const std::string folder(selection.data(), dialog.nFileOffset);
        SetCurrentDirectoryA(folder.c_str());
        return EPickOutcome::kConfirmed;
    }
    return CommDlgExtendedError() == FNERR_BUFFERTOOSMALL ? EPickOutcome::kBufferTooSmall
                                                          : EPickOutcome::kCancelled;
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
