#include "streamdb/StreamBlock.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/BufferedWriter.h"

namespace {

// The pieces the records come in. The first, a record short of a huge page,
// is left to the ordinary heap: a small puzzle touches only what it uses.
// The rest, whole huge pages growing to 64 MB, go to huge pages; after that
// first piece, the largest database fills them to its last record, and no
// huge page is paid for a record's worth of it.
constexpr std::size_t kRecordsPerHugePage = kHugePageSize / CStreamBlock::kRecordSize;
constexpr std::size_t kFirstPieceRecords = kRecordsPerHugePage - 1;
constexpr std::size_t kMostPieceRecords = 32 * kRecordsPerHugePage;

std::align_val_t AlignmentOf(std::size_t piece) {
    return std::align_val_t{piece == 0 ? alignof(std::max_align_t) : kHugePageSize};
}

}  // namespace

unsigned char* CRecordPool::Allocate() {
    if (m_free != nullptr) {
        CFreeRecord* const record = m_free;
        m_free = record->next;
        return reinterpret_cast<unsigned char*>(record);
    }
    if (m_next == m_end) {
        const std::size_t records = m_pieces.empty() ? kFirstPieceRecords
                                    : m_pieces.size() == 1
                                        ? kRecordsPerHugePage
                                        : std::min(m_pieces.back().records * 2, kMostPieceRecords);
        const std::size_t size = records * CStreamBlock::kRecordSize;
        // Room for the piece's entry first: once the memory is taken, nothing may fail.
        m_pieces.reserve(m_pieces.size() + 1);
        void* const memory = ::operator new(size, AlignmentOf(m_pieces.size()));
        if (!m_pieces.empty()) {
            AdviseHugePages(memory, size);
        }
        m_pieces.push_back({memory, records});
        m_next = static_cast<unsigned char*>(memory);
        m_end = m_next + size;
    }
    unsigned char* const record = m_next;
    m_next += CStreamBlock::kRecordSize;
    return record;
}

void CRecordPool::Free(unsigned char* record) {
    m_free = new (record) CFreeRecord{m_free};
}

void CRecordPool::Release() {
    for (std::size_t i = 0; i < m_pieces.size(); ++i) {
        ::operator delete(m_pieces[i].memory, AlignmentOf(i));
    }
    m_pieces.clear();
    m_next = m_end = nullptr;
    m_free = nullptr;
}

void CStreamBlock::SetData(const unsigned char* bytes, std::size_t length) {
    FreeData();
    m_data = m_pool.Allocate();
    std::memset(m_data, kFiller, kRecordSize);
    std::memcpy(m_data, bytes, std::min<std::size_t>(length, kRecordSize));
}

void CStreamBlock::FreeData() {
    if (m_data != nullptr) {
        m_pool.Free(m_data);
        m_data = nullptr;
    }
}
