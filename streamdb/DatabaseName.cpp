#include "streamdb/DatabaseName.h"

#include "common/PathHelpers.h"
#include "platform/File.h"
#include "platform/PathRules.h"

namespace {

// Cuts to at most `limit` bytes without splitting a double-byte character.
std::string CutToLength(const std::string& text, std::size_t limit) {
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t width = IsLeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
        if (end + width > limit) {
            break;
        }
        end += width;
    }
    return text.substr(0, end);
}

}  // namespace

std::string MakeDatabaseName(const CFile& file) {
    std::string title = file.GetFileTitle();
    if (title.empty()) {
        title = GetNamePart(file.GetFilePath());
    }
    return CutToLength(StripExtension(title), kMaxNameLength);
}
