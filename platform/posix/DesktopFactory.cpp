#include "platform/DesktopFactory.h"

#include <iostream>

#include "platform/posix/TerminalDesktop.h"
#ifdef QUINTAR_HAVE_GTK
#include "platform/posix/GtkDesktop.h"
#endif

std::unique_ptr<CDesktop> CreateDesktop() {
#ifdef QUINTAR_HAVE_GTK
    if (std::unique_ptr<CDesktop> desktop = CGtkDesktop::Open()) {
        return desktop;
    }
#endif
    return std::make_unique<CTerminalDesktop>(std::cin, std::cout);
}
