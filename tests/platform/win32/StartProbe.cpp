// Stands in for the handheld installer in the tests: writes the command line
// it was started with to the file QUINTAR_PROBE_RECORD names, and ends.
// With --exit-picker PROGRAM it plays the user of a program it starts: waits
// for its picker, presses Exit, and ends with 0 once the program ended with
// 0; otherwise it ends the program and fails, never waiting past kPatience.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <utility>

namespace {

// How long a busy machine may take to show the picker, and to end the program.
constexpr DWORD kPatience = 120000;

bool HasText(HWND window, const wchar_t* text) {
    wchar_t shown[64] = L"";
    GetWindowTextW(window, shown, 64);
    return std::wcscmp(shown, text) == 0;
}

// The picker of the process `data` points to, once it shows, in `data`.
BOOL CALLBACK FindPicker(HWND window, LPARAM data) {
    auto* found = reinterpret_cast<std::pair<DWORD, HWND>*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != found->first || !IsWindowVisible(window) ||
        !HasText(window, L"Quintar Puzzle Convertor") ||
        !HasText(GetDlgItem(window, IDOK), L"Convert") ||
        !HasText(GetDlgItem(window, IDCANCEL), L"Exit")) {
        return TRUE;
    }
    found->second = window;
    return FALSE;
}

int ExitPicker(const char* program) {
    std::string command = std::string("\"") + program + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(program, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
        std::printf("FAIL: %s does not start\n", program);
        return 1;
    }
    std::pair<DWORD, HWND> picker(started.dwProcessId, nullptr);
    const ULONGLONG deadline = GetTickCount64() + kPatience;
    while (picker.second == nullptr && GetTickCount64() < deadline &&
           WaitForSingleObject(started.hProcess, 100) == WAIT_TIMEOUT) {
        EnumWindows(FindPicker, reinterpret_cast<LPARAM>(&picker));
    }
    if (picker.second != nullptr) {
        PostMessageW(picker.second, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(picker.second, IDCANCEL)));
    } else {
        TerminateProcess(started.hProcess, 1);
    }
    DWORD status = 1;
    if (WaitForSingleObject(started.hProcess, kPatience) != WAIT_OBJECT_0) {
        TerminateProcess(started.hProcess, 1);
    }
    GetExitCodeProcess(started.hProcess, &status);
    std::printf("%s: %s, exit status %lu\n", program,
                picker.second != nullptr ? "picker with Convert and Exit shown" : "no picker",
                status);
    return picker.second != nullptr && status == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--exit-picker") == 0) {
        return ExitPicker(argv[2]);
    }
    char record[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("QUINTAR_PROBE_RECORD", record, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return 1;
    }
    // Written aside and renamed, so the test never reads half a record.
    const std::string partial = std::string(record) + ".partial";
    std::FILE* out = std::fopen(partial.c_str(), "wb");
    if (out == nullptr) {
        return 1;
    }
    const bool written = std::fputs(GetCommandLineA(), out) >= 0;
    if (std::fclose(out) != 0 || !written) {
        return 1;
    }
    return MoveFileA(partial.c_str(), record) ? 0 : 1;
}
