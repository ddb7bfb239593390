#include "app/PuzzleFileDialog.h"

#include <string_view>

#include "platform/Selection.h"

namespace {

constexpr char kFilterSeparator = '|';

std::vector<std::pair<std::string, std::string>> ParseFilter(std::string_view filter) {
    std::vector<std::string> parts;
    while (!filter.empty()) {
        const std::size_t end = filter.find(kFilterSeparator);
        parts.emplace_back(filter.substr(0, end));
        filter.remove_prefix(end == std::string_view::npos ? filter.size() : end + 1);
    }
    std::vector<std::pair<std::string, std::string>> filters;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        filters.emplace_back(parts[i], parts[i + 1]);
    }
    return filters;
}

}  // namespace

CPuzzleFileDialog::CPuzzleFileDialog(unsigned flags, const char* filter, unsigned iconResource,
                                     const char* okCaption, const char* cancelCaption) {
    m_request.flags = flags;
    m_request.filters = ParseFilter(filter != nullptr ? filter : "");
    m_request.iconResource = iconResource;
    m_request.okCaption = okCaption != nullptr ? okCaption : "";
    m_request.cancelCaption = cancelCaption != nullptr ? cancelCaption : "";
}

EPickOutcome CPuzzleFileDialog::DoModal(CDesktop& desktop, std::vector<char>& buffer,
                                        std::vector<std::string>& paths) const {
    const EPickOutcome outcome = desktop.ShowOpenFileDialog(m_request, buffer);
    if (outcome == EPickOutcome::kConfirmed) {
        paths = UnpackSelection(buffer);
    }
    return outcome;
}
