#pragma once

#include <cstddef>
#include <cstdint>
#include <memory_resource>

// One record of a stream database. It owns the record's bytes: the 8-byte
// block header, up to 4088 bytes of the input, and filler to the full size.
class CStreamBlock {
public:
    static constexpr std::uint32_t kRecordSize = 4096;
    static constexpr std::size_t kHeaderSize = 8;
    static constexpr std::size_t kMaxPayload = kRecordSize - kHeaderSize;
    static constexpr unsigned char kFiller = 0x55;

    // A new block holds nothing: size 0, no buffer. Its buffer, once it has
    // one, comes from `memory`.
    explicit CStreamBlock(std::pmr::memory_resource& memory = *std::pmr::get_default_resource())
        : m_memory(&memory) {}
    ~CStreamBlock() { FreeData(); }
    CStreamBlock(const CStreamBlock&) = delete;
    CStreamBlock& operator=(const CStreamBlock&) = delete;

    // Takes a buffer of kRecordSize bytes, filled with kFiller, and copies
    // `length` (at most kRecordSize) bytes from `bytes` to its start.
    void SetData(const unsigned char* bytes, std::size_t length);
    // Releases the buffer, if any.
    void FreeData();

    // Bytes the record takes in the file; 0 while no buffer is held.
    std::uint32_t GetSize() const { return m_size; }
    const unsigned char* GetData() const { return m_data; }

private:
    std::pmr::memory_resource* m_memory;
    std::uint32_t m_size = 0;
    unsigned char* m_data = nullptr;
};
