#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <memory_resource>
#include <string>
#include <vector>

#include "streamdb/RecordPool.h"
#include "streamdb/StreamBlock.h"

class CBufferedWriter;
class CCharacterEncoder;

// The records of one stream database, in record order, held until the whole
// file can be written: its record list needs their number and offsets. The
// list owns its blocks and they own their buffers.
class CStreamBlockArray {
public:
    CStreamBlockArray();

    // The record count is a 16-bit field.
    static constexpr std::size_t kMaxBlocks = 0xFFFF;

    // Appends a new block holding the `length` bytes at `bytes`: a block
    // header and its payload.
    void AddBlock(const unsigned char* bytes, std::size_t length);
    // Releases every block and its buffer.
    void RemoveAll();
    std::size_t GetCount() const { return m_blocks.size(); }

    // Writes the complete database, stamped with the current local time, to
    // `output`; the file behind it names the database. Write errors show in
    // the writer.
    void WriteDatabase(CBufferedWriter& output) const;
    void WriteDatabase(CBufferedWriter& output, std::uint32_t timestamp) const;
    // The same, named in the code page `codePage` writes.
    void WriteDatabase(CBufferedWriter& output, const CCharacterEncoder& codePage) const;

private:
    void WriteNamedDatabase(CBufferedWriter& output, const std::string& name,
                            std::uint32_t timestamp) const;

    // Where the blocks' buffers come from: a pool over large pieces of the
    // record memory, to which a block's FreeData returns its record for the
    // next one. Made before the blocks, gone after them.
    CRecordPool m_recordMemory;
    std::vector<std::unique_ptr<CStreamBlock>> m_blocks;
};
