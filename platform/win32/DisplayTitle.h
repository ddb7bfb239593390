#pragma once

#include <string>

// The name the desktop shows for the file at `path` (without its extension
// when Explorer hides extensions); empty when it gives none.
std::string GetDisplayTitle(const std::string& path);
