#include "platform/Startup.h"

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <iostream>
#include <new>

#include "platform/posix/DescriptorInput.h"
#include "platform/posix/Modules.h"
#include "platform/posix/Notification.h"
#include "platform/posix/TerminalDesktop.h"

namespace {

constexpr char kNoDialogs[] = "cannot show the dialogs: ";
constexpr char kNoMemory[] = "too little memory";
constexpr char kNoDialogsSummary[] = "Quintar Puzzle Convertor cannot show its dialogs";

bool IsSet(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0';
}

}  // namespace

void PrepareProcess() {
    // A file-size limit or a closed pipe must fail the write, reported to the
    // user, rather than end the process with a half-written database.
    signal(SIGXFSZ, SIG_IGN);
    signal(SIGPIPE, SIG_IGN);
    // The time zone is read now, while descriptors are free: a conversion
    // that found none to read it with would stamp its database in UTC.
    tzset();
}

std::unique_ptr<CDesktop> ChooseDesktop() try {
    const bool terminal = isatty(STDIN_FILENO) != 0;
    // GTK and its libraries are loaded only where a display may open: they
    // would add some 70 libraries and 11 MB to every terminal run.
    if (IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY")) {
        std::string problem;
        if (std::unique_ptr<CDesktop> desktop = OpenGtkDesktop(problem)) {
            return desktop;
        }
        // Started from a menu, the terminal dialogue would read the end of
        // its input at once: the user would see nothing happen, and not why.
        if (!problem.empty()) {
            std::cerr << kErrorLinePrefix << kNoDialogs << problem << std::endl;
            if (!terminal) {
                ShowNotification(kNoDialogsSummary, problem);
            }
        }
    }
    static CDescriptorInput input(STDIN_FILENO);
    static std::istream in(&input);
    return std::make_unique<CTerminalDesktop>(in, std::cout, std::cerr, terminal);
} catch (const std::bad_alloc&) {
    std::cerr << kErrorLinePrefix << kNoDialogs << kNoMemory << std::endl;
    return nullptr;
}
