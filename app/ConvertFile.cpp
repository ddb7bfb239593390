#include <new>
#include <utility>

#include "app/ConvertorApp.h"
#include "app/Messages.h"
#include "common/PathHelpers.h"
#include "platform/BufferedReader.h"
#include "platform/BufferedWriter.h"
#include "platform/Desktop.h"
#include "platform/File.h"
#include "platform/PathRules.h"
#include "streamdb/BlockArrayFill.h"
#include "streamdb/StreamBlockArray.h"

namespace {

constexpr char kDatabaseExtension[] = ".pdb";

}  // namespace

void CConvertorApp::ConvertFile(CFile& input) {
    const std::string inputName = input.GetFileName();
    // The whole input is read before the output is touched: what the database
    // holds is the puzzle as it was read, whatever happens to the file later.
    CStreamBlockArray blocks;
    EFillResult filled = EFillResult::kTooLarge;
    try {
        CBufferedReader reader(input, kInputPieceSize);
        filled = FillBlockArray(reader, blocks);
    } catch (const std::bad_alloc&) {
        // A puzzle this machine cannot hold is too large for it.
    }
    if (filled != EFillResult::kFilled) {
        blocks.RemoveAll();
        ShowMessage((filled == EFillResult::kReadFailed ? kCouldNotReadMessage : kTooLargeMessage) +
                        inputName,
                    kMbOk | kMbIconStop);
        return;
    }

    const std::string outputName = StripExtension(inputName) + kDatabaseExtension;
    CFile output;
    if (!OpenOutputFile(output, outputName)) {
        return;
    }
    CBufferedWriter writer(output);
    blocks.WriteDatabase(writer);
    // Only a database that reached the disk whole takes its name; until then
    // the old one, if any, stays as it was.
    if (writer.Flush() && output.Commit()) {
        m_convertedFiles.push_back(output.GetFilePath());
        return;
    }
    output.Close();
    ShowMessage(kCouldNotWriteMessage + StripPath(outputName, kPathRules), kMbOk | kMbIconStop);
}

bool CConvertorApp::OpenOutputFile(CFile& output, const std::string& name) {
    CFile existing;
    if (existing.Open(name, CFile::EOpenMode::kWriteExisting)) {
        const std::string question =
            kOverwriteQuestionStart + existing.GetFilePath() + kOverwriteQuestionEnd;
        if (ShowMessage(question, kMbYesNo | kMbIconQuestion) != kIdYes) {
            return false;
        }
    }
    // A new file, replacing only the database the user just agreed to
    // replace: a name that exists but could not be opened is never taken.
    if (output.OpenReplacement(name, std::move(existing))) {
        return true;
    }
    ShowMessage(kCouldNotCreateMessage + StripPath(name, kPathRules), kMbOk | kMbIconStop);
    return false;
}
