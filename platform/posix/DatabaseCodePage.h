#pragma once

#include <functional>
#include <string>

#include "platform/DatabaseCodePage.h"

// Windows writes database names in the system's ANSI code page, and the
// handheld of a Japanese or Russian user reads them in that user's code page.
// Here the locale's language stands for the system's code page: the one a
// Windows PC of that language would have.

// The value of an environment variable; null where it is not set.
using EnvironmentLookup = std::function<const char*(const char* name)>;

// The locale that says what characters text holds, as setlocale finds it:
// LC_ALL, LC_CTYPE, then LANG, the first one set and not empty; "C" without.
std::string GetCharacterLocale(const EnvironmentLookup& lookup);
