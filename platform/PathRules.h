#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/PathHelpers.h"

// How this platform spells the paths and names it hands to the program:
// UTF-8 on Linux; on Windows the process's ANSI code page, UTF-8 where the
// manifest's code page is in force.

// The one character that separates folders in a path.
extern const char kFolderSeparator;

// The separators and the lead bytes the path helpers need.
extern const SPathRules kPathRules;

// The characters `text` holds as the wide file dialog counts them: UTF-16 units.
std::size_t CountCharacters(std::string_view text);

// `text`, spelt as this platform hands names to the program, in UTF-8.
std::string ToUtf8(std::string_view text);
