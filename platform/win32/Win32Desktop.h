#pragma once

#include <string>
#include <vector>

#include "platform/Desktop.h"

// The Windows desktop: the common open-file dialog with the picker's icon and
// captions on its frame, message boxes without an owner, and the shell's file
// associations. The dialog is the wide one, its selection handed on in the
// ANSI code page (UTF-8 where the manifest's code page is in force); where
// that code page cannot hold a name, a folder is set by its wide name, and a
// file name arrives as one no file has, its wide name kept for the messages
// that name it.
class CWin32Desktop : public CDesktop {
public:
    EPickOutcome ShowOpenFileDialog(const COpenFileDialogRequest& request,
                                    std::vector<char>& selection) override;
    std::vector<std::string> GetShownNames() const override { return m_shownNames; }
    int ShowMessageBox(const CMessageText& text, const std::string& caption,
                       unsigned style) override;
    std::string FindAssociatedProgram(const std::string& file) override;
    void StartProgram(const std::string& program, const std::vector<std::string>& files) override;

private:
    std::vector<std::string> m_shownNames;
};
