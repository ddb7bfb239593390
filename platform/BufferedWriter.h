#pragma once

#include <cstddef>
#include <vector>

#include "platform/File.h"

// Writes a file through a buffer. After the first failed write it drops
// everything further, so a caller need only check once, after Flush.
class CBufferedWriter {
public:
    static constexpr std::size_t kBufferSize = 4096;
    // Uncopied pieces handed to the system in one gathered write: 4 MB of records.
    static constexpr std::size_t kMaxPending = 1024;

    explicit CBufferedWriter(CFile& file);

    // Writes a copy of `size` bytes at `data`.
    void Write(const void* data, std::size_t size);
    // Writes `size` bytes that stay where they are, unchanged, until the next
    // Flush: they are written from there, not copied, many to a system call.
    void WriteUncopied(const void* data, std::size_t size);
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

// The size of a huge page where the system has them.
constexpr std::size_t kHugePageSize = std::size_t{2} << 20;

// Asks the system to back `size` bytes at `memory`, whole huge pages aligned
// to kHugePageSize, with huge pages: the records a gathered write takes are
// many, and a page fault for each is most of the time a large conversion
// takes. Advice only: without huge pages the memory serves just as well.
void AdviseHugePages(void* memory, std::size_t size);
