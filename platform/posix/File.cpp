#include "platform/File.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <utility>
#include <vector>

#include "common/PathHelpers.h"
#include "platform/posix/DatabaseCodePage.h"

namespace {

constexpr mode_t kNewFileMode = 0666;
constexpr mode_t kPermissionBits = 07777;
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
    const bool forWriting = mode == CFile::EOpenMode::kWriteExisting;
    // A file to be written is never reached through a link: its target could
    // lie anywhere, and replacing the link would not replace the target.
    const int fd = OpenDescriptor(name, forWriting ? O_WRONLY | O_NOFOLLOW : O_RDONLY);
    if (fd >= 0 && !Claim(fd, forWriting)) {
        close(fd);
        return -1;
    }
    return fd;
}

bool CloseDescriptor(std::intptr_t handle) {
    // After an interrupted close the descriptor is gone on Linux; never retry.
    return close(static_cast<int>(handle)) == 0 || errno == EINTR;
}

bool IsFreeName(const std::string& name) {
    struct stat info {};
    return lstat(name.c_str(), &info) != 0 && errno == ENOENT;
}

bool IsSameFile(const struct stat& one, const struct stat& other) {
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

mode_t GetNewFileMode() {
    // The one way to read the mask is to set it; one thread, so no one notices.
    const mode_t mask = umask(0);
    umask(mask);
    return kNewFileMode & ~mask;
}

// Signals that end the program: they must not leave an unfinished file behind.
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr std::size_t kMaxUnfinished = 8;

// The unfinished files, where the signal handler can reach them without
// allocating: changed only while the ending signals are blocked.
struct CUnfinishedSlot {
    volatile sig_atomic_t used;
    char path[PATH_MAX];
};
CUnfinishedSlot g_unfinished[kMaxUnfinished];

extern "C" void RemoveUnfinishedAndEnd(int signal) {
    for (const CUnfinishedSlot& slot : g_unfinished) {
        if (slot.used) {
            unlink(slot.path);
        }
    }
    // The handler was reset on entry: once it returns, the signal ends the
    // program as it would have without one.
    raise(signal);
}

void InstallSignalCleanup() {
    static bool installed = false;
    if (installed) {
        return;
    }
    installed = true;
    for (const int signal : kEndingSignals) {
        struct sigaction previous {};
        // A signal the program was started to ignore stays ignored.
        if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_DFL) {
            struct sigaction cleanup {};
            cleanup.sa_handler = RemoveUnfinishedAndEnd;
            cleanup.sa_flags = SA_RESETHAND;
            sigfillset(&cleanup.sa_mask);
            sigaction(signal, &cleanup, nullptr);
        }
    }
}

// Keeps the ending signals waiting for the scope, so that the unfinished
// files and their list agree whenever one arrives.
class CEndingSignalsBlocked {
public:
    CEndingSignalsBlocked() {
        sigset_t ending;
        sigemptyset(&ending);
        for (const int signal : kEndingSignals) {
            sigaddset(&ending, signal);
        }
        sigprocmask(SIG_BLOCK, &ending, &m_previous);
    }
    ~CEndingSignalsBlocked() { sigprocmask(SIG_SETMASK, &m_previous, nullptr); }
    CEndingSignalsBlocked(const CEndingSignalsBlocked&) = delete;
    CEndingSignalsBlocked& operator=(const CEndingSignalsBlocked&) = delete;

private:
    sigset_t m_previous{};
};

bool ListUnfinished(const std::string& path) {
    InstallSignalCleanup();
    for (CUnfinishedSlot& slot : g_unfinished) {
        if (!slot.used && path.size() < sizeof slot.path) {
            std::memcpy(slot.path, path.c_str(), path.size() + 1);
            slot.used = 1;
            return true;
        }
    }
    return false;
}

void UnlistUnfinished(const std::string& path) {
    for (CUnfinishedSlot& slot : g_unfinished) {
        if (slot.used && path == slot.path) {
            slot.used = 0;
        }
    }
}

// Gives the finished file at `from` the name `to`: in place of the file held
// by `replaced`, or where nothing is.
bool PutInPlace(const std::string& from, const std::string& to, std::intptr_t replaced) {
    if (replaced != -1) {
        // Only the file the user agreed to replace is replaced.
        struct stat held {};
        struct stat named {};
        return fstat(static_cast<int>(replaced), &held) == 0 && lstat(to.c_str(), &named) == 0 &&
               IsSameFile(held, named) && rename(from.c_str(), to.c_str()) == 0;
    }
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    // File systems without the flag: a link is never made over another file.
    if (link(from.c_str(), to.c_str()) == 0) {
        unlink(from.c_str());
        return true;
    }
    if (errno != EPERM && errno != ENOTSUP) {
        return false;
    }
    // Nor links: the name is looked at just before.
    return IsFreeName(to) && rename(from.c_str(), to.c_str()) == 0;
}

// A renamed file keeps its new name after a power cut only once its folder is on the disk.
void SyncFolder(const std::string& path) {
    const std::string folder = path.substr(0, path.size() - GetNamePart(path).size());
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
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

bool CFile::OpenReplacement(const std::string& name, CFile replaced) {
    Close();
    struct stat old {};
    if (replaced.IsOpen() ? fstat(static_cast<int>(replaced.m_handle), &old) != 0
                          : !IsFreeName(name)) {
        return false;
    }
    // Every name is made before the file: once it exists, nothing may fail
    // without taking it back.
    std::string path = MakeFullPath(name);
    const std::string namePart = GetNamePart(path);
    std::string unfinished =
        path.substr(0, path.size() - namePart.size()) + MakeUnfinishedName(namePart) + "XXXXXX";
    {
        const CEndingSignalsBlocked blocked;
        const int fd = mkostemp(&unfinished[0], O_CLOEXEC);
        if (fd < 0) {
            return false;
        }
        if (!ListUnfinished(unfinished)) {
            unlink(unfinished.c_str());
            close(fd);
            return false;
        }
        m_handle = fd;
    }
    m_path.swap(path);
    m_unfinishedPath.swap(unfinished);
    std::swap(m_replacedHandle, replaced.m_handle);

    const int fd = static_cast<int>(m_handle);
    mode_t mode = GetNewFileMode();
    if (m_replacedHandle != kNoHandle) {
        // Whose it was stays, as far as this user may say so.
        static_cast<void>(fchown(fd, old.st_uid, old.st_gid) == 0);
        mode = old.st_mode & kPermissionBits;
    }
    if (fchmod(fd, mode) != 0) {
        Discard();
        return false;
    }
    return true;
}

bool CFile::Commit() {
    if (!IsOpen() || m_unfinishedPath.empty()) {
        return false;
    }
    const int fd = static_cast<int>(m_handle);
    m_handle = kNoHandle;
    bool done = fsync(fd) == 0;
    done = CloseDescriptor(fd) && done;
    {
        const CEndingSignalsBlocked blocked;
        done = done && PutInPlace(m_unfinishedPath, m_path, m_replacedHandle);
        if (!done) {
            unlink(m_unfinishedPath.c_str());
        }
        UnlistUnfinished(m_unfinishedPath);
    }
    m_unfinishedPath.clear();
    if (done) {
        SyncFolder(m_path);
    }
    if (m_replacedHandle != kNoHandle) {
        CloseDescriptor(m_replacedHandle);
        m_replacedHandle = kNoHandle;
    }
    return done;
}

void CFile::Discard() {
    {
        const CEndingSignalsBlocked blocked;
        unlink(m_unfinishedPath.c_str());
        UnlistUnfinished(m_unfinishedPath);
    }
    m_unfinishedPath.clear();
    if (m_replacedHandle != kNoHandle) {
        CloseDescriptor(m_replacedHandle);
        m_replacedHandle = kNoHandle;
    }
}

bool CFile::Close() {
    if (!IsOpen()) {
        return true;
    }
    const std::intptr_t handle = m_handle;
    m_handle = kNoHandle;
    const bool closed = CloseDescriptor(handle);
    if (!m_unfinishedPath.empty()) {
        Discard();
    }
    return closed;
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

std::string CFile::GetFileName() const {
    return GetNamePart(m_path);
}

// The desktop here has no display title of its own; the file name serves,
// in the code page the handheld reads, so that a database name shows there as
// the file does here and its cut to length never splits a character.
std::string CFile::GetFileTitle() const {
    return ToCodePage(GetFileName(), GetDatabaseCodePage());
}
