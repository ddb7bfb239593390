#pragma once

#include <cstddef>
#include <vector>

#include "platform/File.h"

// Writes a file through a buffer. After the first failed write it drops
// everything further, so a caller need only check once, after Flush.
class CBufferedWriter {
public:
    static constexpr std::size_t kBufferSize = 4096;

    explicit CBufferedWriter(CFile& file);

    void Write(const void* data, std::size_t size);
    // Writes `pieces` in order behind what the buffer holds, straight to the
    // file, in as few writes as the system allows.
    void WriteGathered(const std::vector<CFile::CPiece>& pieces);
    // Writes out what the buffer holds; false if any write so far has failed.
    bool Flush();
    bool HasFailed() const { return m_failed; }
    CFile& GetFile() const { return m_file; }

private:
    CFile& m_file;
    std::vector<unsigned char> m_buffer;
    std::size_t m_used = 0;
    bool m_failed = false;
};
