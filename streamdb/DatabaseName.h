#pragma once

#include <string>

#include "common/HandheldName.h"

class CFile;

// The name a database written to `file` goes by on the handheld: the file's
// display title, or its name where the desktop shows none, as
// MakeHandheldName makes it in the code page `codePage` writes.
std::string MakeDatabaseName(const CFile& file, const CCharacterEncoder& codePage);

// The same in this machine's database code page.
std::string MakeDatabaseName(const CFile& file);
