#pragma once

#include <string>

// The full path of a file just opened by `name`: the name completed with the
// working folder, upper-cased on a volume that does not preserve case, its
// name part as stored in the folder on a volume without Unicode names; `name`
// itself when no full path can be formed.
std::string MakeFullPath(const std::string& name);
