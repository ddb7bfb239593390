#include "app/ConvertorApp.h"

#include "app/Messages.h"
#include "app/PuzzleFileList.h"
#include "common/PathHelpers.h"
#include "platform/Desktop.h"
#include "platform/File.h"
#include "platform/PathRules.h"

CConvertorApp::CConvertorApp(CDesktop& desktop) : m_desktop(desktop) {}

int CConvertorApp::ShowMessage(const std::string& text, unsigned style) {
    return m_desktop.ShowMessageBox(text, m_title, style);
}

bool CConvertorApp::RunConverter() {
    m_title = kApplicationTitle;
    m_convertedFiles.clear();
    CPuzzleFileList selection;
    while (selection.PickFiles(m_desktop, m_title)) {
        bool batchComplete = false;
        for (const std::string& path : selection.GetPaths()) {
            // The picker left its folder as the working folder; any folder
            // part of the path is not used.
            const std::string bareName = StripPath(path, kPathRules);
            CFile input;
            if (!input.Open(bareName, CFile::EOpenMode::kReadExisting)) {
                ShowMessage(kCouldNotOpenMessage + bareName, kMbOk | kMbIconStop);
                batchComplete = false;
                break;
            }
            ConvertFile(input);
            input.Close();
            batchComplete = true;
        }
        if (!m_convertedFiles.empty() &&
            ShowMessage(kInstallQuestion, kMbYesNo | kMbIconInformation) == kIdYes) {
            InstallToHandheld();
        }
        if (batchComplete) {
            break;
        }
    }
    return true;
}
