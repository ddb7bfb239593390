#pragma once

// How this platform spells the 8-bit paths it hands to the program.

// The one character that separates folders in a path.
extern const char kFolderSeparator;

// Every character after which a file name starts in a full path.
extern const char kNameSeparators[];

// Whether `byte` starts a double-byte character of the code page paths are in.
bool IsLeadByte(unsigned char byte);

// Whether `byte` starts a double-byte character of the code page file titles,
// and so database names, are in.
bool IsTitleLeadByte(unsigned char byte);
