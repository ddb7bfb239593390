#include "platform/win32/WideText.h"

#include <utility>

namespace {

constexpr char kUnheld[] = "?";

bool IsUtf8(UINT codePage) {
    return codePage == CP_UTF8 || (codePage == CP_ACP && GetACP() == CP_UTF8);
}

// `text` in `codePage`, with `whole` telling whether every character was held.
std::string Convert(std::wstring_view text, UINT codePage, bool& whole) {
    // UTF-8 holds every character and takes neither option.
    const bool utf8 = IsUtf8(codePage);
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* const unheld = utf8 ? nullptr : kUnheld;
    BOOL usedDefault = FALSE;
    BOOL* const used = utf8 ? nullptr : &usedDefault;
    const int length = static_cast<int>(text.size());
    std::string narrow(static_cast<std::size_t>(WideCharToMultiByte(
                           codePage, flags, text.data(), length, nullptr, 0, unheld, used)),
                       '\0');
    WideCharToMultiByte(codePage, flags, text.data(), length, narrow.data(),
                        static_cast<int>(narrow.size()), unheld, used);
    whole = usedDefault == FALSE && (length == 0 || !narrow.empty());
    return narrow;
}

}  // namespace

std::wstring Widen(std::string_view text, UINT codePage) {
    const int length = static_cast<int>(text.size());
    std::wstring wide(
        static_cast<std::size_t>(MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0)),
        L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(),
                        static_cast<int>(wide.size()));
    return wide;
}

std::optional<std::string> NarrowLosslessly(std::wstring_view text, UINT codePage) {
    bool whole = false;
    std::string narrow = Convert(text, codePage, whole);
    return whole ? std::optional<std::string>(std::move(narrow)) : std::nullopt;
}

std::string Narrow(std::wstring_view text, UINT codePage) {
    bool whole = false;
    return Convert(text, codePage, whole);
}
