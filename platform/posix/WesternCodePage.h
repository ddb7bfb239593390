#pragma once

#include <string>
#include <string_view>

// The handheld reads 8-bit names in Windows-1252; file names here are UTF-8.
// Converts `utf8` to that code page, putting one '_' for each character it
// cannot hold and for each byte that is not part of a UTF-8 character.
std::string ToWindows1252(std::string_view utf8);
