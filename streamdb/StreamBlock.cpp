#include "streamdb/StreamBlock.h"

#include <algorithm>
#include <cstring>

#include "streamdb/ByteOrder.h"

namespace {

constexpr char kBlockTag[4] = {'D', 'B', 'L', 'K'};
constexpr std::size_t kLengthField = 6;

}  // namespace

CStreamBlock::CStreamBlock(const unsigned char* payload, std::size_t length)
    : m_payload(payload), m_length(std::min(length, kMaxPayload)) {}

void CStreamBlock::GetHeader(unsigned char* header) const {
    std::memset(header, 0, kHeaderSize);
    std::memcpy(header, kBlockTag, sizeof kBlockTag);
    const std::uint16_t length = SwapWord(static_cast<std::uint16_t>(m_length + kHeaderSize));
    std::memcpy(header + kLengthField, &length, sizeof length);
}
