#include "platform/PathRules.h"

#include "platform/posix/DatabaseCodePage.h"

namespace {

// Names are UTF-8: no byte of a multi-byte character equals '/', and ':' is
// an ordinary name character here.
bool IsLeadByte(unsigned char) {
    return false;
}

}  // namespace

const char kFolderSeparator = '/';
const SPathRules kPathRules = {kFolderSeparator, "/", IsLeadByte};

// Titles are in the database code page, not in UTF-8: there a UTF-8
// continuation byte may start a character, so paths never go by this.
bool IsTitleLeadByte(unsigned char byte) {
    return IsLeadByteOf(GetDatabaseCodePage(), byte);
}
