#include "streamdb/DatabaseName.h"

#include "common/PathHelpers.h"
#include "platform/File.h"

std::string MakeDatabaseName(const CFile& file) {
    std::string title = file.GetFileTitle();
    if (title.empty()) {
        title = GetNamePart(file.GetFilePath());
    }
    return CutToLength(StripExtension(title), kMaxNameLength);
}
