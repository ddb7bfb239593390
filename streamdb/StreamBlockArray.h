#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/FileMapping.h"
#include "streamdb/StreamBlock.h"

class CBufferedWriter;

// The records of one stream database, in record order, held until the whole
// file can be written: its record list needs their number and offsets. The
// list holds the input bytes its blocks carry.
class CStreamBlockArray {
public:
    // The record count is a 16-bit field.
    static constexpr std::size_t kMaxBlocks = 0xFFFF;

    // Appends a block of `length` bytes at `payload`, which must stay where
    // they are as long as the list (see HoldInput and MakeInputPiece).
    void AddBlock(const unsigned char* payload, std::size_t length);
    // Cuts `length` bytes at `bytes` into blocks of full payloads, the last
    // one shorter, and appends them.
    void AddBlocks(const unsigned char* bytes, std::size_t length);
    // Keeps a mapped input as long as the list.
    void HoldInput(CFileMapping mapping);
    // Memory of `size` bytes, kept as long as the list, to read input into.
    unsigned char* MakeInputPiece(std::size_t size);

    std::size_t GetCount() const { return m_blocks.size(); }
    const CStreamBlock& GetAt(std::size_t index) const { return m_blocks[index]; }

    // Writes the complete database, stamped with the current local time, to
    // `output`; the file behind it names the database. Write errors show in
    // the writer.
    void WriteDatabase(CBufferedWriter& output) const;
    void WriteDatabase(CBufferedWriter& output, std::uint32_t timestamp) const;

private:
    void WriteRecords(CBufferedWriter& output) const;

    std::vector<CFileMapping> m_mappedInputs;
    std::vector<std::vector<unsigned char>> m_inputPieces;
    std::vector<CStreamBlock> m_blocks;
};
