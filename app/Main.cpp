#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdio>
#include <new>

#include "app/ConvertorApp.h"
#include "platform/Desktop.h"

namespace {

int RunProgram() {
    try {
        PrepareProcess();
        const std::unique_ptr<CDesktop> desktop = ChooseDesktop();
        CConvertorApp app(*desktop);
        app.RunConverter();
    } catch (const std::bad_alloc&) {
        // Before the first dialog or between two: no conversion is under way.
        std::fputs("quintar-convertor: out of memory\n", stderr);
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
