#include "platform/win32/WidePath.h"

#include <algorithm>

#include "platform/win32/WideText.h"

namespace {

constexpr wchar_t kLongPathPrefix[] = L"\\\\?\\";
constexpr wchar_t kDevicePrefix[] = L"\\\\.\\";
constexpr wchar_t kLongSharePrefix[] = L"\\\\?\\UNC\\";
constexpr wchar_t kSharePrefix[] = L"\\\\";
constexpr wchar_t kSeparator = L'\\';

bool StartsWith(const std::wstring& text, const wchar_t* start) {
    return text.compare(0, std::char_traits<wchar_t>::length(start), start) == 0;
}

// The short form of an existing file or folder; empty where it has none.
std::wstring GetShortPath(const std::wstring& path) {
    std::wstring shortPath(GetShortPathNameW(path.c_str(), nullptr, 0), L'\0');
    if (shortPath.empty()) {
        return {};
    }
    const DWORD length =
        GetShortPathNameW(path.c_str(), shortPath.data(), static_cast<DWORD>(shortPath.size()));
    if (length == 0 || length >= shortPath.size()) {
        return {};
    }
    shortPath.resize(length);
    return shortPath;
}

}  // namespace

std::wstring MakeLongPathForm(const std::wstring& path) {
    if (StartsWith(path, kLongPathPrefix) || StartsWith(path, kDevicePrefix)) {
        return path;
    }
    if (StartsWith(path, kSharePrefix)) {
        return kLongSharePrefix + path.substr(std::char_traits<wchar_t>::length(kSharePrefix));
    }
    return kLongPathPrefix + path;
}

std::wstring MakeHeldPath(const std::wstring& path, UINT codePage) {
    const std::size_t separator = path.rfind(kSeparator);
    if (NarrowWhole(path, codePage) || separator == std::wstring::npos) {
        return path;
    }
    std::wstring folder = path.substr(0, separator);
    if (!NarrowWhole(folder, codePage)) {
        folder = GetShortPath(folder);
    }
    // Only a file that exists has a short name; Wine makes one up for any other.
    std::wstring name = path.substr(separator);
    if (!NarrowWhole(name, codePage)) {
        const std::wstring shortPath = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES
                                           ? GetShortPath(path)
                                           : std::wstring();
        name = shortPath.substr(std::min(shortPath.rfind(kSeparator), shortPath.size()));
    }
    const std::wstring held = folder + name;
    return !folder.empty() && !name.empty() && NarrowWhole(held, codePage) ? held : path;
}

std::string ToProgramPath(const std::wstring& path) {
    return Narrow(MakeHeldPath(path, CP_ACP));
}
