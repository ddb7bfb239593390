#include "streamdb/DatabaseName.h"

#include "common/PathHelpers.h"
#include "platform/DatabaseCodePage.h"
#include "platform/File.h"
#include "platform/PathRules.h"

std::string MakeDatabaseName(const CFile& file, const CCharacterEncoder& codePage) {
    std::string title = file.GetFileTitle();
    if (title.empty()) {
        title = ToUtf8(GetNamePart(file.GetFilePath(), kPathRules));
    }
    return MakeHandheldName(title, codePage);
}

std::string MakeDatabaseName(const CFile& file) {
    CDatabaseCodePage codePage;
    // Unopened, it still writes ASCII as it is.
    codePage.Open(GetDatabaseCodePage());
    return MakeDatabaseName(file, codePage);
}
