#include "platform/BufferedWriter.h"

#include <algorithm>
#include <cstring>

#include "platform/File.h"

CBufferedWriter::CBufferedWriter(CFile& file) : m_file(file), m_buffer(kBufferSize) {}

void CBufferedWriter::Write(const void* data, std::size_t size) {
    const auto* in = static_cast<const unsigned char*>(data);
    while (size > 0 && !m_failed) {
        if (m_used == m_buffer.size()) {
            Flush();
            continue;
        }
        const std::size_t piece = std::min(size, m_buffer.size() - m_used);
        std::memcpy(m_buffer.data() + m_used, in, piece);
        m_used += piece;
        in += piece;
        size -= piece;
    }
}

void CBufferedWriter::WriteGathered(const std::vector<CFile::CPiece>& pieces) {
    if (Flush() && !m_file.WriteGathered(pieces.data(), pieces.size())) {
        m_failed = true;
    }
}

bool CBufferedWriter::Flush() {
    if (!m_failed && m_used > 0) {
        m_failed = !m_file.Write(m_buffer.data(), m_used);
    }
    m_used = 0;
    return !m_failed;
}
