#include "platform/SelectionBuffer.h"

#include <algorithm>
#include <cstring>

#include "common/PathHelpers.h"
#include "platform/PathRules.h"

namespace {

std::string JoinFolder(const std::string& folder, const std::string& name) {
    // A root folder already ends in its separator.
    std::size_t last = FindLastOf(folder, std::string_view(&kFolderSeparator, 1), IsLeadByte);
    if (last == std::string::npos) {
        last = FindLastOf(folder, "/", IsLeadByte);
    }
    if (last != std::string::npos && last + 1 == folder.size()) {
        return folder + name;
    }
    return folder + kFolderSeparator + name;
}

}  // namespace

bool PackSelection(const std::string& folder, const std::vector<std::string>& names,
                   std::vector<char>& buffer) {
    std::vector<std::string> items;
    if (names.size() == 1) {
        items.push_back(JoinFolder(folder, names.front()));
    } else {
        items.push_back(folder);
        items.insert(items.end(), names.begin(), names.end());
    }
    std::size_t needed = 1;  // the zero that ends the list
    for (const std::string& item : items) {
        needed += item.size() + 1;
    }
    if (names.empty() || needed > buffer.size() + (names.size() == 1 ? 1 : 0)) {
        return false;
    }
    std::fill(buffer.begin(), buffer.end(), '\0');
    std::size_t at = 0;
    for (const std::string& item : items) {
        std::memcpy(buffer.data() + at, item.data(), item.size());
        at += item.size() + 1;
    }
    return true;
}

std::vector<std::string> UnpackSelection(const std::vector<char>& buffer) {
    std::vector<std::string> items;
    auto at = buffer.begin();
    while (at != buffer.end() && *at != '\0') {
        const auto end = std::find(at, buffer.end(), '\0');
        items.emplace_back(at, end);
        at = end == buffer.end() ? end : end + 1;
    }
    if (items.size() <= 1) {
        return items;
    }
    std::vector<std::string> paths;
    for (auto name = items.begin() + 1; name != items.end(); ++name) {
        paths.push_back(JoinFolder(items.front(), *name));
    }
    return paths;
}
