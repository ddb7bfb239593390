#include "app/ConvertorApp.h"

#include <new>

#include "app/Messages.h"
#include "app/PuzzleFileList.h"
#include "common/PathHelpers.h"
#include "platform/Desktop.h"
#include "platform/File.h"
#include "platform/PathRules.h"

CConvertorApp::CConvertorApp(CDesktop& desktop) : m_desktop(desktop) {
    m_codePage.Open(GetDatabaseCodePage());
}

int CConvertorApp::ShowMessage(const CMessageText& text, unsigned style) {
    return m_desktop.ShowMessageBox(text, m_title, style);
}

void CConvertorApp::ShowFailure(const char* text, const std::string& name,
                                const std::string& shownName) {
    try {
        CMessageText message(text, name);
        message.shownName = shownName;
        ShowMessage(message, kMbOk | kMbIconStop);
    } catch (const std::bad_alloc&) {
        // Not even the message fits in memory: the run goes on without it.
    }
}

bool CConvertorApp::RunConverter() {
    m_convertedFiles.clear();
    // Memory running out ends the step it happens in: a pick ends the run, a
    // conversion ends alone (ConvertPath), the install question is not asked.
    try {
        m_title = kApplicationTitle;
        CPuzzleFileList selection;
        while (selection.PickFiles(m_desktop, m_title)) {
            bool batchComplete = false;
            const std::vector<std::string>& paths = selection.GetPaths();
            for (std::size_t i = 0; i < paths.size(); ++i) {
                if (!ConvertPath(paths[i], selection.GetShownNames()[i])) {
                    batchComplete = false;
                    break;
                }
                batchComplete = true;
            }
            AskToInstall();
            if (batchComplete) {
                break;
            }
        }
    } catch (const std::bad_alloc&) {
    }
    return true;
}

bool CConvertorApp::ConvertPath(const std::string& path, const std::string& shownName) {
    // Memory running out ends this conversion alone, with its message; the
    // output, if any, was taken back as the error left its scope.
    m_outOfMemory = {kTooLargeMessage, std::string()};
    try {
        // The picker left its folder as the working folder; any folder part of
        // the path is not used.
        m_outOfMemory.name = StripPath(path, kPathRules);
        CFile input;
        if (!input.Open(m_outOfMemory.name, CFile::EOpenMode::kReadExisting)) {
            ShowFailure(kCouldNotOpenMessage, m_outOfMemory.name, shownName);
            return false;
        }
        ConvertFile(input);
    } catch (const std::bad_alloc&) {
        if (!m_outOfMemory.name.empty()) {
            ShowFailure(m_outOfMemory.text, m_outOfMemory.name);
        }
    }
    return true;
}

void CConvertorApp::AskToInstall() {
    try {
        if (!m_convertedFiles.empty() &&
            ShowMessage(kInstallQuestion, kMbYesNo | kMbIconInformation) == kIdYes) {
            InstallToHandheld();
        }
    } catch (const std::bad_alloc&) {
    }
}

void CConvertorApp::InstallToHandheld() {
    if (m_convertedFiles.empty()) {
        return;
    }
    // The first database's association decides for all of them.
    const std::string program = m_desktop.FindAssociatedProgram(m_convertedFiles.front());
    if (program.empty()) {
        return;
    }
    m_desktop.StartProgram(program, m_convertedFiles);
}
