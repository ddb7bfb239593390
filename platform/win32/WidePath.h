#pragma once

#include <windows.h>

#include <string>

// Full paths as the wide calls take them.

// The \\?\ form of the full path `path`: the wide calls take it past
// MAX_PATH characters, where a file of a deep folder's database may lie.
std::wstring MakeLongPathForm(const std::wstring& path);

// A full path as the program spells it, in the ANSI code page.
std::string ToProgramPath(const std::wstring& path);
