// Stands in for the handheld installer in the tests: writes the command line
// it was started with to the file QUINTAR_PROBE_RECORD names, and ends.
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
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
