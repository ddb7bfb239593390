// The open-file dialog's selection buffer. Any buffer unpacks without
// reading past its end (the sanitizers watch); and a folder and names packed
// into a buffer, when they fit, unpack into one path for each name, in
// order, each the folder's and ending in its name.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/PathHelpers.h"
#include "platform/Desktop.h"
#include "platform/PathRules.h"

namespace {

[[noreturn]] void Fail() {
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<char> raw(data, data + size);
    UnpackSelection(raw);

    // The first byte sizes the buffer; the rest, cut at zero bytes, is a
    // folder followed by names.
    if (size == 0) {
        return 0;
    }
    std::vector<char> buffer(data[0] * 16u);
    std::vector<std::string> parts;
    std::string part;
    for (std::size_t i = 1; i < size; ++i) {
        if (data[i] == 0) {
            parts.push_back(part);
            part.clear();
        } else {
            part += static_cast<char>(data[i]);
        }
    }
    parts.push_back(part);
    const std::string folder = parts.front();
    std::vector<std::string> names(parts.begin() + 1, parts.end());
    for (const std::string& name : names) {
        // The dialog never gives an empty name, nor a folder part in a name.
        if (name.empty() || name.find(kFolderSeparator) != std::string::npos) {
            return 0;
        }
    }
    if (folder.empty() || !PackSelection(folder, names, buffer)) {
        return 0;
    }
    const std::vector<std::string> paths = UnpackSelection(buffer);
    if (paths.size() != names.size()) {
        Fail();
    }
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (paths[i].compare(0, folder.size(), folder) != 0 ||
            StripPath(paths[i], kPathRules) != names[i]) {
            Fail();
        }
    }
    return 0;
}
