#include "streamdb/DatabaseName.h"

#include "common/PathHelpers.h"
#include "platform/File.h"
#include "platform/PathRules.h"

std::string MakeDatabaseName(const CFile& file) {
    std::string title = file.GetFileTitle();
    if (title.empty()) {
        title = GetNamePart(file.GetFilePath(), kPathRules);
    }
    // The extension is found by the path's lead bytes: no trail byte of a
    // double-byte code page is a '.', so it is the same '.' in the title's.
    return CutToLength(StripExtension(title), kMaxNameLength, IsTitleLeadByte);
}
