#pragma once

#include <cstddef>
#include <cstdint>

// One record of a stream database: a block header, payload and filler,
// always a full record in size. The record's memory is lent by the block list,
// which keeps its records side by side in large pieces.
class CStreamBlock {
public:
    static constexpr std::uint32_t kRecordSize = 4096;
    static constexpr unsigned char kFiller = 0x55;

    // `record` is where the block's kRecordSize bytes will lie.
    explicit CStreamBlock(unsigned char* record) : m_record(record) {}

    // Makes the record `length` bytes of `bytes` (at most kRecordSize), filled
    // up behind them. The bytes may already lie in the record's own memory.
    void SetData(const unsigned char* bytes, std::size_t length);
    // The block holds no data any more; its memory stays with the list.
    void FreeData() { m_size = 0; }

    std::uint32_t GetSize() const { return m_size; }
    const unsigned char* GetData() const { return m_size == 0 ? nullptr : m_record; }

private:
    unsigned char* m_record;
    std::uint32_t m_size = 0;
};
