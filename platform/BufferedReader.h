#pragma once

#include <cstddef>
#include <vector>

class CFile;

// Reads a file through a buffer, delivering full pieces until the end. A
// request at least as large as the buffer is read straight into place.
class CBufferedReader {
public:
    static constexpr std::size_t kBufferSize = 4096;

    // A larger buffer fetches the file in fewer, larger reads.
    explicit CBufferedReader(CFile& file, std::size_t bufferSize = kBufferSize);

    // Fills `buffer` with `size` bytes, fewer only at the end of the file or
    // after a read error.
    std::size_t Read(void* buffer, std::size_t size);
    bool HasFailed() const { return m_failed; }
    CFile& GetFile() const { return m_file; }

private:
    CFile& m_file;
    std::vector<unsigned char> m_buffer;
    std::size_t m_next = 0;
    std::size_t m_end = 0;
    bool m_failed = false;
    bool m_atEnd = false;
};
