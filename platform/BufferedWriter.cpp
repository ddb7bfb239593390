#include "platform/BufferedWriter.h"

#include <algorithm>
#include <cstring>

#include "platform/File.h"

CBufferedWriter::CBufferedWriter(CFile& file) : m_file(file), m_buffer(kBufferSize) {
    m_pending.reserve(kMaxPending);
}

void CBufferedWriter::Write(const void* data, std::size_t size) {
    // What was handed over earlier goes first.
    FlushPending();
    const auto* in = static_cast<const unsigned char*>(data);
    while (size > 0 && !m_failed) {
        if (m_used == m_buffer.size()) {
            FlushBuffer();
            continue;
        }
        const std::size_t piece = std::min(size, m_buffer.size() - m_used);
        std::memcpy(m_buffer.data() + m_used, in, piece);
        m_used += piece;
        in += piece;
        size -= piece;
    }
}

void CBufferedWriter::WriteUncopied(const void* data, std::size_t size) {
    FlushBuffer();
    if (m_failed || size == 0) {
        return;
    }
    m_pending.push_back({data, size});
    if (m_pending.size() == kMaxPending) {
        FlushPending();
    }
}

bool CBufferedWriter::Flush() {
    FlushBuffer();
    FlushPending();
    return !m_failed;
}

void CBufferedWriter::FlushBuffer() {
    if (!m_failed && m_used > 0) {
        m_failed = !m_file.Write(m_buffer.data(), m_used);
    }
    m_used = 0;
}

void CBufferedWriter::FlushPending() {
    if (!m_failed && !m_pending.empty()) {
        m_failed = !m_file.WriteGathered(m_pending.data(), m_pending.size());
    }
    m_pending.clear();
}
