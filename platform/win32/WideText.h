#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

// Between the program's text, in the ANSI code page (UTF-8 where the
// manifest's code page is in force), and the wide text of the system's
// wide calls; and the full paths those calls give.

// `text` in `codePage` as wide text.
std::wstring Widen(std::string_view text, UINT codePage = CP_ACP);

// `text` in `codePage`; none where a character has no bytes of its own
// there (a look-alike, Ω as 'O', is never taken for it).
std::optional<std::string> NarrowLosslessly(std::wstring_view text, UINT codePage = CP_ACP);

// `text` in `codePage`, a character it cannot hold as '?': no file's name
// holds one, so a path so narrowed leads to no other file.
std::string Narrow(std::wstring_view text, UINT codePage = CP_ACP);

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
