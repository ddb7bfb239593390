#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// How a file system measures a name against kLongestFileName.
enum class ENameUnit {
    kByte,       // Linux
    kUtf16Unit,  // Windows
};

// The longest name a folder holds, in the file system's units.
constexpr std::size_t kLongestFileName = 255;

// The start of the name under which a file that is to be called `name`
// (UTF-8) is written until it is complete: hidden, beside it, and naming it,
// so that a user who finds one left by a crash knows what it is. The
// platform adds a unique ending of `endingLength` units; for the whole name
// to fit, `name` is cut before the character that would pass the limit.
std::string MakeUnfinishedName(std::string_view name, std::size_t endingLength, ENameUnit unit);

// The same for the copy of a file's old bytes that is kept while the file is
// written over in place.
std::string MakeBackupName(std::string_view name, std::size_t endingLength, ENameUnit unit);
