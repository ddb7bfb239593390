#include "platform/win32/FullPath.h"

#include <windows.h>

#include <vector>

namespace {

// The root of the volume `path` lies on, as GetVolumeInformationA wants it.
bool GetVolumeRoot(const std::string& path, std::vector<char>& root) {
    root.assign(path.size() + 2, '\0');
    return GetVolumePathNameA(path.c_str(), root.data(), static_cast<DWORD>(root.size())) != FALSE;
}

}  // namespace

std::string MakeFullPath(const std::string& name) {
    std::vector<char> buffer(MAX_PATH);
    char* namePart = nullptr;
    DWORD length = 0;
    for (;;) {
        length = GetFullPathNameA(name.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(),
                                  &namePart);
        if (length == 0) {
            return name;
        }
        if (length < buffer.size()) {
            break;
        }
        buffer.resize(length);  // the size asked for counts the closing zero
    }
    std::string path(buffer.data(), length);
    const std::size_t nameOffset =
        namePart != nullptr ? static_cast<std::size_t>(namePart - buffer.data()) : path.size();

    std::vector<char> root;
    DWORD flags = 0;
    if (!GetVolumeRoot(path, root) ||
        !GetVolumeInformationA(root.data(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)) {
        return path;
    }
    if ((flags & FS_CASE_IS_PRESERVED) == 0) {
        CharUpperBuffA(&path[0], static_cast<DWORD>(path.size()));
    }
    if ((flags & FS_UNICODE_STORED_ON_DISK) == 0 && nameOffset < path.size()) {
        WIN32_FIND_DATAA found{};
        const HANDLE search = FindFirstFileA(path.c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            FindClose(search);
            path.replace(nameOffset, std::string::npos, found.cFileName);
        }
    }
    return path;
}
