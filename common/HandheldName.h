#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The handheld reads a database's name in the legacy Windows code page of
// its user's language, never in UTF-8; the platform knows which one that is
// and how to write a character in it.
class CCharacterEncoder {
public:
    virtual ~CCharacterEncoder() = default;

    // Appends the bytes of `character`, one well-formed UTF-8 character, to
    // `out`; false, with `out` untouched, where the code page has none for it.
    virtual bool Encode(std::string_view character, std::string& out) const = 0;
};

// What every code page holds as it is: a character of ASCII, appended to
// `out`; false, with `out` untouched, for any other.
bool EncodeAscii(std::string_view character, std::string& out);

// The longest database name; the 32-byte name field ends in a zero.
constexpr std::size_t kMaxNameLength = 31;

// The name a database titled `title` (UTF-8) goes by on the handheld: the
// title without its extension, each character in `encoder`'s code page, one
// '_' for a character the code page cannot hold and for a byte that is no
// UTF-8; it ends before the character whose bytes would pass kMaxNameLength,
// so a character is never split.
std::string MakeHandheldName(std::string_view title, const CCharacterEncoder& encoder);
