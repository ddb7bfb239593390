#include "platform/BufferedReader.h"

#include <algorithm>
#include <cstring>

#include "platform/File.h"

CBufferedReader::CBufferedReader(CFile& file, std::size_t bufferSize)
    : m_file(file), m_buffer(bufferSize) {}

std::size_t CBufferedReader::Read(void* buffer, std::size_t size) {
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        if (m_next == m_end) {
            if (m_atEnd || m_failed) {
                break;
            }
            // What would not fit the buffer anyway goes straight into place.
            const bool direct = size - done >= m_buffer.size();
            const std::ptrdiff_t got = direct ? m_file.Read(out + done, size - done)
                                              : m_file.Read(m_buffer.data(), m_buffer.size());
            if (got <= 0) {
                m_failed = got < 0;
                m_atEnd = true;
                break;
            }
            if (direct) {
                done += static_cast<std::size_t>(got);
                continue;
            }
            m_next = 0;
            m_end = static_cast<std::size_t>(got);
        }
        const std::size_t piece = std::min(size - done, m_end - m_next);
        std::memcpy(out + done, m_buffer.data() + m_next, piece);
        m_next += piece;
        done += piece;
    }
    return done;
}
