// How a database takes the place of another, or of none: a new file beside
// it, flushed, renamed over it; or, where a new file cannot stand in for the
// old one, the old one written over in place behind a flushed backup copy.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "common/PathHelpers.h"
#include "platform/File.h"
#include "platform/FileHandles.h"
#include "platform/PathRules.h"
#include "platform/UnfinishedName.h"
#include "platform/posix/EndingSignals.h"

namespace {

// A new database's mode, less what the mask or the folder's default ACL takes.
constexpr mode_t kNewFileMode = 0666;
// A file only this run may open until it is given the old one's mode.
constexpr mode_t kPrivateFileMode = 0600;
constexpr mode_t kPermissionBits = 07777;
constexpr char kTemplateEnding[] = "XXXXXX";
constexpr std::size_t kEndingLength = sizeof kTemplateEnding - 1;
constexpr int kNameAttempts = 100;
// Where a file system cannot make a file locked before it has a name, a
// file this young may be another run's that it has not locked yet.
constexpr time_t kLockingGrace = 10;
constexpr std::size_t kCopyPiece = 64 * 1024;
constexpr std::size_t kLongestAttributeList = 64 * 1024;

// Closes a descriptor when the scope ends.
class CDescriptor {
public:
    explicit CDescriptor(int fd = -1) : m_fd(fd) {}
    ~CDescriptor() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    CDescriptor(const CDescriptor&) = delete;
    CDescriptor& operator=(const CDescriptor&) = delete;
    int Get() const { return m_fd; }
    int Release() {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

bool IsFreeName(const std::string& name) {
    struct stat info {};
    return lstat(name.c_str(), &info) != 0 && errno == ENOENT;
}

bool IsSameFile(const struct stat& one, const struct stat& other) {
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

std::string FolderOf(const std::string& path) {
    return path.substr(0, path.size() - GetNamePart(path, kPathRules).size());
}

const char* FolderToOpen(const std::string& folder) {
    return folder.empty() ? "." : folder.c_str();
}

// A unique ending for a name, in the letters mkstemp uses.
void MakeEnding(std::string& path) {
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char random[kEndingLength];
    if (getrandom(random, sizeof random, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof random)) {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        const auto seed =
            static_cast<unsigned long>(now.tv_nsec) ^ static_cast<unsigned long>(getpid());
        for (std::size_t i = 0; i < sizeof random; ++i) {
            random[i] = static_cast<unsigned char>(seed >> (i * 5));
        }
    }
    for (std::size_t i = 0; i < kEndingLength; ++i) {
        path[path.size() - kEndingLength + i] = kLetters[random[i] % (sizeof kLetters - 1)];
    }
}

// A new file of `mode` (less what the mask or the folder's default ACL
// takes, as for any new file) named `path`: its start, then kTemplateEnding,
// which becomes unique. -1 when none can be made.
int CreateNamed(std::string& path, mode_t mode) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        MakeEnding(path);
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// As CreateNamed, the file locked before any other run can see it, and
// listed for removal by an ending signal. Call with the ending signals
// blocked.
int CreateUnfinished(const std::string& folder, std::string& path, mode_t mode) {
    // Where the file system can, the file is made without a name, locked,
    // and only then named.
    CDescriptor unnamed(open(FolderToOpen(folder), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
    if (unnamed.Get() >= 0 && flock(unnamed.Get(), LOCK_EX | LOCK_NB) == 0) {
        const std::string self = "/proc/self/fd/" + std::to_string(unnamed.Get());
        for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
            MakeEnding(path);
            if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                if (!ListForRemoval(path)) {
                    unlink(path.c_str());
                    return -1;
                }
                return unnamed.Release();
            }
            if (errno != EEXIST) {
                break;
            }
        }
    }
    CDescriptor named(CreateNamed(path, mode));
    if (named.Get() < 0) {
        return -1;
    }
    if (flock(named.Get(), LOCK_EX | LOCK_NB) != 0 || !ListForRemoval(path)) {
        unlink(path.c_str());
        return -1;
    }
    return named.Release();
}

// Removes the unfinished files in `folder` whose names start as `start`
// does and that no run holds any more: left by a crash, a power cut or a
// kill that no program can catch.
void RemoveLeftovers(const std::string& folder, const std::string& start) {
    const std::string startName = GetNamePart(start, kPathRules);
    DIR* const listing = opendir(FolderToOpen(folder));
    if (listing == nullptr) {
        return;
    }
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    while (const dirent* entry = readdir(listing)) {
        const std::size_t length = std::strlen(entry->d_name);
        if (length != startName.size() + kEndingLength ||
            std::strncmp(entry->d_name, startName.c_str(), startName.size()) != 0) {
            continue;
        }
        const std::string path = folder + entry->d_name;
        const CDescriptor leftover(
            open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat held {};
        struct stat named {};
        if (leftover.Get() < 0 || fstat(leftover.Get(), &held) != 0 || !S_ISREG(held.st_mode) ||
            flock(leftover.Get(), LOCK_EX | LOCK_NB) != 0) {
            continue;
        }
        const bool young = held.st_size == 0 && now.tv_sec - held.st_ctim.tv_sec < kLockingGrace;
        if (!young && lstat(path.c_str(), &named) == 0 && IsSameFile(held, named)) {
            unlink(path.c_str());
        }
    }
    closedir(listing);
}

// A renamed file keeps its new name after a power cut only once its folder
// is on the disk. A folder that cannot be opened, or a file system that
// cannot flush folders, leaves nothing to do.
bool SyncFolder(const std::string& folder) {
    const CDescriptor fd(open(FolderToOpen(folder), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.Get() < 0 || fsync(fd.Get()) == 0 || errno == EINVAL;
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

// Copies `size` bytes from the start of `from` to the start of `to`.
bool CopyBytes(int from, int to, off_t size) {
    char piece[kCopyPiece];
    for (off_t at = 0; at < size;) {
        const ssize_t got = pread(from, piece, sizeof piece, at);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        for (ssize_t put = 0; put < got;) {
            const ssize_t wrote =
                pwrite(to, piece + put, static_cast<std::size_t>(got - put), at + put);
            if (wrote < 0 && errno == EINTR) {
                continue;
            }
            if (wrote <= 0) {
                return false;
            }
            put += wrote;
        }
        at += got;
    }
    return true;
}

// A flushed copy of the held file `fd` beside it, named from `start`.
bool MakeBackup(int fd, const std::string& folder, std::string& path) {
    struct stat old {};
    if ((fcntl(fd, F_GETFL) & O_ACCMODE) != O_RDWR || fstat(fd, &old) != 0) {
        return false;
    }
    CDescriptor backup(CreateNamed(path, kPrivateFileMode));
    if (backup.Get() < 0) {
        return false;
    }
    if (!CopyBytes(fd, backup.Get(), old.st_size) || fsync(backup.Get()) != 0 ||
        !SyncFolder(folder)) {
        unlink(path.c_str());
        return false;
    }
    return true;
}

// Puts the backup's bytes back into the held file; the backup goes once they
// are on the disk, and stays, the old database, should they not get there.
bool RestoreBackup(int fd, const std::string& path) {
    const CDescriptor backup(open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat info {};
    if (backup.Get() < 0 || fstat(backup.Get(), &info) != 0 || ftruncate(fd, 0) != 0 ||
        !CopyBytes(backup.Get(), fd, info.st_size) || fsync(fd) != 0) {
        return false;
    }
    unlink(path.c_str());
    return true;
}

// Gives the finished file at `from` the name `to`: in place of the file held
// by `replaced`, or where nothing is.
bool PutInPlace(const std::string& from, const std::string& to, std::intptr_t replaced) {
    if (replaced != -1) {
        // Only the file the user agreed to replace is replaced; one that
        // went away meanwhile leaves the name free.
        struct stat held {};
        struct stat named {};
        if (fstat(static_cast<int>(replaced), &held) != 0) {
            return false;
        }
        if (lstat(to.c_str(), &named) == 0) {
            return IsSameFile(held, named) && rename(from.c_str(), to.c_str()) == 0;
        }
        if (errno != ENOENT) {
            return false;
        }
    }
    // Linux's own flag: the rename never takes a name another file has.
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

}  // namespace

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
    const std::string folder = FolderOf(path);
    const std::string start =
        folder + MakeUnfinishedName(GetNamePart(path, kPathRules), kEndingLength, ENameUnit::kByte);
    std::string unfinished = start + kTemplateEnding;
    std::string backup =
        folder + MakeBackupName(GetNamePart(path, kPathRules), kEndingLength, ENameUnit::kByte) +
        kTemplateEnding;
    RemoveLeftovers(folder, start);

    int fd = -1;
    {
        const CEndingSignalsBlocked blocked;
        // A new database is made as any new file is; a replacement is this
        // run's alone until it has the old one's mode.
        fd = CreateUnfinished(folder, unfinished, replacing ? kPrivateFileMode : kNewFileMode);
    }
    if (fd < 0) {
        return false;
    }
    m_handle = fd;
    m_path.swap(path);
    m_unfinishedPath.swap(unfinished);
    std::swap(m_replacedHandle, replaced.m_handle);
    if (!replacing || CanStandIn(fd, static_cast<int>(m_replacedHandle), old)) {
        return true;
    }

    // The new bytes go into the old file itself, behind a backup of the old ones.
    {
        const CEndingSignalsBlocked blocked;
        unlink(m_unfinishedPath.c_str());
        UnlistForRemoval(m_unfinishedPath);
    }
    m_unfinishedPath.clear();
    CloseFileHandle(m_handle);
    m_handle = m_replacedHandle;
    m_replacedHandle = kNoHandle;
    if (!MakeBackup(static_cast<int>(m_handle), folder, backup)) {
        Close();
        return false;
    }
    m_backupPath.swap(backup);
    // No signal may leave the database half old and half new.
    HoldEndingSignals();
    if (ftruncate(static_cast<int>(m_handle), 0) != 0) {
        Close();
        return false;
    }
    return true;
}

bool CFile::Commit() {
    if (!IsOpen() || (m_unfinishedPath.empty() && m_backupPath.empty())) {
        return false;
    }
    const std::string folder = FolderOf(m_path);
    const int fd = static_cast<int>(m_handle);
    bool done = fsync(fd) == 0;
    if (!m_backupPath.empty()) {
        if (done) {
            unlink(m_backupPath.c_str());
            SyncFolder(folder);
        } else {
            RestoreBackup(fd, m_backupPath);
        }
        m_backupPath.clear();
        ReleaseEndingSignals();
    } else {
        {
            const CEndingSignalsBlocked blocked;
            done = done && PutInPlace(m_unfinishedPath, m_path, m_replacedHandle);
            if (!done) {
                unlink(m_unfinishedPath.c_str());
            }
            UnlistForRemoval(m_unfinishedPath);
        }
        m_unfinishedPath.clear();
        // Only now, with its folder on the disk, is the database there to stay.
        done = done && SyncFolder(folder);
    }
    if (m_replacedHandle != kNoHandle) {
        CloseFileHandle(m_replacedHandle);
        m_replacedHandle = kNoHandle;
    }
    m_handle = kNoHandle;
    return CloseFileHandle(fd) && done;
}

void CFile::Discard() {
    if (!m_backupPath.empty()) {
        RestoreBackup(static_cast<int>(m_handle), m_backupPath);
        m_backupPath.clear();
        ReleaseEndingSignals();
        return;
    }
    {
        const CEndingSignalsBlocked blocked;
        unlink(m_unfinishedPath.c_str());
        UnlistForRemoval(m_unfinishedPath);
    }
    m_unfinishedPath.clear();
    if (m_replacedHandle != kNoHandle) {
        CloseFileHandle(m_replacedHandle);
        m_replacedHandle = kNoHandle;
    }
}
