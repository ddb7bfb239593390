// The file on Linux: opening, and how a database takes the place of another
// or of none. A new file beside it, flushed, renamed over it; or, where a new
// file cannot stand in for the old one, the old one written over in place
// behind a flushed backup copy. An ending signal takes the unfinished file
// with it, and waits for an in-place write to end.
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <vector>

#include "common/PathHelpers.h"
#include "common/Utf8.h"
#include "platform/BufferedWriter.h"
#include "platform/File.h"
#include "platform/PathRules.h"

namespace {

// Names are UTF-8: no byte of a multi-byte character equals '/', and ':' is
// an ordinary name character here.
bool IsLeadByte(unsigned char) {
    return false;
}

// A new database's mode, less what the mask or the folder's default ACL takes.
constexpr mode_t kNewFileMode = 0666;
// A file only this run may open until it is given the old one's mode.
constexpr mode_t kPrivateFileMode = 0600;
constexpr mode_t kPermissionBits = 07777;
constexpr mode_t kAnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;
constexpr char kUnfinishedMark[] = ".quintar-unfinished";
// The backup's name ends in the inode of its database: it can belong to no other.
constexpr char kBackupMark[] = ".quintar-backup-";
constexpr std::size_t kCopyPiece = 64 * 1024;
constexpr std::size_t kLongestAttributeList = 64 * 1024;
// Every signal whose default ends the program, but those that report its
// own faults (SEGV, BUS, FPE, ILL, ABRT, TRAP), which the sanitizers answer.
constexpr int kEndingSignals[] = {SIGINT,  SIGTERM, SIGHUP,  SIGQUIT,   SIGALRM, SIGUSR1,
                                  SIGUSR2, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF};

// Closes a descriptor when the scope ends.
class CDescriptor {
public:
    explicit CDescriptor(int fd = -1) : m_fd(fd) {}
    ~CDescriptor() { Reset(-1); }
    CDescriptor(const CDescriptor&) = delete;
    CDescriptor& operator=(const CDescriptor&) = delete;
    int Get() const { return m_fd; }
    int Release() { return std::exchange(m_fd, -1); }
    void Reset(int fd) {
        if (m_fd >= 0) {
            close(m_fd);
        }
        m_fd = fd;
    }

private:
    int m_fd;
};

// The one file an ending signal removes, and whether an in-place write is
// under way, when the signal waits for it to end: where the handler reaches
// them without allocating, whichever thread it runs on.
char g_pending[PATH_MAX];
std::atomic<bool> g_hasPending{false};
std::atomic<bool> g_inPlace{false};
volatile std::sig_atomic_t g_waiting = 0;

extern "C" void OnEndingSignal(int signal) {
    if (g_inPlace.load()) {
        g_waiting = signal;
        return;
    }
    if (g_hasPending.load()) {
        unlink(g_pending);
    }
    // Blocked until the handler returns, then it ends the program as it
    // would have without one.
    std::signal(signal, SIG_DFL);
    raise(signal);
}

// Names `path` as the file an ending signal removes; false when it is too
// long for that. Set before the file exists, cleared once it is gone.
bool SetPending(const std::string& path) {
    static const bool installed = [] {
        for (const int signal : kEndingSignals) {
            struct sigaction previous {};
            // A signal the program was started (or chose) to ignore stays ignored.
            if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_DFL) {
                struct sigaction ending {};
                ending.sa_handler = OnEndingSignal;
                ending.sa_flags = SA_RESTART;
                sigfillset(&ending.sa_mask);
                sigaction(signal, &ending, nullptr);
            }
        }
        return true;
    }();
    if (!installed || path.size() >= sizeof g_pending) {
        return false;
    }
    g_hasPending = false;
    std::memcpy(g_pending, path.c_str(), path.size() + 1);
    g_hasPending = true;
    return true;
}

void ClearPending() {
    g_hasPending = false;
}

// The end of an in-place write: a signal that arrived meanwhile ends the program now.
void EndInPlace() {
    g_inPlace = false;
    if (const int signal = g_waiting) {
        raise(signal);
    }
}

bool IsFreeName(const std::string& name) {
    struct stat info {};
    return lstat(name.c_str(), &info) != 0 && errno == ENOENT;
}

bool IsSameFile(const struct stat& one, const struct stat& other) {
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

// Where the name starts in the full path `path`.
std::size_t NameStartOf(const std::string& path) {
    return path.size() - GetNamePart(path, kPathRules).size();
}

// The folder that holds the full path `path`.
CDescriptor OpenFolder(const std::string& path) {
    const std::string folder = path.substr(0, NameStartOf(path));
    return CDescriptor(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

// A renamed file keeps its new name after a power cut only once its folder
// is on the disk. A folder that cannot be opened, or a file system that
// cannot flush folders, leaves nothing to do.
bool SyncFolder(const std::string& path) {
    const CDescriptor folder = OpenFolder(path);
    return folder.Get() < 0 || fsync(folder.Get()) == 0 || errno == EINVAL;
}

// Whether the name `path` still leads to the file `fd`.
bool IsNamed(int fd, const std::string& path) {
    struct stat held {};
    struct stat named {};
    return fstat(fd, &held) == 0 && lstat(path.c_str(), &named) == 0 && IsSameFile(held, named);
}

// Makes the file `path` of `mode`, locked and named as the file an ending
// signal removes. A file of that name that no run holds was left by a kill
// no program can catch, and goes first; a run whose new file went so before
// it was locked gives way, so that none writes a file another removed.
int CreateAside(const std::string& path, mode_t mode) {
    constexpr int kFlags = O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC;
    CDescriptor fd(open(path.c_str(), kFlags, mode));
    if (fd.Get() < 0 && errno == EEXIST) {
        CDescriptor left(open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (left.Get() >= 0 && flock(left.Get(), LOCK_EX | LOCK_NB) == 0 &&
            IsNamed(left.Get(), path) && unlink(path.c_str()) == 0) {
            left.Reset(-1);
            fd.Reset(open(path.c_str(), kFlags, mode));
        }
    }
    if (fd.Get() < 0 || flock(fd.Get(), LOCK_EX | LOCK_NB) != 0 || !IsNamed(fd.Get(), path)) {
        return -1;
    }
    // Named only once it is there and locked: a signal never takes another run's file.
    if (!SetPending(path)) {
        unlink(path.c_str());
        return -1;
    }
    return fd.Release();
}

void RemoveAside(const std::string& path) {
    unlink(path.c_str());
    ClearPending();
}

// Copies every extended attribute of `from` (an ACL among them) to `to`;
// false when one cannot be read or written.
bool CopyAttributes(int from, int to) {
    const ssize_t listed = flistxattr(from, nullptr, 0);
    if (listed <= 0) {
        return listed == 0 || errno == ENOTSUP;
    }
    if (static_cast<std::size_t>(listed) > kLongestAttributeList) {
        return false;
    }
    std::vector<char> names(static_cast<std::size_t>(listed));
    const ssize_t got = flistxattr(from, names.data(), names.size());
    if (got < 0) {
        return false;
    }
    std::vector<char> value;
    for (std::size_t at = 0; at < static_cast<std::size_t>(got);) {
        const char* const name = names.data() + at;
        at += std::strlen(name) + 1;
        const ssize_t size = fgetxattr(from, name, nullptr, 0);
        if (size < 0) {
            return false;
        }
        value.resize(static_cast<std::size_t>(size));
        const ssize_t read = fgetxattr(from, name, value.data(), value.size());
        if (read < 0 || fsetxattr(to, name, value.data(), static_cast<std::size_t>(read), 0) != 0) {
            return false;
        }
    }
    return true;
}

// Gives the new file `fd` the old one's owner, group, mode and attributes
// where the file system takes them, and tells whether it may now take the
// old one's place: what the calls return does not matter, only what the new
// file shows of itself.
bool CanStandIn(int fd, int oldFd, const struct stat& old) {
    [[maybe_unused]] const bool owned = fchown(fd, old.st_uid, old.st_gid) == 0;
    // After the owner: a new owner clears the set-user and set-group bits.
    [[maybe_unused]] const bool moded = fchmod(fd, old.st_mode & kPermissionBits) == 0;
    struct stat now {};
    // With all of them it is to everyone what the old one was; a rename would
    // still part the name from the old file's other names.
    return fstat(fd, &now) == 0 && now.st_uid == old.st_uid && now.st_gid == old.st_gid &&
           (now.st_mode & kPermissionBits) == (old.st_mode & kPermissionBits) &&
           old.st_nlink <= 1 && CopyAttributes(oldFd, fd);
}

// Makes the file `to` a copy of `from`, on the disk.
bool CopyWhole(int from, int to) {
    struct stat info {};
    if (fstat(from, &info) != 0 || ftruncate(to, 0) != 0) {
        return false;
    }
    std::vector<char> piece(kCopyPiece);
    for (off_t at = 0; at < info.st_size;) {
        const ssize_t got = pread(from, piece.data(), piece.size(), at);
        if (got <= 0) {
            return false;
        }
        for (ssize_t put = 0; put < got;) {
            const ssize_t wrote =
                pwrite(to, piece.data() + put, static_cast<std::size_t>(got - put), at + put);
            if (wrote <= 0) {
                return false;
            }
            put += wrote;
        }
        at += got;
    }
    return fsync(to) == 0;
}

std::string BackupMarkOf(const struct stat& database) {
    return kBackupMark + std::to_string(database.st_ino);
}

// Puts the bytes of the backup `path` back into the held file `fd`; the
// backup goes once they are on the disk, and stays, the old file, should they
// not get there. True too when there is none.
bool PutBackupBack(int fd, const std::string& path) {
    const CDescriptor backup(open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (backup.Get() < 0) {
        return errno == ENOENT;
    }
    if (!CopyWhole(backup.Get(), fd)) {
        return false;
    }
    unlink(path.c_str());
    return SyncFolder(path);
}

// Gives the finished file at `from` the name `to`: in place of the file held
// by `replaced`, or where nothing is.
bool PutInPlace(const std::string& from, const std::string& to, int replaced) {
    struct stat named {};
    if (replaced >= 0) {
        // Only the file the user agreed to replace is replaced; one that
        // went away meanwhile leaves the name free.
        struct stat held {};
        if (fstat(replaced, &held) != 0) {
            return false;
        }
        if (lstat(to.c_str(), &named) == 0) {
            return IsSameFile(held, named) && rename(from.c_str(), to.c_str()) == 0;
        }
    }
    // Linux's own flag: the rename never takes a name another file has.
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    // FAT and exFAT through FUSE know no such flag: the name is looked at
    // just before.
    return (errno == EINVAL || errno == ENOSYS) && IsFreeName(to) &&
           rename(from.c_str(), to.c_str()) == 0;
}

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
bool Claim(int fd, bool forWriting, struct stat& info) {
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

const char kFolderSeparator = '/';
const SPathRules kPathRules = {kFolderSeparator, "/", IsLeadByte};

std::size_t CountCharacters(std::string_view text) {
    return CountUtf16Units(text);
}

std::string ToUtf8(std::string_view text) {
    return std::string(text);
}

std::string CFile::MakeAsidePath(const std::string& path, std::string_view mark) {
    const std::size_t nameStart = NameStartOf(path);
    return path.substr(0, nameStart) + MakeAsideName(path.substr(nameStart), mark, false);
}

std::string CFile::MakeFullPath(const std::string& name) {
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

std::intptr_t CFile::OpenHandle(const std::string& name, const std::string& path, EOpenMode mode) {
    const bool forWriting = mode == EOpenMode::kWriteExisting;
    // A file to be written is never reached through a link: its target could
    // lie anywhere, and replacing the link would not replace the target. It
    // is read too where it may be, should it have to be copied aside.
    CDescriptor fd(OpenDescriptor(name, forWriting ? O_RDWR | O_NOFOLLOW : O_RDONLY));
    if (fd.Get() < 0 && forWriting && errno == EACCES) {
        fd.Reset(OpenDescriptor(name, O_WRONLY | O_NOFOLLOW));
    }
    struct stat info {};
    if (fd.Get() < 0 || !Claim(fd.Get(), forWriting, info)) {
        return kNoHandle;
    }
    // A backup of this very file, which no run can be writing now that the
    // file is ours, is what a killed in-place write left: the old bytes go back.
    if (forWriting && !PutBackupBack(fd.Get(), MakeAsidePath(path, BackupMarkOf(info)))) {
        return kNoHandle;
    }
    return fd.Release();
}

bool CFile::CloseHandle(std::intptr_t handle) {
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

bool CFile::OpenReplacement(const std::string& name, CFile replaced) {
    Close();
    struct stat old {};
    const bool replacing = replaced.IsOpen();
    if (replacing ? fstat(static_cast<int>(replaced.m_handle), &old) != 0 : !IsFreeName(name)) {
        return false;
    }
    // Every name is made before the file: once it exists, nothing may fail
    // without taking it back.
    std::string path = MakeFullPath(name);
    std::string unfinished = MakeAsidePath(path, kUnfinishedMark);
    std::string backup = replacing ? MakeAsidePath(path, BackupMarkOf(old)) : "";
    // A new database is made as any new file is; a replacement is this
    // run's alone until it has the old one's mode.
    const int fd = CreateAside(unfinished, replacing ? kPrivateFileMode : kNewFileMode);
    if (fd < 0) {
        return false;
    }
    m_state = EState::kBeside;
    m_handle = fd;
    m_path.swap(path);
    m_aside.swap(unfinished);
    std::swap(m_replaced, replaced.m_handle);
    if (!replacing || CanStandIn(fd, static_cast<int>(m_replaced), old)) {
        return true;
    }

    // The new bytes go into the old file itself, behind a flushed backup of the old ones.
    RemoveAside(m_aside);
    close(fd);
    m_handle = std::exchange(m_replaced, kNoHandle);
    m_state = EState::kOpen;
    const int held = static_cast<int>(m_handle);
    const bool readable = (fcntl(held, F_GETFL) & O_ACCMODE) == O_RDWR;
    const CDescriptor copy(readable ? CreateAside(backup, kPrivateFileMode) : -1);
    if (copy.Get() < 0 || !CopyWhole(held, copy.Get()) || !SyncFolder(backup)) {
        if (copy.Get() >= 0) {
            RemoveAside(backup);
        }
        Close();
        return false;
    }
    m_aside.swap(backup);
    // No signal may leave the database half old and half new.
    g_inPlace = true;
    m_state = EState::kInPlace;
    if (ftruncate(held, 0) != 0) {
        Close();
        return false;
    }
    return true;
}

bool CFile::Commit() {
    if (m_state != EState::kBeside && m_state != EState::kInPlace) {
        return false;
    }
    const int fd = static_cast<int>(m_handle);
    bool done = fsync(fd) == 0;
    if (m_state == EState::kInPlace) {
        // Where the new bytes may not be on the disk, the old ones go back.
        if (!done) {
            Discard();
        } else {
            RemoveAside(m_aside);
            SyncFolder(m_path);
            EndInPlace();
        }
    } else {
        // Unnamed first: once renamed, the name may be another run's.
        ClearPending();
        done = done && PutInPlace(m_aside, m_path, static_cast<int>(m_replaced));
        if (!done) {
            unlink(m_aside.c_str());
        }
        // Only now, with its folder on the disk, is the database there to stay.
        done = done && SyncFolder(m_path);
        if (m_replaced != kNoHandle) {
            CloseHandle(std::exchange(m_replaced, kNoHandle));
        }
    }
    m_state = EState::kOpen;
    return Close() && done;
}

void CFile::Discard() {
    if (m_state == EState::kInPlace) {
        // A backup that cannot be put back stays: the next open puts it back.
        PutBackupBack(static_cast<int>(m_handle), m_aside);
        ClearPending();
        EndInPlace();
    } else {
        RemoveAside(m_aside);
        if (m_replaced != kNoHandle) {
            CloseHandle(std::exchange(m_replaced, kNoHandle));
        }
    }
    m_state = EState::kOpen;
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
    const CPiece piece{data, size};
    return WriteGathered(&piece, 1);
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

void AdviseHugePages(void* memory, std::size_t size) {
    madvise(memory, size, MADV_HUGEPAGE);
}
