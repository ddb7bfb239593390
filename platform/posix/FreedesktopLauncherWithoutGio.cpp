#include "platform/posix/FreedesktopLauncher.h"

// Built without GIO, this program cannot read the MIME database, so it knows
// no program for any file and never has one to start.

std::string FindDefaultApplication(const std::string&) {
    return {};
}

void LaunchApplication(const std::string&, const std::vector<std::string>&) {}
