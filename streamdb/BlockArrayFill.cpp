#include "streamdb/BlockArrayFill.h"

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

}  // namespace

EFillResult FillBlockArray(CBufferedReader& input, CStreamBlockArray& blocks) {
    std::vector<unsigned char> work(CStreamBlock::kRecordSize);
    for (;;) {
        const std::size_t payload = input.Read(work.data() + kBlockHeaderSize, kMaxPayload);
        if (input.HasFailed()) {
            return EFillResult::kReadFailed;
        }
        if (payload == 0) {
            return EFillResult::kFilled;
        }
        if (blocks.GetCount() == CStreamBlockArray::kMaxBlocks) {
            return EFillResult::kTooLarge;
        }
        std::memset(work.data(), 0, kBlockHeaderSize);
        std::memcpy(work.data(), kBlockTag, sizeof kBlockTag);
        const std::uint16_t length =
            SwapWord(static_cast<std::uint16_t>(payload + kBlockHeaderSize));
        std::memcpy(work.data() + kLengthField, &length, sizeof length);
        blocks.AddBlock(work.data(), payload + kBlockHeaderSize);
    }
}
