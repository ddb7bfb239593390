#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/posix/PosixDesktop.h"

// The desktop as GTK 3 dialogs on a graphical display.
class CGtkDesktop : public CPosixDesktop {
    struct CDisplayOpened {};

public:
    // The GTK desktop when a display opens; null when none does.
    static std::unique_ptr<CGtkDesktop> Open();

    explicit CGtkDesktop(CDisplayOpened) {}

    EPickOutcome ShowOpenFileDialog(const COpenFileDialogRequest& request,
                                    std::vector<char>& selection) override;
    int ShowMessageBox(const std::string& text, const std::string& caption,
                       unsigned style) override;
};
