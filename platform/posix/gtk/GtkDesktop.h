#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Desktop.h"
#include "platform/posix/ModuleInterface.h"

// The desktop as GTK 3 dialogs on a graphical display. The end of a pick,
// filter matching and the hand-off are the program's, reached through
// `program`, which outlives the desktop.
class CGtkDesktop : public CDesktop {
    struct CDisplayOpened {};

public:
    // The GTK desktop when a display opens; null when none does.
    static std::unique_ptr<CGtkDesktop> Open(const CProgramServices& program);

    CGtkDesktop(CDisplayOpened, const CProgramServices& program) : m_program(program) {}

    EPickOutcome ShowOpenFileDialog(const COpenFileDialogRequest& request,
                                    std::vector<char>& selection) override;
    int ShowMessageBox(const CMessageText& text, const std::string& caption,
                       unsigned style) override;
    std::string FindAssociatedProgram(const std::string& file) override;
    void StartProgram(const std::string& program, const std::vector<std::string>& files) override;

private:
    // The words as they stand, the name as every desktop escapes it.
    std::string ShowText(const CMessageText& text) const;

    const CProgramServices& m_program;
};
