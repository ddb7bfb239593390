#include "platform/PathRules.h"

#include <windows.h>

#include "platform/win32/WideText.h"

namespace {

// In a double-byte ANSI code page the second byte of a character may equal
// a separator; the UTF-8 code page has no lead bytes in this sense.
bool IsLeadByte(unsigned char byte) {
    return IsDBCSLeadByte(byte) != FALSE;
}

}  // namespace

const char kFolderSeparator = '\\';
const SPathRules kPathRules = {kFolderSeparator, "\\/:", IsLeadByte};

std::size_t CountCharacters(std::string_view text) {
    return Widen(text).size();
}

std::string ToUtf8(std::string_view text) {
    return Narrow(Widen(text), CP_UTF8);
}
