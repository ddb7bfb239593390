// The open-file dialog's selection buffer. Any buffer unpacks without
// reading past its end (the sanitizers watch); and a folder and names packed
// into a buffer, when they fit, unpack into exactly their full paths.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/PathRules.h"
#include "platform/Desktop.h"

namespace {

[[noreturn]] void Fail() {
    __builtin_trap();
}

std::string Joined(const std::string& folder, const std::string& name) {
    const bool ends = !folder.empty() && folder.back() == kFolderSeparator;
    return ends ? folder + name : folder + kFolderSeparator + name;
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
    std::vector<std::string> expected;
    for (const std::string& name : names) {
        expected.push_back(Joined(folder, name));
    }
    if (UnpackSelection(buffer) != expected) {
        Fail();
    }
    return 0;
}
