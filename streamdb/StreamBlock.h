#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// One record of a stream database: a block header, payload and filler,
// always a full record in size.
class CStreamBlock {
public:
    static constexpr std::uint32_t kRecordSize = 4096;
    static constexpr unsigned char kFiller = 0x55;

    // Holds a fresh record that starts with `length` bytes of `bytes`
    // (at most kRecordSize) and is filled up behind them.
    void SetData(const unsigned char* bytes, std::size_t length);
    void FreeData();

    std::uint32_t GetSize() const { return m_size; }
    const unsigned char* GetData() const { return m_data.get(); }

private:
    std::uint32_t m_size = 0;
    std::unique_ptr<unsigned char[]> m_data;
};
