#pragma once

#include <string>
#include <vector>

#include "platform/Desktop.h"
#include "platform/posix/FreedesktopLauncher.h"

// What every desktop on this platform shares: other programs are found and
// started through the freedesktop associations, whoever shows the dialogs.
class CPosixDesktop : public CDesktop {
public:
    // The full path of the program's desktop entry; empty when there is none.
    std::string FindAssociatedProgram(const std::string& file) override {
        return FindDefaultApplication(file);
    }
    void StartProgram(const std::string& program, const std::vector<std::string>& files) override {
        LaunchApplication(program, files);
    }
};
