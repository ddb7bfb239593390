#include "platform/File.h"

#include "common/PathHelpers.h"
#include "platform/FileHandles.h"
#include "platform/PathRules.h"

CFile::~CFile() {
    Close();
}

void CFile::Swap(CFile& other) noexcept {
    std::swap(m_handle, other.m_handle);
    std::swap(m_path, other.m_path);
    std::swap(m_opened, other.m_opened);
    std::swap(m_unfinishedPath, other.m_unfinishedPath);
    std::swap(m_replacedHandle, other.m_replacedHandle);
    std::swap(m_backupPath, other.m_backupPath);
}

bool CFile::Open(const std::string& name, EOpenMode mode) {
    Close();
    // Named before the file is held: nothing may fail once it is.
    std::string path = MakeFullPath(name);
    const std::intptr_t handle = OpenFileHandle(name, mode);
    if (handle == kNoHandle) {
        return false;
    }
    if (!ReadStamp(handle, m_opened)) {
        CloseFileHandle(handle);
        return false;
    }
    m_handle = handle;
    m_path.swap(path);
    return true;
}

bool CFile::Close() {
    if (!IsOpen()) {
        return true;
    }
    if (!m_unfinishedPath.empty() || !m_backupPath.empty()) {
        Discard();
    }
    const std::intptr_t handle = m_handle;
    m_handle = kNoHandle;
    return CloseFileHandle(handle);
}

bool CFile::IsUnchanged() const {
    CStamp now;
    return IsOpen() && ReadStamp(m_handle, now) && now == m_opened;
}

std::string CFile::GetFileName() const {
    return GetNamePart(m_path, kPathRules);
}
