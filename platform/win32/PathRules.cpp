#include "platform/PathRules.h"

#include <windows.h>

// Names are in the system's ANSI code page; in a double-byte code page the
// second byte of a character may equal any of these separators.
const char kFolderSeparator = '\\';
const char kNameSeparators[] = "\\/:";

bool IsLeadByte(unsigned char byte) {
    return IsDBCSLeadByte(byte) != FALSE;
}

// Titles are in the ANSI code page too.
bool IsTitleLeadByte(unsigned char byte) {
    return IsLeadByte(byte);
}
