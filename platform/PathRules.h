#pragma once

// How this platform spells the 8-bit paths it hands to the program.

// The one character that separates folders in a path.
extern const char kFolderSeparator;

// Every character after which a file name starts in a full path.
extern const char kNameSeparators[];

// Whether `byte` starts a double-byte character of the active code page.
bool IsLeadByte(unsigned char byte);
