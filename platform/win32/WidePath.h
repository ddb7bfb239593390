#pragma once

#include <windows.h>

#include <string>

// Full paths as the wide calls take them.

// The \\?\ form of the full path `path`: the wide calls take it past
// MAX_PATH characters, where a file of a deep folder's database may lie.
std::wstring MakeLongPathForm(const std::wstring& path);

// `path`, a full path, in a form that `codePage` holds: as it is where it
// can be, else its short (8.3) form where the volume has one that can be,
// for a file yet to be made its folder's short form and its own name.
// `path` itself where neither can.
std::wstring MakeHeldPath(const std::wstring& path, UINT codePage);

// A full path as the program spells it, in the ANSI code page: in its short
// form where only that fits (never where the code page is UTF-8).
std::string ToProgramPath(const std::wstring& path);
