#pragma once

#include <string>

class CFile;

// The longest database name; the 32-byte name field ends in a zero.
constexpr std::size_t kMaxNameLength = 31;

// The name a database written to `file` goes by on the handheld: the file's
// display title without extension, cut to kMaxNameLength bytes.
std::string MakeDatabaseName(const CFile& file);
