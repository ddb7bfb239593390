#include "platform/Desktop.h"

#include <objbase.h>
#include <windows.h>

#include "platform/win32/Win32Desktop.h"

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
