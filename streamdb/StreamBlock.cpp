#include "streamdb/StreamBlock.h"

#include <algorithm>
#include <cstring>

void CStreamBlock::SetData(const unsigned char* bytes, std::size_t length) {
    FreeData();
    length = std::min<std::size_t>(length, kRecordSize);
    m_data = std::make_unique<unsigned char[]>(kRecordSize);
    std::memcpy(m_data.get(), bytes, length);
    std::memset(m_data.get() + length, kFiller, kRecordSize - length);
    m_size = kRecordSize;
}

void CStreamBlock::FreeData() {
    m_data.reset();
    m_size = 0;
}
