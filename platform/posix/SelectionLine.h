#pragma once

#include <string>
#include <string_view>
#include <vector>

// Splits a line typed at the terminal picker into file names. Blanks separate
// names; double quotes keep blanks inside a name and are not part of it, and
// inside them a doubled quote stands for one; an unclosed quote runs to the
// end of the line. Empty names are dropped.
std::vector<std::string> SplitSelectionLine(std::string_view line);
