// The terminal picker as a whole, fed typed lines: names resolved against
// folders, a folder line moving there, the selection packed into the 3072-
// character buffer. A confirmed pick always yields full paths of named files
// in one folder, and that folder is the working folder.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Desktop.h"
#include "platform/posix/TerminalDesktop.h"

namespace fs = std::filesystem;

namespace {

[[noreturn]] void Fail() {
    __builtin_trap();
}

// A folder of a few puzzles and a subfolder, where every run starts.
const fs::path& Sandbox() {
    static const fs::path folder = [] {
        const fs::path made =
            fs::temp_directory_path() / ("quintar-fuzz-" + std::to_string(getpid()));
        fs::create_directories(made / "sub");
        for (const char* name : {"a.puz", "b c.puz", "sub/d.puz"}) {
            std::ofstream(made / name) << name;
        }
        return fs::canonical(made);
    }();
    return folder;
}

void RemoveSandbox() {
    std::error_code error;
    fs::current_path(fs::temp_directory_path(), error);
    fs::remove_all(Sandbox(), error);
}

}  // namespace

// Registered once the folder is made, the removal runs before the folder's
// own name is destroyed at exit.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Sandbox();
    std::atexit(RemoveSandbox);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fs::current_path(Sandbox());
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::ostringstream out;
    CTerminalDesktop desktop(in, out, out, false);
    COpenFileDialogRequest request{"Title", {{"Across Lite (*.puz)", "*.puz"}}, 0, 0, "", ""};
    std::vector<char> selection(3072);
    if (desktop.ShowOpenFileDialog(request, selection) != EPickOutcome::kConfirmed) {
        return 0;
    }
    const std::vector<std::string> paths = UnpackSelection(selection);
    if (paths.empty()) {
        Fail();
    }
    const fs::path folder = fs::current_path();
    for (const std::string& path : paths) {
        const fs::path full(path);
        if (!full.is_absolute() || full.parent_path() != folder || !full.has_filename() ||
            full.filename() == "." || full.filename() == "..") {
            Fail();
        }
    }
    return 0;
}
