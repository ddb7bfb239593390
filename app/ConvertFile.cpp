#include <utility>

#include "app/ConvertorApp.h"
#include "app/Messages.h"
#include "common/PathHelpers.h"
#include "common/Utf8.h"
#include "platform/BufferedWriter.h"
#include "platform/Desktop.h"
#include "platform/File.h"
#include "platform/PathRules.h"
#include "streamdb/StreamBlockArray.h"
#include "streamdb/Timestamp.h"

namespace {

constexpr char kDatabaseExtension[] = ".pdb";

}  // namespace

void CConvertorApp::ConvertFile(CFile& input) {
    const std::string inputName = input.GetFileName();
    // The whole input is read before the output is touched: what the database
    // holds is the puzzle as it was read, whatever happens to the file later.
    CStreamBlockArray blocks;
    EFillResult filled = blocks.Fill(input);
    // Bytes read while another program saved the puzzle may mix two versions
    // of it: only those of one moment make a database.
    if (filled == EFillResult::kFilled && !input.IsUnchanged()) {
        filled = EFillResult::kReadFailed;
    }
    if (filled != EFillResult::kFilled) {
        blocks.RemoveAll();
        ShowFailure(filled == EFillResult::kReadFailed ? kCouldNotReadMessage : kTooLargeMessage,
                    inputName);
        return;
    }

    const std::string outputName = StripExtension(inputName) + kDatabaseExtension;
    // Without its code page's converter, a name right on the handheld is one
    // in ASCII alone; another is not written under a wrong name.
    if (!m_codePage.IsOpen() && !IsAscii(outputName)) {
        ShowFailure(kCouldNotCreateMessage, outputName);
        return;
    }
    CFile output;
    if (!OpenOutputFile(output, outputName)) {
        return;
    }
    // From here memory running out means the database could not be written.
    m_outOfMemory = {kCouldNotWriteMessage, StripPath(outputName, kPathRules)};
    // Made before the database takes its name, so that recording it cannot fail after.
    std::string written = output.GetFilePath();
    m_convertedFiles.reserve(m_convertedFiles.size() + 1);
    CBufferedWriter writer(output);
    blocks.WriteDatabase(writer, m_codePage, CurrentTimestamp());
    // Only a database that reached the disk whole takes its name; until then
    // the old one, if any, stays as it was.
    if (writer.Flush() && output.Commit()) {
        m_convertedFiles.push_back(std::move(written));
        return;
    }
    output.Close();
    ShowFailure(kCouldNotWriteMessage, m_outOfMemory.name);
}

bool CConvertorApp::OpenOutputFile(CFile& output, const std::string& name) {
    CFile existing;
    if (existing.Open(name, CFile::EOpenMode::kWriteExisting)) {
        const CMessageText question(kOverwriteQuestionStart, existing.GetFilePath(),
                                    kOverwriteQuestionEnd);
        if (ShowMessage(question, kMbYesNo | kMbIconQuestion) != kIdYes) {
            return false;
        }
    }
    // A new file, replacing only the database the user just agreed to
    // replace: a name that exists but could not be opened is never taken.
    if (output.OpenReplacement(name, std::move(existing))) {
        return true;
    }
    ShowFailure(kCouldNotCreateMessage, StripPath(name, kPathRules));
    return false;
}
