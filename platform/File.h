#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A file opened without sharing: while one CFile holds it, any other open of
// the same file, by this program or another, fails.
class CFile {
public:
    enum class EOpenMode {
        kReadExisting,      // an existing regular file, for reading
        kWriteExisting,     // an existing regular file, for writing; nothing cut or created
        kCreateOrTruncate,  // a new file, or an existing one emptied, for writing
    };

    CFile() = default;
    ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Opens `name` (resolved in the working folder). A read-only file never
    // opens for writing, and anything but a regular file never opens at all.
    bool Open(const std::string& name, EOpenMode mode);
    bool IsOpen() const { return m_handle != kNoHandle; }

    // Closes the file; false when the system reports that written data was lost.
    bool Close();
    // Deletes the file it holds and closes it; used to take back a partial output.
    bool Remove();

    // Cuts the open file to length 0; the next write lands at offset 0.
    bool Truncate();
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

    // The system's handle of the open file, for the platform's own use.
    std::intptr_t GetHandle() const { return m_handle; }

private:
    static constexpr std::intptr_t kNoHandle = -1;

    std::intptr_t m_handle = kNoHandle;
    std::string m_path;
};
