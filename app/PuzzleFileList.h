#pragma once

#include <cstddef>
#include <string>
#include <vector>

class CDesktop;

// The full paths chosen in one pick, in the order the dialog gave them.
class CPuzzleFileList {
public:
    static constexpr std::size_t kSelectionBufferSize = 3072;
    static constexpr unsigned kIconResource = 128;

    // Shows the picker once and refills the list; true when the user
    // confirmed a selection. A selection too long for the buffer is reported.
    bool PickFiles(CDesktop& desktop, const std::string& title);

    const std::vector<std::string>& GetPaths() const { return m_paths; }
    // For each path, by position, its name as the picker showed it where the
    // path's spelling lost characters; empty otherwise (CDesktop::GetShownNames).
    const std::vector<std::string>& GetShownNames() const { return m_shownNames; }

private:
    std::vector<std::string> m_paths;
    std::vector<std::string> m_shownNames;
};
