#pragma once

#include <cstddef>
#include <string_view>

// One step through UTF-8 text.
struct SUtf8Character {
    char32_t codePoint;  // meaningful only when valid
    std::size_t length;  // bytes taken, at least 1
    bool valid;
};

// The character `text` starts with; `text` is not empty. Only well-formed
// UTF-8 is a character: an overlong form, a surrogate, a code point past
// U+10FFFF, a stray or missing continuation byte each leave the first byte
// one invalid unit of length 1, and the next step starts at the byte after it.
SUtf8Character DecodeUtf8(std::string_view text);

// How many UTF-16 units `text` takes: as wide Windows calls count characters,
// two for a character past U+FFFF and one for each invalid unit.
std::size_t CountUtf16Units(std::string_view text);

// How many UTF-16 units `character` takes: two past U+FFFF, else one.
std::size_t CountUtf16Units(const SUtf8Character& character);

// Whether every byte of `text` is ASCII, which every code page holds as it is.
bool IsAscii(std::string_view text);
