#pragma once

#include <windows.h>

#include <string>

// What the picker adds to the common open-file dialog: the application's icon
// on the frame and its own captions on the OK and Cancel buttons.
struct CPickerLook {
    HICON icon = nullptr;       // none when null; loaded from resources, never released
    std::string okCaption;      // empty keeps the dialog's own caption
    std::string cancelCaption;  // empty keeps the dialog's own caption
};

// The hook of an Explorer-style open dialog whose lCustData points to the
// CPickerLook to apply when the dialog first shows.
UINT_PTR CALLBACK PickerHookProc(HWND hookDialog, UINT message, WPARAM wParam, LPARAM lParam);
