#include "platform/win32/PickerFrame.h"

#include <commdlg.h>

namespace {

// The hook's dialog is a child of the frame the common dialog owns, and the
// frame holds the OK and Cancel buttons.
void DecorateFrame(HWND hookDialog, const CPickerLook& look) {
    const HWND frame = GetParent(hookDialog);
    if (look.icon != nullptr) {
        SendMessageA(frame, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(look.icon));
    }
    if (!look.okCaption.empty()) {
        SetWindowTextA(GetDlgItem(frame, IDOK), look.okCaption.c_str());
    }
    if (!look.cancelCaption.empty()) {
        SetWindowTextA(GetDlgItem(frame, IDCANCEL), look.cancelCaption.c_str());
    }
}

}  // namespace

UINT_PTR CALLBACK PickerHookProc(HWND hookDialog, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG) {
        return 0;  // the common dialog handles everything else
    }
    const auto* dialog = reinterpret_cast<const OPENFILENAMEA*>(lParam);
    const auto* look = reinterpret_cast<const CPickerLook*>(dialog->lCustData);
    if (look != nullptr) {
        DecorateFrame(hookDialog, *look);
    }
    return TRUE;
}
