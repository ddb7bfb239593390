#pragma once

#include <string>
#include <string_view>

// The handheld reads a database's name in the legacy Windows code page of
// its user's language, never in UTF-8. This is that code page and the
// converter into it: opened once, before anything is written with it.
class CDatabaseCodePage {
public:
    CDatabaseCodePage() = default;
    ~CDatabaseCodePage();
    CDatabaseCodePage(const CDatabaseCodePage&) = delete;
    CDatabaseCodePage& operator=(const CDatabaseCodePage&) = delete;

    // Gets the converter into `codePage` ready; false where the system has none.
    bool Open(unsigned codePage);
    bool IsOpen() const { return m_codePage != 0; }

    // Appends the bytes of `character`, one well-formed UTF-8 character, to
    // `out`; false, with `out` untouched, where the code page has none for
    // it. Only once open.
    bool Encode(std::string_view character, std::string& out) const;

private:
    void Close();

    unsigned m_codePage = 0;
    void* m_converter = nullptr;  // the iconv descriptor on Linux
};

// The code page a Windows PC of the language of `locale` gives programs
// that are not Unicode; 1252 where it gives none. Locales are named as this
// platform names them: "ja_JP.UTF-8" on Linux, "ja-JP" on Windows.
unsigned GetCodePageOfLocale(std::string_view locale);

// The code page of database names here: on Windows the system locale's,
// which programs that are not Unicode use; on Linux that of the locale that
// says what characters text holds, as setlocale finds it (LC_ALL, LC_CTYPE,
// then LANG, the first one set and not empty).
unsigned GetDatabaseCodePage();
