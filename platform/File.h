#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

// A file opened without sharing: while one CFile holds it, any other open of
// the same file, by this program or another, fails.
//
// A file is written whole or not at all: OpenReplacement makes a new, hidden
// file beside the name, and only Commit, once every byte is on the disk, puts
// it under that name. Until then the name leads to what it led to before.
class CFile {
public:
    enum class EOpenMode {
        kReadExisting,   // an existing regular file, for reading
        kWriteExisting,  // an existing, writable regular file; nothing cut or created
    };

    CFile() = default;
    // An uncommitted replacement is taken back; the file it was to replace stays.
    ~CFile() { Close(); }
    CFile(CFile&& other) noexcept { Swap(other); }
    CFile& operator=(CFile&& other) noexcept {
        if (this != &other) {
            Close();
            Swap(other);
        }
        return *this;
    }
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Opens `name` (resolved in the working folder). A read-only file never
    // opens for writing, anything but a regular file never opens at all, and
    // for writing not even a link to one. Opened for writing, a file that an
    // interrupted in-place write left half new gets its old bytes back first.
    bool Open(const std::string& name, EOpenMode mode);

    // Opens, for writing, a new file that is to take the name `name` in
    // Commit. `replaced` is the file of that name, held open since it was
    // found, whose place the new one takes, keeping what the system says of
    // who may use it; without one, nothing of that name may exist at Commit.
    // The full path and title are those of `name`.
    bool OpenReplacement(const std::string& name, CFile replaced);
    // Flushes the new file to the disk and gives it its name, closing it and
    // the file it replaces. False when any step fails: the name then leads to
    // what it led to before, but when the last step, flushing the folder
    // itself, failed after the new file took the name.
    bool Commit();

    bool IsOpen() const { return m_state != EState::kClosed; }
    // Closes the file, taking back a replacement that was not committed;
    // false when the system reports that written data was lost.
    bool Close();

    // Whether the file is still as it was when it was opened: its size and
    // its times of modification and change, as far as their grain tells.
    bool IsUnchanged() const;

    // Bytes read, 0 at the end of the file, -1 on a read error.
    std::ptrdiff_t Read(void* buffer, std::size_t size);
    // Writes all `size` bytes or reports failure.
    bool Write(const void* data, std::size_t size);
    // One stretch of memory a gathered write takes.
    struct CPiece {
        const void* data;
        std::size_t size;
    };
    // Writes `pieces` in order as one Write of them laid end to end would.
    bool WriteGathered(const CPiece* pieces, std::size_t count);

    // The full path formed when the file was opened.
    const std::string& GetFilePath() const { return m_path; }
    // The file name part of the full path.
    std::string GetFileName() const;
    // The name the desktop shows for the file; empty when it has none.
    std::string GetFileTitle() const;

private:
    enum class EState {
        kClosed,
        kOpen,     // a file as it was found
        kBeside,   // a new file at m_aside, which Commit gives the name
        kInPlace,  // the replaced file itself written over; its old bytes at m_aside
    };
    // What the system returns for a handle it could not open, on both platforms.
    static constexpr std::intptr_t kNoHandle = -1;

    // What tells one state of a file from another.
    struct CStamp {
        std::int64_t size = 0;
        std::int64_t modified = 0;
        std::int64_t changed = 0;
        bool operator==(const CStamp& other) const {
            return size == other.size && modified == other.modified && changed == other.changed;
        }
    };
    static bool ReadStamp(std::intptr_t handle, CStamp& stamp);

    // The platform's part: a handle on the regular file `name`, whose full
    // path is `path`, held without sharing (kNoHandle when it cannot be); its
    // closing, false when written data was lost; the full path of `name`.
    static std::intptr_t OpenHandle(const std::string& name, const std::string& path,
                                    EOpenMode mode);
    static bool CloseHandle(std::intptr_t handle);
    static std::string MakeFullPath(const std::string& name);

    // The hidden file beside the full path `path` for one of its files in
    // the making, named by `mark`: a user who finds one left by a crash knows
    // what it is. Its name is cut before the character that would make it
    // pass the longest name a folder holds, counted in bytes or, where
    // `inUtf16Units`, as Windows counts it.
    static std::string MakeAsidePath(const std::string& path, std::string_view mark);
    static std::string MakeAsideName(std::string_view name, std::string_view mark,
                                     bool inUtf16Units);

    // Takes back an uncommitted replacement and lets go of the file it was
    // to replace, as it was.
    void Discard();
    void Swap(CFile& other) noexcept {
        std::swap(m_state, other.m_state);
        std::swap(m_handle, other.m_handle);
        std::swap(m_path, other.m_path);
        std::swap(m_opened, other.m_opened);
        std::swap(m_aside, other.m_aside);
        std::swap(m_replaced, other.m_replaced);
    }

    EState m_state = EState::kClosed;
    std::intptr_t m_handle = kNoHandle;
    std::string m_path;
    CStamp m_opened;
    std::string m_aside;
    // Of a replacement beside its name: the held file it replaces.
    std::intptr_t m_replaced = kNoHandle;
};

// Makes `folder` the working folder, where names given to CFile resolve.
bool SetWorkingFolder(const std::string& folder);
