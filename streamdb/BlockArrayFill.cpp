#include "streamdb/BlockArrayFill.h"

#include <array>
#include <cstring>

#include "platform/BufferedReader.h"
#include "streamdb/ByteOrder.h"
#include "streamdb/StreamBlockArray.h"

namespace {

constexpr char kBlockTag[4] = {'D', 'B', 'L', 'K'};
constexpr std::size_t kLengthField = 6;

}  // namespace

EFillResult FillBlockArray(CBufferedReader& input, CStreamBlockArray& blocks) {
    // Each piece of the input is read behind room for its block header.
    std::array<unsigned char, CStreamBlock::kRecordSize> work{};
    unsigned char* const payload = work.data() + CStreamBlock::kHeaderSize;
    for (;;) {
        const std::size_t got = input.Read(payload, CStreamBlock::kMaxPayload);
        if (input.HasFailed()) {
            return EFillResult::kReadFailed;
        }
        if (got == 0) {
            return EFillResult::kFilled;
        }
        if (blocks.GetCount() == CStreamBlockArray::kMaxBlocks) {
            return EFillResult::kTooLarge;
        }
        const std::uint16_t length =
            SwapWord(static_cast<std::uint16_t>(got + CStreamBlock::kHeaderSize));
        std::memcpy(work.data(), kBlockTag, sizeof kBlockTag);
        std::memset(work.data() + sizeof kBlockTag, 0, kLengthField - sizeof kBlockTag);
        std::memcpy(work.data() + kLengthField, &length, sizeof length);
        blocks.AddBlock(work.data(), got + CStreamBlock::kHeaderSize);
    }
}
