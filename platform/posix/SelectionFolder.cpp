#include "platform/posix/SelectionFolder.h"

bool SplitByFolder(const std::vector<std::string>& paths, std::string& folder,
                   std::vector<std::string>& names) {
    folder.clear();
    names.clear();
    for (const std::string& path : paths) {
        const std::size_t slash = path.rfind('/');
        if (slash == std::string::npos || slash + 1 == path.size()) {
            return false;
        }
        const std::string pathFolder = slash == 0 ? "/" : path.substr(0, slash);
        if (!names.empty() && pathFolder != folder) {
            return false;
        }
        folder = pathFolder;
        names.push_back(path.substr(slash + 1));
    }
    return !names.empty();
}
