#include "platform/PathRules.h"

#include "common/Utf8.h"

namespace {

// Names are UTF-8: no byte of a multi-byte character equals '/', and ':' is
// an ordinary name character here.
bool IsLeadByte(unsigned char) {
    return false;
}

}  // namespace

const char kFolderSeparator = '/';
const SPathRules kPathRules = {kFolderSeparator, "/", IsLeadByte};

std::size_t CountCharacters(std::string_view text) {
    return CountUtf16Units(text);
}

std::string ToUtf8(std::string_view text) {
    return std::string(text);
}
