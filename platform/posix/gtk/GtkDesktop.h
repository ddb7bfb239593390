#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Desktop.h"

// The desktop as GTK 3 dialogs on a graphical display; other programs are
// found and started through the launcher module.
class CGtkDesktop : public CDesktop {
    struct CDisplayOpened {};

public:
    // The GTK desktop when a display opens; null when none does.
    static std::unique_ptr<CGtkDesktop> Open();

    explicit CGtkDesktop(CDisplayOpened) {}

    EPickOutcome ShowOpenFileDialog(const COpenFileDialogRequest& request,
                                    std::vector<char>& selection) override;
    int ShowMessageBox(const std::string& text, const std::string& caption,
                       unsigned style) override;
    std::string FindAssociatedProgram(const std::string& file) override;
    void StartProgram(const std::string& program, const std::vector<std::string>& files) override;
};
