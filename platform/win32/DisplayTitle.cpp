#include "platform/win32/DisplayTitle.h"

#include <windows.h>
// windows.h first: commdlg.h needs its types.
#include <commdlg.h>

#include <vector>

std::string GetDisplayTitle(const std::string& path) {
    // A positive result is the size the title needs, its closing zero included.
    const short needed = GetFileTitleA(path.c_str(), nullptr, 0);
    if (needed <= 0) {
        return {};
    }
    std::vector<char> title(static_cast<std::size_t>(needed) + 1, '\0');
    if (GetFileTitleA(path.c_str(), title.data(), static_cast<WORD>(title.size())) != 0) {
        return {};
    }
    return title.data();
}
