#include "platform/PathRules.h"

// Names are UTF-8: no byte of a multi-byte character equals '/', and ':' is
// an ordinary name character here.
const char kFolderSeparator = '/';
const char kNameSeparators[] = "/";

bool IsLeadByte(unsigned char) {
    return false;
}
