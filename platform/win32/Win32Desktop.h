#pragma once

#include <string>
#include <vector>

#include "platform/Desktop.h"

// The Windows desktop: the common open-file dialog with the picker's icon and
// captions on its frame, message boxes without an owner, and the shell's file
// associations.
class CWin32Desktop : public CDesktop {
public:
    EPickOutcome ShowOpenFileDialog(const COpenFileDialogRequest& request,
                                    std::vector<char>& selection) override;
    int ShowMessageBox(const std::string& text, const std::string& caption,
                       unsigned style) override;
    std::string FindAssociatedProgram(const std::string& file) override;
    void StartProgram(const std::string& program, const std::vector<std::string>& files) override;

    // The parameters a started program gets for `files`: each path in double
    // quotes, as it stands, one space between two of them.
    static std::string MakeParameterText(const std::vector<std::string>& files);
};
