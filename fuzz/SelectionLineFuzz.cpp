// The line typed at the terminal picker. Any line splits without fault; and
// names quoted as the picker documents (in double quotes, a quote doubled)
// and joined by blanks split back into exactly those names.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/TerminalDesktop.h"

namespace {

std::string Quoted(const std::string& name) {
    std::string quoted = "\"";
    for (const char c : name) {
        quoted += c;
        if (c == '"') {
            quoted += c;
        }
    }
    return quoted + '"';
}

[[noreturn]] void Fail() {
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    for (const std::string& name : CTerminalDesktop::SplitSelectionLine(line)) {
        if (name.empty()) {
            Fail();
        }
    }

    // The same bytes as names: cut at each zero byte, empty ones left out.
    std::vector<std::string> names;
    std::string joined;
    for (std::size_t start = 0; start <= size;) {
        const std::size_t end = std::min(line.find('\0', start), size);
        if (end > start) {
            names.emplace_back(line.substr(start, end - start));
            joined += (joined.empty() ? "" : " ") + Quoted(names.back());
        }
        start = end + 1;
    }
    if (CTerminalDesktop::SplitSelectionLine(joined) != names) {
        Fail();
    }
    return 0;
}
