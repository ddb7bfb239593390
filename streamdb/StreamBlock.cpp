#include "streamdb/StreamBlock.h"

#include <algorithm>
#include <cstring>

void CStreamBlock::SetData(const unsigned char* bytes, std::size_t length) {
    length = std::min<std::size_t>(length, kRecordSize);
    if (bytes != m_record) {
        std::memmove(m_record, bytes, length);
    }
    std::memset(m_record + length, kFiller, kRecordSize - length);
    m_size = kRecordSize;
}
