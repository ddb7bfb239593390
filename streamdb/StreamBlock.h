#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Where the records of a database come from: many, of one size, all in use
// until the database is written. They are carved from large pieces, which
// the system backs with huge pages where it has them, so a database of 65535
// records costs some 130 page faults rather than 65535, which is most of the
// time a conversion takes; a record given back is kept for the next one.
// Unlike the standard pools it stays whole when memory runs out: the request
// fails with std::bad_alloc and nothing else changes.
class CRecordPool {
public:
    CRecordPool() = default;
    ~CRecordPool() { Release(); }
    CRecordPool(const CRecordPool&) = delete;
    CRecordPool& operator=(const CRecordPool&) = delete;

    unsigned char* Allocate();
    void Free(unsigned char* record);
    // Gives every piece back; no record taken before may be used after.
    void Release();

private:
    struct CPiece {
        void* memory;
        std::size_t records;
    };
    // A record given back, holding the next one given back before it.
    struct CFreeRecord {
        CFreeRecord* next;
    };

    std::vector<CPiece> m_pieces;
    unsigned char* m_next = nullptr;  // the unused part of the newest piece
    unsigned char* m_end = nullptr;
    CFreeRecord* m_free = nullptr;
};

// One record of a stream database. It owns the record's bytes: the 8-byte
// block header, up to 4088 bytes of the input, and filler to the full size.
class CStreamBlock {
public:
    static constexpr std::uint32_t kRecordSize = 4096;
    static constexpr std::size_t kHeaderSize = 8;
    static constexpr std::size_t kMaxPayload = kRecordSize - kHeaderSize;
    static constexpr unsigned char kFiller = 0x55;

    // A new block holds nothing: size 0, no buffer. Its buffer, once it has
    // one, comes from `pool`.
    explicit CStreamBlock(CRecordPool& pool) : m_pool(pool) {}
    ~CStreamBlock() { FreeData(); }
    CStreamBlock(const CStreamBlock&) = delete;
    CStreamBlock& operator=(const CStreamBlock&) = delete;

    // Takes a buffer of kRecordSize bytes, filled with kFiller, and copies
    // `length` (at most kRecordSize) bytes from `bytes` to its start.
    void SetData(const unsigned char* bytes, std::size_t length);
    // Returns the buffer, if any, to the pool.
    void FreeData();

    // Bytes the record takes in the file; 0 while no buffer is held.
    std::uint32_t GetSize() const { return m_data != nullptr ? kRecordSize : 0; }
    const unsigned char* GetData() const { return m_data; }

private:
    CRecordPool& m_pool;
    unsigned char* m_data = nullptr;
};
