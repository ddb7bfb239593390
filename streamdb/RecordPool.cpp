#include "streamdb/RecordPool.h"

#include <algorithm>
#include <new>

namespace {

constexpr std::size_t kPieceAlignment = alignof(std::max_align_t);

}  // namespace

CRecordPool::CRecordPool(std::size_t recordSize, const CPieceSizes& pieces,
                         std::pmr::memory_resource& upstream)
    : m_recordSize(std::max(recordSize, sizeof(CFreeRecord))),
      m_pieceSizes(pieces),
      m_nextPieceRecords(pieces.firstRecords),
      m_upstream(upstream) {}

CRecordPool::~CRecordPool() {
    Release();
}

void CRecordPool::Release() {
    for (const CPiece& piece : m_pieces) {
        m_upstream.deallocate(piece.memory, piece.size, kPieceAlignment);
    }
    m_pieces.clear();
    m_next = m_end = nullptr;
    m_free = nullptr;
    m_nextPieceRecords = m_pieceSizes.firstRecords;
}

bool CRecordPool::IsRecord(std::size_t bytes, std::size_t alignment) const {
    return bytes == m_recordSize && alignment <= alignof(std::max_align_t);
}

void* CRecordPool::do_allocate(std::size_t bytes, std::size_t alignment) {
    if (!IsRecord(bytes, alignment)) {
        return m_upstream.allocate(bytes, alignment);
    }
    if (m_free != nullptr) {
        CFreeRecord* const record = m_free;
        m_free = record->next;
        return record;
    }
    if (m_next == m_end) {
        // Room for the piece's entry first: once the memory is taken, nothing may fail.
        m_pieces.reserve(m_pieces.size() + 1);
        const std::size_t size = m_nextPieceRecords * m_recordSize;
        void* const memory = m_upstream.allocate(size, kPieceAlignment);
        m_pieces.push_back({memory, size});
        m_next = static_cast<unsigned char*>(memory);
        m_end = m_next + size;
        m_nextPieceRecords = m_pieces.size() == 1
                                 ? m_pieceSizes.secondRecords
                                 : std::min(m_nextPieceRecords * 2, m_pieceSizes.mostRecords);
    }
    void* const record = m_next;
    m_next += m_recordSize;
    return record;
}

void CRecordPool::do_deallocate(void* memory, std::size_t bytes, std::size_t alignment) {
    if (!IsRecord(bytes, alignment)) {
        m_upstream.deallocate(memory, bytes, alignment);
        return;
    }
    m_free = new (memory) CFreeRecord{m_free};
}

bool CRecordPool::do_is_equal(const std::pmr::memory_resource& other) const noexcept {
    return this == &other;
}
