#pragma once

#include <cstddef>
#include <memory_resource>
#include <vector>

// Records of one size, carved from pieces of an upstream memory: a first
// piece, then pieces that double from a second size up to a third; a record
// given back is kept for the next one asked for. Unlike the standard pools
// it stays whole when the upstream runs out of memory: the request then
// fails with std::bad_alloc and nothing else changes.
class CRecordPool final : public std::pmr::memory_resource {
public:
    struct CPieceSizes {
        std::size_t firstRecords;
        std::size_t secondRecords;
        std::size_t mostRecords;
    };

    CRecordPool(std::size_t recordSize, const CPieceSizes& pieces,
                std::pmr::memory_resource& upstream);
    ~CRecordPool() override;
    CRecordPool(const CRecordPool&) = delete;
    CRecordPool& operator=(const CRecordPool&) = delete;

    // Gives every piece back upstream; no record taken before may be used after.
    void Release();

private:
    struct CPiece {
        void* memory;
        std::size_t size;
    };
    // A record given back, holding the next one given back before it.
    struct CFreeRecord {
        CFreeRecord* next;
    };

    void* do_allocate(std::size_t bytes, std::size_t alignment) override;
    void do_deallocate(void* memory, std::size_t bytes, std::size_t alignment) override;
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override;
    bool IsRecord(std::size_t bytes, std::size_t alignment) const;

    std::size_t m_recordSize;
    CPieceSizes m_pieceSizes;
    std::size_t m_nextPieceRecords;
    std::pmr::memory_resource& m_upstream;
    std::vector<CPiece> m_pieces;
    unsigned char* m_next = nullptr;  // the unused part of the newest piece
    unsigned char* m_end = nullptr;
    CFreeRecord* m_free = nullptr;
};
