#include "platform/posix/SelectionLine.h"

namespace {

constexpr char kQuote = '"';

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

std::vector<std::string> SplitSelectionLine(std::string_view line) {
    std::vector<std::string> names;
    std::string name;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == kQuote && quoted && i + 1 < line.size() && line[i + 1] == kQuote) {
            name += kQuote;
            ++i;
        } else if (c == kQuote) {
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
