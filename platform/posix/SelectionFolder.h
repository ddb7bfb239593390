#pragma once

#include <string>
#include <vector>

// Splits full paths into their one common folder and their names, in order,
// as the selection buffer holds them. False when there are none, when a path
// names no file, or when the paths lie in more than one folder.
bool SplitByFolder(const std::vector<std::string>& paths, std::string& folder,
                   std::vector<std::string>& names);
