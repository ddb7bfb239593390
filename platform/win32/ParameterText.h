#pragma once

#include <string>
#include <vector>

// The parameters a started program gets for `files`: each path in double
// quotes, as it stands, one space between two of them.
std::string MakeParameterText(const std::vector<std::string>& files);
