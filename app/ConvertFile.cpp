#include <cstdio>

#include "app/ConvertorApp.h"
#include "app/Messages.h"
#include "common/PathHelpers.h"
#include "platform/BufferedReader.h"
#include "platform/BufferedWriter.h"
#include "platform/Desktop.h"
#include "platform/File.h"
#include "streamdb/BlockArrayFill.h"
#include "streamdb/StreamBlockArray.h"

namespace {

constexpr char kDatabaseExtension[] = ".pdb";

}  // namespace

void CConvertorApp::ConvertFile(CFile& input) {
    const std::string inputName = input.GetFileName();
    CStreamBlockArray blocks;
    {
        CBufferedReader reader(input);
        switch (FillBlockArray(reader, blocks)) {
            case EFillResult::kReadFailed:
                ShowMessage(kCouldNotReadMessage + inputName, kMbOk | kMbIconStop);
                return;
            case EFillResult::kTooLarge:
                ShowMessage(kTooLargeMessage + inputName, kMbOk | kMbIconStop);
                return;
            case EFillResult::kFilled:
                break;
        }
    }

    const std::string outputName = StripExtension(inputName) + kDatabaseExtension;
    CFile output;
    if (!OpenOutputFile(output, outputName)) {
        return;
    }
    CBufferedWriter writer(output);
    blocks.WriteDatabase(writer);
    const std::string outputPath = output.GetFilePath();
    // A database that did not reach the disk whole is taken back, never
    // recorded: the handheld would reject it, or worse, read it wrong.
    if (!writer.Flush()) {
        output.Remove();
    } else if (!output.Close()) {
        std::remove(outputPath.c_str());
    } else {
        m_convertedFiles.push_back(outputPath);
        return;
    }
    ShowMessage(kCouldNotWriteMessage + StripPath(outputName), kMbOk | kMbIconStop);
}

bool CConvertorApp::OpenOutputFile(CFile& output, const std::string& name) {
    if (output.Open(name, CFile::EOpenMode::kWriteExisting)) {
        const std::string question =
            kOverwriteQuestionStart + output.GetFilePath() + kOverwriteQuestionEnd;
        if (ShowMessage(question, kMbYesNo | kMbIconQuestion) != kIdYes) {
            output.Close();
            return false;
        }
        if (output.Truncate()) {
            return true;
        }
        output.Close();
        ShowMessage(kCouldNotWriteMessage + StripPath(name), kMbOk | kMbIconStop);
        return false;
    }
    if (output.Open(name, CFile::EOpenMode::kCreateOrTruncate)) {
        return true;
    }
    ShowMessage(kCouldNotCreateMessage + StripPath(name), kMbOk | kMbIconStop);
    return false;
}
