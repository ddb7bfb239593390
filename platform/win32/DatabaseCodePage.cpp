#include "platform/DatabaseCodePage.h"

#include <windows.h>

#include "platform/win32/WideText.h"

namespace {

constexpr unsigned kWesternCodePage = 1252;
// One character of a Windows code page is at most a double-byte one.
constexpr int kLongestCharacter = 2;
// A character past U+FFFF is two UTF-16 units.
constexpr int kMostUnits = 2;

// The locale's code page for programs that are not Unicode; Unicode-only
// locales (Georgian, Hindi, ...) have none, and a PC of theirs uses 1252.
unsigned CodePageOf(const wchar_t* locale) {
    DWORD codePage = 0;
    const int got =
        GetLocaleInfoEx(locale, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                        reinterpret_cast<LPWSTR>(&codePage), sizeof codePage / sizeof(wchar_t));
    return got != 0 && codePage != 0 ? codePage : kWesternCodePage;
}

}  // namespace

unsigned GetCodePageOfLocale(std::string_view locale) {
    return CodePageOf(Widen(locale, CP_UTF8).c_str());
}

unsigned GetDatabaseCodePage() {
    // By its own name: Wine 8 knows no LOCALE_NAME_SYSTEM_DEFAULT.
    wchar_t locale[LOCALE_NAME_MAX_LENGTH];
    if (GetSystemDefaultLocaleName(locale, LOCALE_NAME_MAX_LENGTH) == 0) {
        return kWesternCodePage;
    }
    return CodePageOf(locale);
}

CDatabaseCodePage::~CDatabaseCodePage() {
    Close();
}

bool CDatabaseCodePage::Open(unsigned codePage) {
    Close();
    if (IsValidCodePage(codePage) == FALSE) {
        return false;
    }
    m_codePage = codePage;
    return true;
}

void CDatabaseCodePage::Close() {
    m_codePage = 0;
}

bool CDatabaseCodePage::Encode(std::string_view character, std::string& out) const {
    wchar_t wide[kMostUnits];
    const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, character.data(),
                                          static_cast<int>(character.size()), wide, kMostUnits);
    char bytes[kLongestCharacter];
    // Without WC_NO_BEST_FIT_CHARS 1252 would write Ω as the look-alike 'O'.
    BOOL usedDefault = FALSE;
    const int length = units > 0
                           ? WideCharToMultiByte(m_codePage, WC_NO_BEST_FIT_CHARS, wide, units,
                                                 bytes, sizeof bytes, nullptr, &usedDefault)
                           : 0;
    if (length <= 0 || usedDefault != FALSE) {
        return false;
    }
    out.append(bytes, static_cast<std::size_t>(length));
    return true;
}
