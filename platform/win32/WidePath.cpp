#include "platform/win32/WidePath.h"

#include "platform/win32/WideText.h"

namespace {

constexpr wchar_t kLongPathPrefix[] = L"\\\\?\\";
constexpr wchar_t kDevicePrefix[] = L"\\\\.\\";
constexpr wchar_t kLongSharePrefix[] = L"\\\\?\\UNC\\";
constexpr wchar_t kSharePrefix[] = L"\\\\";

bool StartsWith(const std::wstring& text, const wchar_t* start) {
    return text.compare(0, std::char_traits<wchar_t>::length(start), start) == 0;
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

std::string ToProgramPath(const std::wstring& path) {
    return Narrow(path);
}
