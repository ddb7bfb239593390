#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Tells whether a byte starts a double-byte character in some code page.
using LeadByteTest = bool (*)(unsigned char byte);

// How a platform spells the paths it hands to the program.
struct SPathRules {
    char folderSeparator;         // the one character that separates folders
    std::string_view nameEnders;  // every character after which a file name starts
    LeadByteTest isLeadByte;      // of the code page paths are in
};

// Position of the last of `chars` in `text`, or npos. The scan walks whole
// characters, so the trail byte of a double-byte character never matches.
std::size_t FindLastOf(std::string_view text, std::string_view chars, LeadByteTest isLeadByte);

// The part of `path` after its last folder separator; the whole text without one.
std::string StripPath(std::string_view path, const SPathRules& rules);

// The part of `name` before its last '.'; the whole text without one. No
// code page of a Windows language has '.' as the second byte of a
// character, so it needs no lead-byte test.
std::string StripExtension(std::string_view name);

// The file name in a full path: the part after the last character that can
// end a folder or drive in the platform's names.
std::string GetNamePart(std::string_view path, const SPathRules& rules);
