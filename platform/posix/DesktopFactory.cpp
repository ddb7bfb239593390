#include "platform/DesktopFactory.h"

#include <cstdlib>
#include <iostream>

#include "platform/posix/DesktopModule.h"
#include "platform/posix/TerminalDesktop.h"

namespace {

bool IsSet(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0';
}

}  // namespace

std::unique_ptr<CDesktop> CreateDesktop() {
    // GTK and its libraries are loaded only where a display may open: they
    // would add some 70 libraries and 11 MB to every terminal run.
    if (IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY")) {
        if (const CDesktopServices* module = LoadDesktopModule()) {
            if (std::unique_ptr<CDesktop> desktop = module->OpenGtkDesktop()) {
                return desktop;
            }
        }
    }
    return std::make_unique<CTerminalDesktop>(std::cin, std::cout);
}
