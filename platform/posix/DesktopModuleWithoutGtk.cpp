#include "platform/posix/DesktopModule.h"

// Built without GTK and GIO there is no desktop module: the terminal dialogue
// serves, and no program is ever found to hand the databases to.
const CDesktopServices* LoadDesktopModule() {
    return nullptr;
}
