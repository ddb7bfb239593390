#include "streamdb/BlockArrayFill.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/BufferedReader.h"
#include "streamdb/ByteOrder.h"
#include "streamdb/StreamBlockArray.h"

namespace {

constexpr std::size_t kBlockHeaderSize = 8;
constexpr std::size_t kMaxPayload = CStreamBlock::kRecordSize - kBlockHeaderSize;
constexpr char kBlockTag[4] = {'D', 'B', 'L', 'K'};
constexpr std::size_t kLengthField = 6;

void PutBlockHeader(unsigned char* at, std::size_t payload) {
    std::memset(at, 0, kBlockHeaderSize);
    std::memcpy(at, kBlockTag, sizeof kBlockTag);
    const std::uint16_t length = SwapWord(static_cast<std::uint16_t>(payload + kBlockHeaderSize));
    std::memcpy(at + kLengthField, &length, sizeof length);
}

}  // namespace

// Each payload is read straight into its record, behind the room for its
// header, for all the free records at hand with one scattered read.
EFillResult FillBlockArray(CBufferedReader& input, CStreamBlockArray& blocks) {
    std::vector<CFile::CPiece> pieces;
    for (;;) {
        std::size_t free = 0;
        unsigned char* const records = blocks.GetFreeRecords(free);
        pieces.clear();
        for (std::size_t i = 0; i < free; ++i) {
            pieces.push_back(
                {records + i * CStreamBlock::kRecordSize + kBlockHeaderSize, kMaxPayload});
        }
        const std::size_t wanted = free * kMaxPayload;
        const std::size_t got = input.Read(pieces);
        if (input.HasFailed()) {
            return EFillResult::kReadFailed;
        }
        unsigned char* record = records;
        for (std::size_t at = 0; at < got; at += kMaxPayload) {
            if (blocks.GetCount() == CStreamBlockArray::kMaxBlocks) {
                return EFillResult::kTooLarge;
            }
            const std::size_t payload = std::min(kMaxPayload, got - at);
            PutBlockHeader(record, payload);
            blocks.AddBlock(record, payload + kBlockHeaderSize);
            record += CStreamBlock::kRecordSize;
        }
        if (got < wanted) {
            return EFillResult::kFilled;
        }
    }
}
