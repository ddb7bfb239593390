#include "platform/PathRules.h"

#include <windows.h>

namespace {

// In a double-byte ANSI code page the second byte of a character may equal
// a separator.
bool IsLeadByte(unsigned char byte) {
    return IsDBCSLeadByte(byte) != FALSE;
}

}  // namespace

const char kFolderSeparator = '\\';
const SPathRules kPathRules = {kFolderSeparator, "\\/:", IsLeadByte};

// Titles are in the ANSI code page too.
bool IsTitleLeadByte(unsigned char byte) {
    return IsLeadByte(byte);
}
