#include "platform/DesktopFactory.h"

#include "platform/win32/Win32Desktop.h"

std::unique_ptr<CDesktop> CreateDesktop() {
    return std::make_unique<CWin32Desktop>();
}
