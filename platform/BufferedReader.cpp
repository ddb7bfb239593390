#include "platform/BufferedReader.h"

#include <algorithm>
#include <cstring>

namespace {

// Drops the first `size` bytes of `pieces`, and the pieces they fill up.
void UsePieces(std::vector<CFile::CPiece>& pieces, std::size_t& first, std::size_t size) {
    while (size > 0) {
        CFile::CPiece& piece = pieces[first];
        const std::size_t used = std::min(size, piece.size);
        piece.data = static_cast<unsigned char*>(piece.data) + used;
        piece.size -= used;
        size -= used;
        if (piece.size == 0) {
            ++first;
        }
    }
}

}  // namespace

CBufferedReader::CBufferedReader(CFile& file) : m_file(file), m_buffer(kBufferSize) {}

std::size_t CBufferedReader::Read(void* buffer, std::size_t size) {
    std::vector<CFile::CPiece> pieces{{buffer, size}};
    return Read(pieces);
}

std::size_t CBufferedReader::Read(std::vector<CFile::CPiece>& pieces) {
    std::size_t first = 0;
    while (first < pieces.size() && pieces[first].size == 0) {
        ++first;
    }
    std::size_t done = 0;
    while (first < pieces.size()) {
        if (m_next == m_end) {
            if (m_atEnd || m_failed) {
                break;
            }
            std::size_t wanted = 0;
            for (std::size_t i = first; i < pieces.size(); ++i) {
                wanted += pieces[i].size;
            }
            // What would not fit the buffer anyway goes straight into place.
            const bool direct = wanted >= m_buffer.size();
            const std::ptrdiff_t got =
                direct ? m_file.ReadScattered(&pieces[first], pieces.size() - first)
                       : m_file.Read(m_buffer.data(), m_buffer.size());
            if (got <= 0) {
                m_failed = got < 0;
                m_atEnd = true;
                break;
            }
            if (direct) {
                UsePieces(pieces, first, static_cast<std::size_t>(got));
                done += static_cast<std::size_t>(got);
                continue;
            }
            m_next = 0;
            m_end = static_cast<std::size_t>(got);
        }
        CFile::CPiece& piece = pieces[first];
        const std::size_t size = std::min(piece.size, m_end - m_next);
        std::memcpy(piece.data, m_buffer.data() + m_next, size);
        m_next += size;
        UsePieces(pieces, first, size);
        done += size;
    }
    return done;
}
