#pragma once

#include "common/PathHelpers.h"

// How this platform spells the paths and names it hands to the program.

// The one character that separates folders in a path.
extern const char kFolderSeparator;

// The separators and the lead bytes the path helpers need.
extern const SPathRules kPathRules;

// Whether `byte` starts a double-byte character of the code page file titles,
// and so database names, are in.
bool IsTitleLeadByte(unsigned char byte);
