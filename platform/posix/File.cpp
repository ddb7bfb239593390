#include "platform/File.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <vector>

#include "common/PathHelpers.h"
#include "platform/posix/WesternCodePage.h"

namespace {

constexpr mode_t kNewFileMode = 0666;
constexpr mode_t kAnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;

// The working folder joined with a relative name; the name itself when no
// full path can be formed.
std::string MakeFullPath(const std::string& name) {
    if (!name.empty() && name.front() == '/') {
        return name;
    }
    std::vector<char> folder(PATH_MAX);
    while (getcwd(folder.data(), folder.size()) == nullptr) {
        if (errno != ERANGE) {
            return name;
        }
        folder.resize(folder.size() * 2);
    }
    std::string path(folder.data());
    if (path.back() != '/') {
        path += '/';
    }
    return path + name;
}

// Never blocks on a FIFO or device, never leaks into started programs.
int OpenDescriptor(const std::string& name, int flags) {
    int fd;
    do {
        fd = open(name.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, kNewFileMode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// A regular file, locked against every other open, and writable when asked.
bool Claim(int fd, bool forWriting) {
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    // The write bits decide, for root as well: the desktop's read-only attribute.
    if (forWriting && (info.st_mode & kAnyWriteBit) == 0) {
        return false;
    }
    return flock(fd, LOCK_EX | LOCK_NB) == 0;
}

int OpenClaimed(const std::string& name, CFile::EOpenMode mode) {
    const bool forWriting = mode != CFile::EOpenMode::kReadExisting;
    const int access = forWriting ? O_WRONLY : O_RDONLY;
    bool created = false;
    int fd = -1;
    if (mode == CFile::EOpenMode::kCreateOrTruncate) {
        // O_EXCL also refuses to follow a link, dangling or not, into a new file.
        fd = OpenDescriptor(name, access | O_CREAT | O_EXCL);
        created = fd >= 0;
    }
    if (fd < 0) {
        fd = OpenDescriptor(name, access);
    }
    if (fd < 0) {
        return -1;
    }
    // The lock comes before any truncation, so a failed create empties nothing.
    if (!Claim(fd, forWriting) ||
        (mode == CFile::EOpenMode::kCreateOrTruncate && !created && ftruncate(fd, 0) != 0)) {
        if (created) {
            unlink(name.c_str());
        }
        close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

CFile::~CFile() {
    Close();
}

bool CFile::Open(const std::string& name, EOpenMode mode) {
    Close();
    const int fd = OpenClaimed(name, mode);
    if (fd < 0) {
        return false;
    }
    m_handle = fd;
    m_path = MakeFullPath(name);
    return true;
}

bool CFile::Close() {
    if (!IsOpen()) {
        return true;
    }
    const int fd = static_cast<int>(m_handle);
    m_handle = kNoHandle;
    // After an interrupted close the descriptor is gone on Linux; never retry.
    return close(fd) == 0 || errno == EINTR;
}

bool CFile::Remove() {
    if (!IsOpen()) {
        return false;
    }
    // Delete the name only while it still leads to the file held here.
    struct stat held {};
    struct stat named {};
    bool removed = false;
    if (fstat(static_cast<int>(m_handle), &held) == 0 && lstat(m_path.c_str(), &named) == 0 &&
        held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
        removed = unlink(m_path.c_str()) == 0;
    }
    Close();
    return removed;
}

bool CFile::Truncate() {
    const int fd = static_cast<int>(m_handle);
    return IsOpen() && ftruncate(fd, 0) == 0 && lseek(fd, 0, SEEK_SET) == 0;
}

std::ptrdiff_t CFile::Read(void* buffer, std::size_t size) {
    if (!IsOpen()) {
        return -1;
    }
    ssize_t got;
    do {
        got = read(static_cast<int>(m_handle), buffer, size);
    } while (got < 0 && errno == EINTR);
    return got;
}

bool CFile::Write(const void* data, std::size_t size) {
    if (!IsOpen()) {
        return false;
    }
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t put = write(static_cast<int>(m_handle), bytes, size);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        bytes += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

bool CFile::WriteGathered(const CPiece* pieces, std::size_t count) {
    if (!IsOpen()) {
        return false;
    }
    std::vector<iovec> vector;
    for (std::size_t i = 0; i < count; ++i) {
        if (pieces[i].size > 0) {
            vector.push_back({const_cast<void*>(pieces[i].data), pieces[i].size});
        }
    }
    for (std::size_t first = 0; first < vector.size();) {
        const int batch = static_cast<int>(std::min<std::size_t>(vector.size() - first, IOV_MAX));
        ssize_t put = writev(static_cast<int>(m_handle), &vector[first], batch);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        // Past the pieces written whole; into the one written in part.
        while (put > 0) {
            iovec& piece = vector[first];
            const std::size_t used = std::min(static_cast<std::size_t>(put), piece.iov_len);
            piece.iov_base = static_cast<char*>(piece.iov_base) + used;
            piece.iov_len -= used;
            put -= static_cast<ssize_t>(used);
            if (piece.iov_len == 0) {
                ++first;
            }
        }
    }
    return true;
}

std::string CFile::GetFileName() const {
    return GetNamePart(m_path);
}

// The desktop here has no display title of its own; the file name serves,
// in the code page the handheld reads, so that a database name shows there as
// the file does here and its cut to length never splits a character.
std::string CFile::GetFileTitle() const {
    return ToWindows1252(GetFileName());
}
