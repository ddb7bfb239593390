#include "platform/File.h"

#include <algorithm>

#include "common/PathHelpers.h"
#include "common/Utf8.h"
#include "platform/PathRules.h"

namespace {

// The longest name a folder holds, in the file system's units.
constexpr std::size_t kLongestFileName = 255;
constexpr char kHiddenMark[] = ".";

}  // namespace

bool CFile::Open(const std::string& name, EOpenMode mode) {
    Close();
    // Named before the file is held: nothing may fail once it is.
    std::string path = MakeFullPath(name);
    const std::intptr_t handle = OpenHandle(name, path, mode);
    if (handle == kNoHandle) {
        return false;
    }
    if (!ReadStamp(handle, m_opened)) {
        CloseHandle(handle);
        return false;
    }
    m_state = EState::kOpen;
    m_handle = handle;
    m_path.swap(path);
    return true;
}

bool CFile::Close() {
    if (!IsOpen()) {
        return true;
    }
    if (m_state != EState::kOpen) {
        Discard();
    }
    m_state = EState::kClosed;
    const std::intptr_t handle = std::exchange(m_handle, kNoHandle);
    return CloseHandle(handle);
}

bool CFile::IsUnchanged() const {
    CStamp now;
    return IsOpen() && ReadStamp(m_handle, now) && now == m_opened;
}

std::string CFile::GetFileName() const {
    return GetNamePart(m_path, kPathRules);
}

std::string CFile::MakeAsideName(std::string_view name, std::string_view mark, bool inUtf16Units) {
    const std::size_t marksLength = sizeof kHiddenMark - 1 + mark.size();
    const std::size_t room = kLongestFileName - std::min(kLongestFileName, marksLength);
    std::size_t used = 0;
    std::size_t kept = 0;
    while (kept < name.size()) {
        const SUtf8Character character = DecodeUtf8(name.substr(kept));
        used += inUtf16Units ? CountUtf16Units(character) : character.length;
        if (used > room) {
            break;
        }
        kept += character.length;
    }
    return kHiddenMark + std::string(name.substr(0, kept)) + std::string(mark);
}
