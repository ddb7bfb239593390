#pragma once

#include <cstdint>
#include <string>

#include "platform/File.h"

// What each platform's CFile is made of: the system's handles and names.

constexpr std::intptr_t kNoFileHandle = -1;

// A handle on the regular file `name`, held without sharing; kNoFileHandle
// when it cannot be opened so.
std::intptr_t OpenFileHandle(const std::string& name, CFile::EOpenMode mode);
// False when the system reports that written data was lost.
bool CloseFileHandle(std::intptr_t handle);
// The full path of a file opened by `name`; `name` itself when none can be formed.
std::string MakeFullPath(const std::string& name);
