#include "platform/File.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/FileHandles.h"

namespace {

constexpr mode_t kAnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;

}  // namespace

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

namespace {

// Never creates a file, never blocks on a FIFO or device, never leaks into
// started programs.
int OpenDescriptor(const std::string& name, int flags) {
    int fd;
    do {
        fd = open(name.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
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

}  // namespace

std::intptr_t OpenFileHandle(const std::string& name, CFile::EOpenMode mode) {
    const bool forWriting = mode == CFile::EOpenMode::kWriteExisting;
    // A file to be written is never reached through a link: its target could
    // lie anywhere, and replacing the link would not replace the target. It
    // is read too where it may be, should it have to be copied aside.
    int fd = OpenDescriptor(name, forWriting ? O_RDWR | O_NOFOLLOW : O_RDONLY);
    if (fd < 0 && forWriting && errno == EACCES) {
        fd = OpenDescriptor(name, O_WRONLY | O_NOFOLLOW);
    }
    if (fd >= 0 && !Claim(fd, forWriting)) {
        close(fd);
        return kNoFileHandle;
    }
    return fd;
}

bool CloseFileHandle(std::intptr_t handle) {
    // After an interrupted close the descriptor is gone on Linux; never retry.
    return close(static_cast<int>(handle)) == 0 || errno == EINTR;
}

bool CFile::ReadStamp(std::intptr_t handle, CStamp& stamp) {
    struct stat info {};
    if (fstat(static_cast<int>(handle), &info) != 0) {
        return false;
    }
    constexpr std::int64_t kNanoseconds = 1000000000;
    stamp.size = info.st_size;
    stamp.modified = info.st_mtim.tv_sec * kNanoseconds + info.st_mtim.tv_nsec;
    stamp.changed = info.st_ctim.tv_sec * kNanoseconds + info.st_ctim.tv_nsec;
    return true;
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

bool SetWorkingFolder(const std::string& folder) {
    return chdir(folder.c_str()) == 0;
}

// The desktop here has no display title of its own: the file name serves.
std::string CFile::GetFileTitle() const {
    return GetFileName();
}
