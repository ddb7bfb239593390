#include "platform/posix/SelectionLine.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

std::vector<std::string> SplitSelectionLine(std::string_view line) {
    std::vector<std::string> names;
    std::string name;
    bool quoted = false;
    for (const char c : line) {
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && IsBlank(c)) {
            if (!name.empty()) {
                names.push_back(std::move(name));
                name.clear();
            }
        } else {
            name += c;
        }
    }
    if (!name.empty()) {
        names.push_back(std::move(name));
    }
    return names;
}
