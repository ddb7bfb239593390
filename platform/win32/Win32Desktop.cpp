#include "platform/win32/Win32Desktop.h"

#include <windows.h>
// windows.h first: these need its types.
#include <cderr.h>
#include <commdlg.h>
#include <dlgs.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>

#include "platform/DatabaseCodePage.h"
#include "platform/Desktop.h"
#include "platform/File.h"
#include "platform/win32/WideText.h"

namespace {

// The dialog is the wide one, so that the names the user picked are known as
// they are. Wine's wide dialog copies a multi-file selection whole, however
// small it was told the buffer is: the folder (MAX_PATH characters at most,
// its zero included), the names as the name box holds them, two zeros. So the
// buffer takes the longest name box the picker lets through, and how many
// names fit is decided once they are in the code page.
constexpr int kLongestNameBox = 32767;
constexpr std::size_t kWideSelectionSize = MAX_PATH + kLongestNameBox + 2;

// Where the guarded frame finds its picker.
constexpr wchar_t kPickerProperty[] = L"Quintar.Picker";

// What the picker adds to the common open-file dialog, and what it saw.
struct CPicker {
    HICON icon = nullptr;        // none when null; loaded from resources, never released
    std::wstring okCaption;      // empty keeps the dialog's own caption
    std::wstring cancelCaption;  // empty keeps the dialog's own caption
    WNDPROC frameProcedure = nullptr;
    bool nameBoxTooLong = false;
};

// The folder of a wide selection as the dialog gave it: the first item of
// several, or what comes before the last separator of one path (a root
// keeps its separator).
std::wstring GetSelectionFolder(std::wstring_view selection) {
    const std::wstring_view first = selection.substr(0, selection.find(L'\0'));
    if (first.size() + 1 < selection.size() && selection[first.size() + 1] != L'\0') {
        return std::wstring(first);
    }
    const std::size_t separator = first.find_last_of(L"\\/");
    if (separator == std::wstring_view::npos) {
        return std::wstring(first);
    }
    const bool root = separator == 0 || first[separator - 1] == L':';
    return std::wstring(first.substr(0, root ? separator + 1 : separator));
}

// For each file of a wide selection, in order, its name in UTF-8 where the
// ANSI code page cannot hold it; empty where it can.
std::vector<std::string> ShownNamesOf(std::wstring_view selection) {
    std::vector<std::wstring_view> items;
    for (std::size_t at = 0; at < selection.size() && selection[at] != L'\0';) {
        const std::size_t end = std::min(selection.find(L'\0', at), selection.size());
        items.push_back(selection.substr(at, end - at));
        at = end + 1;
    }
    std::vector<std::string> shown;
    // The folder comes first where there are several.
    for (std::size_t i = items.size() > 1 ? 1 : 0; i < items.size(); ++i) {
        const std::size_t separator = items[i].find_last_of(L"\\/");
        const std::wstring_view name =
            separator == std::wstring_view::npos ? items[i] : items[i].substr(separator + 1);
        shown.push_back(NarrowLosslessly(name) ? std::string() : Narrow(name, CP_UTF8));
    }
    return shown;
}

// The characters of `buffer` that the dialog's selection takes, up to the
// zero that closes its list: a second zero after the last name, or the zero
// of a lone path that fills the buffer. None when the list is not closed,
// which is how a dialog that cut the selection short leaves it.
std::optional<std::size_t> MeasureSelection(const std::wstring& buffer) {
    std::size_t items = 0;
    std::size_t at = 0;
    while (at < buffer.size() && buffer[at] != L'\0') {
        const std::size_t end = buffer.find(L'\0', at);
        if (end == std::wstring::npos) {
            return std::nullopt;
        }
        ++items;
        at = end + 1;
    }
    if (at < buffer.size()) {
        return at + 1;  // the zero that closes the list
    }
    // Only one path may end the buffer with its own zero.
    return items == 1 ? std::optional<std::size_t>(at) : std::nullopt;
}

HWND FindNameBox(HWND frame) {
    const HWND edit = GetDlgItem(frame, edt1);
    return edit != nullptr ? edit : GetDlgItem(frame, cmb13);
}

// Every way to confirm the dialog (the button, Return, a double click) comes
// to its frame as IDOK; a name box longer than the buffer takes is cancelled
// before the dialog copies it.
LRESULT CALLBACK GuardFrame(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* picker = static_cast<CPicker*>(GetPropW(frame, kPickerProperty));
    const WNDPROC procedure = picker->frameProcedure;
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK &&
        GetWindowTextLengthW(FindNameBox(frame)) > kLongestNameBox) {
        picker->nameBoxTooLong = true;
        return CallWindowProcW(procedure, frame, WM_COMMAND, IDCANCEL, 0);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(frame, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
        RemovePropW(frame, kPickerProperty);
    }
    return CallWindowProcW(procedure, frame, message, wParam, lParam);
}

// The hook of the Explorer-style dialog. Its own dialog is a child of the
// frame the common dialog owns, and the frame holds the OK and Cancel buttons.
UINT_PTR CALLBACK PrepareFrame(HWND hookDialog, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG) {
        return 0;  // the common dialog handles everything else
    }
    const auto* dialog = reinterpret_cast<const OPENFILENAMEW*>(lParam);
    auto* picker = reinterpret_cast<CPicker*>(dialog->lCustData);
    const HWND frame = GetParent(hookDialog);
    if (picker->icon != nullptr) {
        SendMessageW(frame, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(picker->icon));
    }
    if (!picker->okCaption.empty()) {
        SetWindowTextW(GetDlgItem(frame, IDOK), picker->okCaption.c_str());
    }
    if (!picker->cancelCaption.empty()) {
        SetWindowTextW(GetDlgItem(frame, IDCANCEL), picker->cancelCaption.c_str());
    }
    SetPropW(frame, kPickerProperty, picker);
    picker->frameProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(frame, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GuardFrame)));
    return TRUE;
}

}  // namespace

EPickOutcome CWin32Desktop::ShowOpenFileDialog(const COpenFileDialogRequest& request,
                                               std::vector<char>& selection) {
    if (selection.empty()) {
        return EPickOutcome::kBufferTooSmall;
    }
    CPicker picker;
    if (request.iconResource != 0) {
        picker.icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(request.iconResource));
    }
    picker.okCaption = Widen(request.okCaption);
    picker.cancelCaption = Widen(request.cancelCaption);
    const std::wstring title = Widen(request.title);
    // Description and pattern pairs, each ending in a zero, the list in a second one.
    std::string filterText;
    for (const auto& filter : request.filters) {
        filterText += filter.first + '\0' + filter.second + '\0';
    }
    const std::wstring filter = Widen(filterText + '\0');
    std::wstring names(kWideSelectionSize, L'\0');

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hInstance = GetModuleHandleA(nullptr);
    dialog.lpstrFilter = request.filters.empty() ? nullptr : filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = names.data();
    dialog.nMaxFile = static_cast<DWORD>(names.size());
    dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
    // The hook guards the buffer, so every picker has one; the selection's
    // layout is the Explorer-style dialog's.
    dialog.Flags = request.flags | OFN_EXPLORER | OFN_ENABLEHOOK;
    dialog.lpfnHook = PrepareFrame;
    dialog.lCustData = reinterpret_cast<LPARAM>(&picker);
    for (;;) {
        std::fill(names.begin(), names.end(), L'\0');
        picker.nameBoxTooLong = false;
        if (!GetOpenFileNameW(&dialog)) {
            return picker.nameBoxTooLong || CommDlgExtendedError() == FNERR_BUFFERTOOSMALL
                       ? EPickOutcome::kBufferTooSmall
                       : EPickOutcome::kCancelled;
        }
        // Wine's ANSI dialog cuts a long selection short and reports success;
        // a cut one is too long, never a shorter pick.
        const std::optional<std::size_t> length = MeasureSelection(names);
        if (!length) {
            return EPickOutcome::kBufferTooSmall;
        }
        // Windows leaves the selection's folder as the working folder; Wine
        // does not when a full path was typed. The shared end sees to it, and
        // to whether the names still fit once they are in the code page. A
        // folder whose name that code page cannot hold is set by its wide
        // name; a file name it cannot hold still opens no file.
        const std::wstring_view picked(names.data(), *length);
        const std::wstring folder = GetSelectionFolder(picked);
        const auto setFolder = [&folder](const std::string& narrowed) {
            return SetWorkingFolder(narrowed) || SetCurrentDirectoryW(folder.c_str()) != FALSE;
        };
        const std::string narrowed = Narrow(picked);
        CMessageText problem("");
        if (const std::optional<EPickOutcome> outcome =
                FinishPick(UnpackSelection(std::vector<char>(narrowed.begin(), narrowed.end())),
                           selection, problem, setFolder)) {
            if (*outcome == EPickOutcome::kConfirmed) {
                m_shownNames = ShownNamesOf(picked);
            }
            return *outcome;
        }
        if (!problem.IsEmpty()) {
            ShowMessageBox(problem, request.title, MB_OK | MB_ICONSTOP);
        }
    }
}

int CWin32Desktop::ShowMessageBox(const CMessageText& text, const std::string& caption,
                                  unsigned style) {
    // Windows' message box wraps a long name and shows every name as it is,
    // one the ANSI code page cannot hold too: the wide one.
    const std::wstring shown =
        Widen(text.before) +
        (text.shownName.empty() ? Widen(text.name) : Widen(text.shownName, CP_UTF8)) +
        Widen(text.after);
    return MessageBoxW(nullptr, shown.c_str(), Widen(caption).c_str(), style);
}

std::string CWin32Desktop::FindAssociatedProgram(const std::string& file) {
    // By the file's type, its extension: FindExecutableW, which looks at the
    // file itself, fails on a path past MAX_PATH characters, and a short
    // path is no answer where the volume has none. An unknown type gives no
    // program, not the shell's Open With.
    const std::wstring path = Widen(file);
    // MAX_PATH characters hold every path the lookup gives; in bytes, UTF-8
    // may need three for one of them.
    wchar_t program[MAX_PATH] = L"";
    DWORD size = MAX_PATH;
    if (FAILED(AssocQueryStringW(ASSOCF_INIT_IGNOREUNKNOWN, ASSOCSTR_EXECUTABLE,
                                 PathFindExtensionW(path.c_str()), L"open", program, &size))) {
        return std::string();
    }
    return program[0] == L'\0' ? std::string() : ToProgramPath(program);
}

void CWin32Desktop::StartProgram(const std::string& program,
                                 const std::vector<std::string>& files) {
    // The installer may itself be an ANSI program, which would receive a
    // character its code page cannot hold as '?': such a path goes in its
    // short form, which the volume gives in characters of that code page.
    const UINT installerCodePage = GetDatabaseCodePage();
    // Each path in double quotes, one space between two of them.
    std::string parameters;
    for (const std::string& file : files) {
        parameters += (parameters.empty() ? "\"" : " \"") +
                      Narrow(SpellInCodePage(Widen(file), installerCodePage)) + '"';
    }
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

void PrepareProcess() {
    // A drive without a medium fails the open, which the program reports,
    // instead of raising the system's own box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    // The dialog and the shell may hand work to COM-based extensions.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
}

std::unique_ptr<CDesktop> ChooseDesktop() {
    return std::make_unique<CWin32Desktop>();
}
