#include <algorithm>
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
constexpr unsigned char kLastAscii = 0x7F;

bool IsAscii(char c) {
    return static_cast<unsigned char>(c) <= kLastAscii;
}

}  // namespace

void CConvertorApp::ConvertFile(CFile& input) {
    std::string inputName;
    std::string outputName;
    bool writing = false;
    try {
        inputName = input.GetFileName();
        WriteDatabaseOf(input, inputName, outputName, writing);
    } catch (const std::bad_alloc&) {
        // Memory ran out: this conversion ends, the program goes on. The
        // output, if any, was taken back as the error left its scope.
        if (writing) {
            ShowFailure(kCouldNotWriteMessage, StripPath(outputName, kPathRules));
        } else if (!inputName.empty()) {
            ShowFailure(kTooLargeMessage, inputName);
        }
    }
}

void CConvertorApp::WriteDatabaseOf(CFile& input, const std::string& inputName,
                                    std::string& outputName, bool& writing) {
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

    outputName = StripExtension(inputName) + kDatabaseExtension;
    // Without its code page's converter, a name right on the handheld is one
    // in ASCII alone; another is not written under a wrong name.
    if (!m_codePage.IsOpen() && !std::all_of(outputName.begin(), outputName.end(), IsAscii)) {
        ShowFailure(kCouldNotCreateMessage, outputName);
        return;
    }
    CFile output;
    if (!OpenOutputFile(output, outputName)) {
        return;
    }
    writing = true;
    // Made before the database takes its name, so that recording it cannot fail after.
    std::string written = output.GetFilePath();
    m_convertedFiles.reserve(m_convertedFiles.size() + 1);
    CBufferedWriter writer(output);
    blocks.WriteDatabase(writer, m_codePage);
    // Only a database that reached the disk whole takes its name; until then
    // the old one, if any, stays as it was.
    if (writer.Flush() && output.Commit()) {
        m_convertedFiles.push_back(std::move(written));
        return;
    }
    output.Close();
    ShowFailure(kCouldNotWriteMessage, StripPath(outputName, kPathRules));
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
