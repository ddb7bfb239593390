#include "streamdb/StreamBlock.h"

#include <algorithm>
#include <cstring>

void CStreamBlock::SetData(const unsigned char* bytes, std::size_t length) {
    FreeData();
    m_data = static_cast<unsigned char*>(m_memory->allocate(kRecordSize));
    m_size = kRecordSize;
    std::memset(m_data, kFiller, kRecordSize);
    std::memcpy(m_data, bytes, std::min<std::size_t>(length, kRecordSize));
}

void CStreamBlock::FreeData() {
    if (m_data != nullptr) {
        m_memory->deallocate(m_data, kRecordSize);
        m_data = nullptr;
        m_size = 0;
    }
}
