#include "platform/DesktopFactory.h"

#include <iostream>

#include "platform/posix/TerminalDesktop.h"

std::unique_ptr<CDesktop> CreateDesktop() {
    return std::make_unique<CTerminalDesktop>(std::cin, std::cout);
}
