#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "streamdb/StreamBlock.h"

class CBufferedWriter;

// The records of one stream database, in record order, held until the whole
// file can be written: its record list needs their number and offsets.
class CStreamBlockArray {
public:
    // The record count is a 16-bit field.
    static constexpr std::size_t kMaxBlocks = 0xFFFF;

    void AddBlock(const unsigned char* bytes, std::size_t length);
    std::size_t GetCount() const { return m_blocks.size(); }
    const CStreamBlock& GetAt(std::size_t index) const { return m_blocks[index]; }

    // Writes the complete database, stamped with the current local time, to
    // `output`; the file behind it names the database. Write errors show in
    // the writer.
    void WriteDatabase(CBufferedWriter& output) const;
    void WriteDatabase(CBufferedWriter& output, std::uint32_t timestamp) const;

private:
    std::vector<CStreamBlock> m_blocks;
};
