#pragma once

#include <string>
#include <string_view>

#include "common/HandheldName.h"

// The legacy Windows code page database names are written in, and the
// converter into it: opened once, before anything is written with it.
class CDatabaseCodePage : public CCharacterEncoder {
public:
    CDatabaseCodePage() = default;
    ~CDatabaseCodePage() override;
    CDatabaseCodePage(const CDatabaseCodePage&) = delete;
    CDatabaseCodePage& operator=(const CDatabaseCodePage&) = delete;

    // Gets the converter into `codePage` ready; false where the system has none.
    bool Open(unsigned codePage);
    bool IsOpen() const { return m_codePage != 0; }
    unsigned GetCodePage() const { return m_codePage; }

    // Unopened, it knows ASCII alone: every code page holds that as it is.
    bool Encode(std::string_view character, std::string& out) const override;

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
// which programs that are not Unicode use; on Linux the locale's that says
// what characters text holds (LC_ALL, LC_CTYPE, LANG).
unsigned GetDatabaseCodePage();
