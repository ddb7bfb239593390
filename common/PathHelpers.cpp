#include "common/PathHelpers.h"

namespace {

std::string AfterLastOf(std::string_view text, std::string_view chars, LeadByteTest isLeadByte) {
    const std::size_t last = FindLastOf(text, chars, isLeadByte);
    return std::string(last == std::string_view::npos ? text : text.substr(last + 1));
}

}  // namespace

std::size_t FindLastOf(std::string_view text, std::string_view chars, LeadByteTest isLeadByte) {
    std::size_t found = std::string_view::npos;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (chars.find(text[i]) != std::string_view::npos) {
            found = i;
        } else if (isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) {
            ++i;
        }
    }
    return found;
}

std::string StripPath(std::string_view path, const SPathRules& rules) {
    return AfterLastOf(path, std::string_view(&rules.folderSeparator, 1), rules.isLeadByte);
}

std::string StripExtension(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    return std::string(dot == std::string_view::npos ? name : name.substr(0, dot));
}

std::string GetNamePart(std::string_view path, const SPathRules& rules) {
    return AfterLastOf(path, rules.nameEnders, rules.isLeadByte);
}
