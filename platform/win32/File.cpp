#include "platform/File.h"

#include <windows.h>
// windows.h first: commdlg.h needs its types.
#include <commdlg.h>
// The macro would rename CFile's function.
#undef GetFileTitle

#include <algorithm>
#include <utility>
#include <vector>

#include "common/PathHelpers.h"
#include "platform/BufferedWriter.h"
#include "platform/PathRules.h"
#include "platform/win32/WideText.h"

namespace {

// The most one ReadFile or WriteFile call is asked to move.
constexpr std::size_t kMaxTransfer = 1u << 30;
// Gathered pieces are copied into one buffer of this size and written from it.
constexpr std::size_t kStagingSize = std::size_t{1} << 20;
constexpr char kUnfinishedMark[] = ".quintar-unfinished";
constexpr wchar_t kLongPathPrefix[] = L"\\\\?\\";
constexpr wchar_t kDevicePrefix[] = L"\\\\.\\";
constexpr wchar_t kLongSharePrefix[] = L"\\\\?\\UNC\\";
constexpr wchar_t kSharePrefix[] = L"\\\\";
constexpr wchar_t kSeparator = L'\\';

// In a double-byte ANSI code page the second byte of a character may equal
// a separator; the UTF-8 code page has no lead bytes in this sense.
bool IsLeadByte(unsigned char byte) {
    return IsDBCSLeadByte(byte) != FALSE;
}

bool StartsWith(const std::wstring& text, const wchar_t* start) {
    return text.compare(0, std::char_traits<wchar_t>::length(start), start) == 0;
}

// The \\?\ form of the full path `path`: the wide calls take it past
// MAX_PATH characters, where a file of a deep folder's database may lie.
std::wstring MakeLongPathForm(const std::wstring& path) {
    if (StartsWith(path, kLongPathPrefix) || StartsWith(path, kDevicePrefix)) {
        return path;
    }
    if (StartsWith(path, kSharePrefix)) {
        return kLongSharePrefix + path.substr(std::char_traits<wchar_t>::length(kSharePrefix));
    }
    return kLongPathPrefix + path;
}

// The short form of an existing file or folder; empty where it has none.
std::wstring GetShortPath(const std::wstring& path) {
    std::wstring shortPath(GetShortPathNameW(path.c_str(), nullptr, 0), L'\0');
    if (shortPath.empty()) {
        return {};
    }
    const DWORD length =
        GetShortPathNameW(path.c_str(), shortPath.data(), static_cast<DWORD>(shortPath.size()));
    if (length == 0 || length >= shortPath.size()) {
        return {};
    }
    shortPath.resize(length);
    return shortPath;
}

HANDLE AsHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// A full path as wide text, and where its name starts.
struct SWidePath {
    std::wstring path;
    std::size_t nameOffset;
};

// The full path of a file opened by `name`: the name completed with the
// working folder, upper-cased on a volume that does not preserve case, its
// name part as stored in the folder on a volume without Unicode names;
// `name` itself when no full path can be formed.
SWidePath MakeFullWidePath(const std::string& name) {
    const std::wstring wideName = Widen(name);
    std::wstring buffer(MAX_PATH, L'\0');
    wchar_t* namePart = nullptr;
    DWORD length = 0;
    for (;;) {
        length = GetFullPathNameW(wideName.c_str(), static_cast<DWORD>(buffer.size()),
                                  buffer.data(), &namePart);
        if (length == 0) {
            return {wideName, 0};
        }
        if (length < buffer.size()) {
            break;
        }
        buffer.resize(length);  // the size asked for counts the closing zero
    }
    SWidePath full{buffer.substr(0, length), length};
    if (namePart != nullptr) {
        full.nameOffset = static_cast<std::size_t>(namePart - buffer.data());
    }

    std::wstring root(full.path.size() + 2, L'\0');
    DWORD flags = 0;
    if (!GetVolumePathNameW(full.path.c_str(), root.data(), static_cast<DWORD>(root.size())) ||
        !GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)) {
        return full;
    }
    if ((flags & FS_CASE_IS_PRESERVED) == 0) {
        CharUpperBuffW(&full.path[0], static_cast<DWORD>(full.path.size()));
    }
    if ((flags & FS_UNICODE_STORED_ON_DISK) == 0 && full.nameOffset < full.path.size()) {
        WIN32_FIND_DATAW found{};
        const HANDLE search = FindFirstFileW(full.path.c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            FindClose(search);
            full.path.replace(full.nameOffset, std::wstring::npos, found.cFileName);
        }
    }
    return full;
}

// Refused at the open by Windows already, but not by every file system Wine
// serves, nor by Wine run as root.
bool IsReadOnly(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    return !GetFileInformationByHandle(handle, &info) ||
           (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
}

bool IsLink(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    return !GetFileInformationByHandle(handle, &info) ||
           (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool IsFreeName(const std::string& name) {
    return GetFileAttributesA(name.c_str()) == INVALID_FILE_ATTRIBUTES &&
           GetLastError() == ERROR_FILE_NOT_FOUND;
}

// While marked, the file goes when its handle closes, however the process ends.
bool MarkForDeletion(HANDLE handle, bool marked) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = marked ? TRUE : FALSE;
    return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition,
                                      sizeof disposition) != FALSE;
}

}  // namespace

BOOL(WINAPI* g_flushFileBuffers)(HANDLE) = FlushFileBuffers;

const char kFolderSeparator = '\\';
const SPathRules kPathRules = {kFolderSeparator, "\\/:", IsLeadByte};

std::size_t CountCharacters(std::string_view text) {
    return Widen(text).size();
}

std::string ToUtf8(std::string_view text) {
    return Narrow(Widen(text), CP_UTF8);
}

std::wstring SpellInCodePage(const std::wstring& path, UINT codePage) {
    const std::size_t separator = path.rfind(kSeparator);
    if (NarrowLosslessly(path, codePage) || separator == std::wstring::npos) {
        return path;
    }
    std::wstring folder = path.substr(0, separator);
    if (!NarrowLosslessly(folder, codePage)) {
        folder = GetShortPath(folder);
    }
    // Only a file that exists has a short name; Wine makes one up for any other.
    std::wstring name = path.substr(separator);
    if (!NarrowLosslessly(name, codePage)) {
        const std::wstring shortPath = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES
                                           ? GetShortPath(path)
                                           : std::wstring();
        name = shortPath.substr(std::min(shortPath.rfind(kSeparator), shortPath.size()));
    }
    const std::wstring spelt = folder + name;
    return !folder.empty() && !name.empty() && NarrowLosslessly(spelt, codePage) ? spelt : path;
}

std::string ToProgramPath(const std::wstring& path) {
    return Narrow(SpellInCodePage(path, CP_ACP));
}

// No sharing: while the handle is open nobody else opens, renames or deletes
// the file.
std::intptr_t CFile::OpenHandle(const std::string& name, const std::string&, EOpenMode mode) {
    const bool forWriting = mode == EOpenMode::kWriteExisting;
    // A file to be written is looked at itself, not at what a link leads to.
    const HANDLE handle = CreateFileA(
        name.c_str(), forWriting ? GENERIC_WRITE : GENERIC_READ, 0, nullptr, OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL | (forWriting ? FILE_FLAG_OPEN_REPARSE_POINT : 0), nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return kNoHandle;
    }
    // Device names (CON, NUL, COM1, ...) open devices, not files.
    if (GetFileType(handle) != FILE_TYPE_DISK ||
        (forWriting && (IsReadOnly(handle) || IsLink(handle)))) {
        ::CloseHandle(handle);
        return kNoHandle;
    }
    return reinterpret_cast<std::intptr_t>(handle);
}

bool CFile::CloseHandle(std::intptr_t handle) {
    return ::CloseHandle(AsHandle(handle)) != FALSE;
}

std::string CFile::MakeFullPath(const std::string& name) {
    return ToProgramPath(MakeFullWidePath(name).path);
}

bool CFile::ReadStamp(std::intptr_t handle, CStamp& stamp) {
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_BASIC_INFO times{};
    if (!GetFileInformationByHandle(AsHandle(handle), &info) ||
        !GetFileInformationByHandleEx(AsHandle(handle), FileBasicInfo, &times, sizeof times)) {
        return false;
    }
    stamp.size = (static_cast<std::int64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    stamp.modified = times.LastWriteTime.QuadPart;
    stamp.changed = times.ChangeTime.QuadPart;
    return true;
}

bool CFile::OpenReplacement(const std::string& name, CFile replaced) {
    Close();
    if (!replaced.IsOpen() && !IsFreeName(name)) {
        return false;
    }
    // Made and put in place by the wide calls in the \\?\ form: its name is
    // longer than the database's, which may take all of MAX_PATH. Every name
    // is made before the file: once it exists, nothing may fail but with it.
    const SWidePath path = MakeFullWidePath(name);
    const std::wstring unfinished =
        MakeLongPathForm(path.path.substr(0, path.nameOffset)) +
        Widen(MakeAsideName(Narrow(path.path.substr(path.nameOffset), CP_UTF8), kUnfinishedMark,
                            true),
              CP_UTF8);
    std::string programPath = ToProgramPath(path.path);
    const auto create = [&] {
        return CreateFileW(unfinished.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_HIDDEN, nullptr);
    };
    HANDLE handle = create();
    // One a crash left goes; one that is being written is held without sharing and stays.
    if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS &&
        DeleteFileW(unfinished.c_str())) {
        handle = create();
    }
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    // Until Commit, a process that ends any way at all takes the file with it.
    if (!MarkForDeletion(handle, true)) {
        ::CloseHandle(handle);
        DeleteFileW(unfinished.c_str());
        return false;
    }
    m_state = EState::kBeside;
    m_handle = reinterpret_cast<std::intptr_t>(handle);
    m_path.swap(programPath);
    // In UTF-8, which holds it whatever the ANSI code page.
    m_aside = Narrow(unfinished, CP_UTF8);
    std::swap(m_replaced, replaced.m_handle);
    return true;
}

bool CFile::Commit() {
    if (m_state != EState::kBeside) {
        return false;
    }
    const std::wstring unfinished = Widen(m_aside, CP_UTF8);
    const std::wstring target = MakeLongPathForm(Widen(m_path));
    const HANDLE handle = AsHandle(std::exchange(m_handle, kNoHandle));
    m_state = EState::kClosed;
    // Once in place it is a file like any other, not a hidden one.
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    bool done = g_flushFileBuffers(handle) != FALSE &&
                SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic) != FALSE &&
                MarkForDeletion(handle, false);
    done = ::CloseHandle(handle) != FALSE && done;
    if (m_replaced != kNoHandle) {
        // Windows replaces no file that is open; the old one is let go only now.
        CloseHandle(std::exchange(m_replaced, kNoHandle));
        // The new file takes over the old one's attributes and security.
        done = done && ReplaceFileW(target.c_str(), unfinished.c_str(), nullptr,
                                    REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != FALSE;
    } else {
        // Without MOVEFILE_REPLACE_EXISTING, a file that appeared meanwhile
        // stays; the move reaches the disk before it returns.
        done = done &&
               MoveFileExW(unfinished.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
    }
    if (!done) {
        DeleteFileW(unfinished.c_str());
    }
    return done;
}

void CFile::Discard() {
    // Still marked for deletion: closing the file, which Close does next, deletes it.
    if (m_replaced != kNoHandle) {
        CloseHandle(std::exchange(m_replaced, kNoHandle));
    }
    m_state = EState::kOpen;
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

// Windows gathers only into unbuffered, sector-aligned files: the pieces are
// copied into one buffer and written from there in large writes.
bool CFile::WriteGathered(const CPiece* pieces, std::size_t count) {
    std::vector<unsigned char> staged;
    staged.reserve(kStagingSize);
    for (std::size_t i = 0; i < count; ++i) {
        const auto* bytes = static_cast<const unsigned char*>(pieces[i].data);
        std::size_t size = pieces[i].size;
        while (size > 0) {
            const std::size_t part = std::min(size, kStagingSize - staged.size());
            staged.insert(staged.end(), bytes, bytes + part);
            bytes += part;
            size -= part;
            if (staged.size() == kStagingSize) {
                if (!Write(staged.data(), staged.size())) {
                    return false;
                }
                staged.clear();
            }
        }
    }
    return staged.empty() || Write(staged.data(), staged.size());
}

bool SetWorkingFolder(const std::string& folder) {
    return SetCurrentDirectoryA(folder.c_str()) != FALSE;
}

// The name Explorer shows (without its extension where it hides them), in
// UTF-8; empty when it gives none. Asked in wide text: the ANSI call sizes
// its buffer in characters where UTF-8 needs bytes. A buffer is given at
// once: Wine tells the size needed only of a buffer too small, not of none.
std::string CFile::GetFileTitle() const {
    const std::wstring path = Widen(m_path);
    std::wstring title(MAX_PATH, L'\0');
    for (;;) {
        const short result =
            GetFileTitleW(path.c_str(), title.data(), static_cast<WORD>(title.size()));
        if (result == 0) {
            return Narrow(title.c_str(), CP_UTF8);
        }
        // A positive result is the size the title needs, its closing zero included.
        if (result < 0 || static_cast<std::size_t>(result) <= title.size()) {
            return {};
        }
        title.resize(static_cast<std::size_t>(result));
    }
}

// Large pages on Windows need a privilege a desktop user does not have.
void AdviseHugePages(void*, std::size_t) {}
