#ifdef _WIN32
#include <windows.h>
#endif

#include "app/ConvertorApp.h"
#include "platform/Startup.h"

namespace {

int RunProgram() {
    PrepareProcess();
    const std::unique_ptr<CDesktop> desktop = ChooseDesktop();
    if (desktop) {
        CConvertorApp app(*desktop);
        app.RunConverter();
    }
    // Nothing of the run is reported through the exit status.
    return 0;
}

}  // namespace

#ifdef _WIN32
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return RunProgram();
}
#else
int main() {
    return RunProgram();
}
#endif
