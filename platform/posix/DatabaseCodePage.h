#pragma once

#include <functional>
#include <string>
#include <string_view>

// Windows writes database names in the system's ANSI code page, and the
// handheld of a Japanese or Russian user reads them in that user's code page.
// Here the locale's language stands for the system's code page: the one a
// Windows PC of that language would have. File names here are UTF-8.

// The value of an environment variable; null where it is not set.
using EnvironmentLookup = std::function<const char*(const char* name)>;

// The locale that says what characters text holds, as setlocale finds it:
// LC_ALL, LC_CTYPE, then LANG, the first one set and not empty; "C" without.
std::string GetCharacterLocale(const EnvironmentLookup& lookup);

// The ANSI code page Windows gives the language of `locale`, a name such as
// "ja_JP.UTF-8" or "sr_RS@latin"; Windows-1252 where none fits.
unsigned GetCodePageOfLocale(std::string_view locale);

// The code page of database names for the locale this process runs in.
unsigned GetDatabaseCodePage();

// Whether `byte` starts a double-byte character of `codePage`.
bool IsLeadByteOf(unsigned codePage, unsigned char byte);

// Converts `utf8` to `codePage`, putting one '_' for each character it cannot
// hold and for each byte that is not part of a UTF-8 character.
std::string ToCodePage(std::string_view utf8, unsigned codePage);
