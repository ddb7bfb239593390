#pragma once

#include <cstddef>
#include <cstdint>

// One record of a stream database: an 8-byte block header, 1 to 4088 bytes
// of the input and filler, always a full record in size. The input bytes stay
// where the block list holds them; header and filler are made as the record
// is written.
class CStreamBlock {
public:
    static constexpr std::uint32_t kRecordSize = 4096;
    static constexpr std::size_t kHeaderSize = 8;
    static constexpr std::size_t kMaxPayload = kRecordSize - kHeaderSize;
    static constexpr unsigned char kFiller = 0x55;

    // A block of the `length` (at most kMaxPayload) bytes at `payload`.
    CStreamBlock(const unsigned char* payload, std::size_t length);

    // Puts the kHeaderSize bytes of the block header at `header`: "DBLK", two
    // zero bytes, and the big-endian length of header and payload.
    void GetHeader(unsigned char* header) const;
    const unsigned char* GetPayload() const { return m_payload; }
    std::size_t GetPayloadSize() const { return m_length; }
    // Bytes the record takes in the file.
    std::uint32_t GetSize() const { return kRecordSize; }

private:
    const unsigned char* m_payload;
    std::size_t m_length;
};
