#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/BulkMemory.h"
#include "streamdb/StreamBlock.h"

class CBufferedWriter;

// The records of one stream database, in record order, held until the whole
// file can be written: its record list needs their number and offsets.
class CStreamBlockArray {
public:
    // The record count is a 16-bit field.
    static constexpr std::size_t kMaxBlocks = 0xFFFF;
    // Records lie side by side in pieces of memory that double from the first
    // to the largest size (one large page), so that a small puzzle takes
    // little and the largest database some hundred pieces, whose records
    // reach the file in a few large writes.
    static constexpr std::size_t kRecordsInFirstPiece = 16;
    static constexpr std::size_t kRecordsPerPiece = 512;

    // Appends a block whose record starts with `length` bytes of `bytes`,
    // which may lie in the memory GetFreeRecords gave out.
    void AddBlock(const unsigned char* bytes, std::size_t length);
    // The memory the next records will take, side by side, and how many of
    // them fit there; lets a caller land many payloads with one read.
    unsigned char* GetFreeRecords(std::size_t& count);
    std::size_t GetCount() const { return m_blocks.size(); }
    const CStreamBlock& GetAt(std::size_t index) const { return m_blocks[index]; }

    // Writes the complete database, stamped with the current local time, to
    // `output`; the file behind it names the database. Write errors show in
    // the writer.
    void WriteDatabase(CBufferedWriter& output) const;
    void WriteDatabase(CBufferedWriter& output, std::uint32_t timestamp) const;

private:
    std::vector<CBulkMemory> m_pieces;
    std::size_t m_freeInPiece = 0;
    std::vector<CStreamBlock> m_blocks;
};
