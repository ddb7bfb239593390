#pragma once

#include <windows.h>

#include <string>

// What win32/File.cpp lends the rest of the Windows platform: full paths as
// the wide calls give them, spelt for the program; and how the program's
// files reach the disk before they take their names.

// `path`, a full path, spelt so that `codePage` holds it: as it is where it
// can be, else in its short (8.3) form where the volume has one that can be,
// for a file yet to be made its folder's short form and its own name.
// `path` itself where neither can.
std::wstring SpellInCodePage(const std::wstring& path, UINT codePage);

// A full path as the program spells it, in the ANSI code page: in its short
// form where only that fits (never where the code page is UTF-8).
std::string ToProgramPath(const std::wstring& path);

// FlushFileBuffers, or what a test puts in its place to see that it is asked.
extern BOOL(WINAPI* g_flushFileBuffers)(HANDLE file);
