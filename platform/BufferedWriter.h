#pragma once

#include <cstddef>
#include <vector>

#include "platform/File.h"

// Writes a file through a buffer. After the first failed write it drops
// everything further, so a caller need only check once, after Flush.
class CBufferedWriter {
public:
    static constexpr std::size_t kBufferSize = 4096;
    // Lasting pieces handed to the system in one gathered write: 4 MB of records.
    static constexpr std::size_t kMaxPending = 1024;

    explicit CBufferedWriter(CFile& file);

    // Writes a copy of `size` bytes at `data`.
    void Write(const void* data, std::size_t size);
    // Writes `size` bytes that stay where they are, unchanged, until the next
    // Flush: they are written from there, not copied, many to a system call.
    void WriteLasting(const void* data, std::size_t size);
    // Writes out everything handed over; false if any write so far has failed.
    bool Flush();
    bool HasFailed() const { return m_failed; }
    CFile& GetFile() const { return m_file; }

private:
    void FlushBuffer();
    void FlushPending();

    CFile& m_file;
    std::vector<unsigned char> m_buffer;
    std::size_t m_used = 0;
    std::vector<CFile::CPiece> m_pending;
    bool m_failed = false;
};
