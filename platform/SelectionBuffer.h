#pragma once

#include <string>
#include <vector>

// The open-file dialog's selection buffer: one full path, or a folder
// followed by names, each ending in a zero character, the last followed by a
// second zero.

// Writes `names` in `folder` into `buffer`, whose size is its capacity.
// False, with the buffer untouched, when they do not fit.
bool PackSelection(const std::string& folder, const std::vector<std::string>& names,
                   std::vector<char>& buffer);

// The full paths a buffer holds, in order; nothing is read past its end.
std::vector<std::string> UnpackSelection(const std::vector<char>& buffer);
