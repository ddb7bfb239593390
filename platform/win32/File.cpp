#include "platform/File.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "common/PathHelpers.h"
#include "platform/win32/DisplayTitle.h"
#include "platform/win32/FullPath.h"

namespace {

// The most one ReadFile or WriteFile call is asked to move.
constexpr std::size_t kMaxTransfer = 1u << 30;

HANDLE AsHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// Refused at the open by Windows already, but not by every file system Wine
// serves, nor by Wine run as root.
bool IsReadOnly(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    return !GetFileInformationByHandle(handle, &info) ||
           (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
}

// No sharing: while the handle is open nobody else opens, renames or deletes
// the file. A write handle asks for the right to delete as well, so that
// Remove can take back a partial output through this very handle.
HANDLE CreateUnshared(const std::string& name, DWORD access, DWORD disposition) {
    const bool forWriting = access == GENERIC_WRITE;
    HANDLE handle = CreateFileA(name.c_str(), access | (forWriting ? DELETE : 0), 0, nullptr,
                                disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE && forWriting && GetLastError() == ERROR_ACCESS_DENIED) {
        // Some folders grant writing but not deleting; such an output is
        // still written, it just cannot be taken back.
        handle = CreateFileA(name.c_str(), access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
    }
    return handle;
}

HANDLE OpenHandle(const std::string& name, CFile::EOpenMode mode) {
    const bool forWriting = mode != CFile::EOpenMode::kReadExisting;
    const bool truncating = mode == CFile::EOpenMode::kCreateOrTruncate;
    // An existing file is cut only once it is held and known to be writable,
    // so a file that cannot be claimed keeps its content.
    const HANDLE handle = CreateUnshared(name, forWriting ? GENERIC_WRITE : GENERIC_READ,
                                         truncating ? OPEN_ALWAYS : OPEN_EXISTING);
    if (handle == INVALID_HANDLE_VALUE) {
        return handle;
    }
    // Device names (CON, NUL, COM1, ...) open devices, not files.
    if (GetFileType(handle) != FILE_TYPE_DISK || (forWriting && IsReadOnly(handle)) ||
        (truncating && !SetEndOfFile(handle))) {
        CloseHandle(handle);
        return INVALID_HANDLE_VALUE;
    }
    return handle;
}

}  // namespace

CFile::~CFile() {
    Close();
}

bool CFile::Open(const std::string& name, EOpenMode mode) {
    Close();
    const HANDLE handle = OpenHandle(name, mode);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    m_handle = reinterpret_cast<std::intptr_t>(handle);
    m_path = MakeFullPath(name);
    return true;
}

bool CFile::Close() {
    if (!IsOpen()) {
        return true;
    }
    const HANDLE handle = AsHandle(m_handle);
    m_handle = kNoHandle;
    return CloseHandle(handle) != FALSE;
}

bool CFile::Remove() {
    if (!IsOpen()) {
        return false;
    }
    // Marked through the handle, the file held here goes when it closes,
    // whatever its name leads to by then.
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    const bool marked = SetFileInformationByHandle(AsHandle(m_handle), FileDispositionInfo,
                                                   &disposition, sizeof disposition) != FALSE;
    return Close() && marked;
}

bool CFile::Truncate() {
    if (!IsOpen()) {
        return false;
    }
    LARGE_INTEGER start{};
    return SetFilePointerEx(AsHandle(m_handle), start, nullptr, FILE_BEGIN) != FALSE &&
           SetEndOfFile(AsHandle(m_handle)) != FALSE;
}

std::ptrdiff_t CFile::Read(void* buffer, std::size_t size) {
    if (!IsOpen()) {
        return -1;
    }
    DWORD got = 0;
    const auto wanted = static_cast<DWORD>(std::min(size, kMaxTransfer));
    if (!ReadFile(AsHandle(m_handle), buffer, wanted, &got, nullptr)) {
        return -1;
    }
    return static_cast<std::ptrdiff_t>(got);
}

bool CFile::Write(const void* data, std::size_t size) {
    if (!IsOpen()) {
        return false;
    }
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        DWORD put = 0;
        const auto piece = static_cast<DWORD>(std::min(size, kMaxTransfer));
        if (!WriteFile(AsHandle(m_handle), bytes, piece, &put, nullptr) || put == 0) {
            return false;
        }
        bytes += put;
        size -= put;
    }
    return true;
}

std::string CFile::GetFileName() const {
    return GetNamePart(m_path);
}

std::string CFile::GetFileTitle() const {
    return GetDisplayTitle(m_path);
}
