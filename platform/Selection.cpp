#include "platform/Desktop.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <utility>

#include "common/PathHelpers.h"
#include "common/Utf8.h"
#include "platform/File.h"
#include "platform/PathRules.h"

namespace {

constexpr char kPatternSeparator = ';';

std::size_t FindLastSeparator(std::string_view path) {
    std::size_t last =
        FindLastOf(path, std::string_view(&kFolderSeparator, 1), kPathRules.isLeadByte);
    if (last == std::string::npos) {
        last = FindLastOf(path, "/", kPathRules.isLeadByte);
    }
    return last;
}

std::string JoinFolder(const std::string& folder, const std::string& name) {
    // A root folder already ends in its separator.
    const std::size_t last = FindLastSeparator(folder);
    if (last != std::string::npos && last + 1 == folder.size()) {
        return folder + name;
    }
    return folder + kFolderSeparator + name;
}

// The folder part of a full path whose last separator is at `separator`; a
// root keeps its separator ("/", "C:\").
std::string FolderOf(const std::string& path, std::size_t separator) {
    const bool root = separator == 0 || path[separator - 1] == ':';
    return path.substr(0, root ? separator + 1 : separator);
}

bool SameLetter(char one, char other) {
    return std::tolower(static_cast<unsigned char>(one)) ==
           std::tolower(static_cast<unsigned char>(other));
}

bool MatchesPattern(std::string_view name, std::string_view pattern) {
    if (!name.empty() && name.front() == '.' && !pattern.empty() && pattern.front() != '.') {
        return false;
    }
    // Greedy matching with one step back to the last '*'.
    std::size_t at = 0;
    std::size_t next = 0;
    std::size_t star = std::string_view::npos;
    std::size_t resume = 0;
    while (at < name.size()) {
        if (next < pattern.size() &&
            (pattern[next] == '?' ||
             (pattern[next] != '*' && SameLetter(pattern[next], name[at])))) {
            ++at;
            ++next;
        } else if (next < pattern.size() && pattern[next] == '*') {
            star = next++;
            resume = at;
        } else if (star != std::string_view::npos) {
            next = star + 1;
            at = ++resume;
        } else {
            return false;
        }
    }
    while (next < pattern.size() && pattern[next] == '*') {
        ++next;
    }
    return next == pattern.size();
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
    // Counted in characters, as the wide dialog counts them; a lone path
    // may end the buffer without the zero that closes a list.
    const std::size_t unclosed = names.size() == 1 ? 1 : 0;
    std::size_t characters = 1;  // the zero that closes the list
    std::size_t bytes = 1;
    for (const std::string& item : items) {
        characters += CountCharacters(item) + 1;
        bytes += item.size() + 1;
    }
    if (names.empty() || characters > buffer.size() + unclosed) {
        return false;
    }
    buffer.assign(std::max(buffer.size(), bytes - unclosed), '\0');
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

std::optional<EPickOutcome> FinishPick(const std::vector<std::string>& paths,
                                       std::vector<char>& selection, CMessageText& problem,
                                       const FolderSetter& setFolder) {
    problem = CMessageText("");
    std::string folder;
    std::vector<std::string> names;
    for (const std::string& path : paths) {
        const std::size_t separator = FindLastSeparator(path);
        // Recent files and search results can mix folders; the run opens
        // bare names in one working folder.
        if (separator == std::string::npos || separator + 1 == path.size() ||
            (!names.empty() && FolderOf(path, separator) != folder)) {
            problem = kSeveralFoldersMessage;
            return std::nullopt;
        }
        folder = FolderOf(path, separator);
        names.push_back(path.substr(separator + 1));
    }
    if (names.empty()) {
        return std::nullopt;
    }
    // Packed aside: a picker that stays open keeps its buffer as it was.
    std::vector<char> packed = selection;
    if (!PackSelection(folder, names, packed)) {
        return EPickOutcome::kBufferTooSmall;
    }
    if (!setFolder(folder)) {
        problem = CMessageText(kFolderClosedMessage, folder);
        return std::nullopt;
    }
    selection = std::move(packed);
    return EPickOutcome::kConfirmed;
}

bool MatchesFilter(std::string_view name, std::string_view patterns) {
    while (!patterns.empty()) {
        const std::size_t end = std::min(patterns.find(kPatternSeparator), patterns.size());
        std::string_view pattern = patterns.substr(0, end);
        while (!pattern.empty() && pattern.front() == ' ') {
            pattern.remove_prefix(1);
        }
        if (!pattern.empty() && MatchesPattern(name, pattern)) {
            return true;
        }
        patterns.remove_prefix(std::min(end + 1, patterns.size()));
    }
    return false;
}

std::string EscapeName(std::string_view name) {
    constexpr char32_t kFirstPrintable = 0x20;
    constexpr char32_t kDelete = 0x7F;
    constexpr char32_t kLastControl = 0x9F;
    constexpr char32_t kLineSeparator = 0x2028;
    constexpr char32_t kParagraphSeparator = 0x2029;
    std::string shown;
    for (std::size_t at = 0; at < name.size();) {
        const SUtf8Character character = DecodeUtf8(name.substr(at));
        const char32_t code = character.codePoint;
        const bool control = code < kFirstPrintable || (code >= kDelete && code <= kLastControl) ||
                             code == kLineSeparator || code == kParagraphSeparator;
        if (character.valid && !control) {
            shown.append(name.substr(at, character.length));
        } else {
            for (const char byte : name.substr(at, character.length)) {
                char escaped[sizeof "\\xHH"];
                std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(byte));
                shown += escaped;
            }
        }
        at += character.length;
    }
    return shown;
}

std::string ShowText(const CMessageText& text) {
    return text.before + EscapeName(text.name) + text.after;
}
