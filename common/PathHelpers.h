#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Tells whether a byte starts a double-byte character in some code page.
using LeadByteTest = bool (*)(unsigned char byte);

// Position of the last of `chars` in `text`, or npos. The scan walks whole
// characters, so the trail byte of a double-byte character never matches.
std::size_t FindLastOf(std::string_view text, std::string_view chars, LeadByteTest isLeadByte);

// The part of `path` after its last folder separator; the whole text without one.
std::string StripPath(std::string_view path);

// The part of `name` before its last '.'; the whole text without one.
std::string StripExtension(std::string_view name);

// The file name in a full path: the part after the last character that can
// end a folder or drive in this platform's names.
std::string GetNamePart(std::string_view path);

// The first bytes of `text`, at most `limit`, never half a double-byte
// character of the code page `isLeadByte` knows.
std::string CutToLength(std::string_view text, std::size_t limit, LeadByteTest isLeadByte);

