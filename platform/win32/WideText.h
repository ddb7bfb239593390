#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

// Between the program's text, in the ANSI code page (UTF-8 where the
// manifest's code page is in force), and the wide text of the system's
// wide calls.

// `text` in `codePage` as wide text.
std::wstring Widen(std::string_view text, UINT codePage = CP_ACP);

// `text` in `codePage`; none where a character has no bytes of its own
// there (a look-alike, Ω as 'O', is never taken for it).
std::optional<std::string> NarrowWhole(std::wstring_view text, UINT codePage = CP_ACP);

// `text` in `codePage`, a character it cannot hold as '?': no file's name
// holds one, so a path so narrowed leads to no other file.
std::string Narrow(std::wstring_view text, UINT codePage = CP_ACP);
