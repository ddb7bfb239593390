#include "streamdb/BlockArrayFill.h"

#include "platform/BufferedReader.h"
#include "platform/FileMapping.h"
#include "streamdb/StreamBlockArray.h"

namespace {

constexpr std::size_t kLargestInput = CStreamBlockArray::kMaxBlocks * CStreamBlock::kMaxPayload;
// What one read takes in when the input is read: a whole number of payloads.
constexpr std::size_t kReadPiece = 256 * CStreamBlock::kMaxPayload;

}  // namespace

EFillResult FillBlockArray(CBufferedReader& input, CStreamBlockArray& blocks) {
    // The input's bytes are best left in the system's cache, where the writes
    // of the database take them from without a copy in between.
    CFileMapping mapping;
    switch (mapping.Map(input.GetFile(), kLargestInput)) {
        case CFileMapping::EResult::kMapped:
            blocks.AddBlocks(mapping.GetData(), mapping.GetSize());
            blocks.HoldInput(std::move(mapping));
            return EFillResult::kFilled;
        case CFileMapping::EResult::kTooLarge:
            return EFillResult::kTooLarge;
        case CFileMapping::EResult::kReadFailed:
            return EFillResult::kReadFailed;
        case CFileMapping::EResult::kUnmappable:
            break;
    }
    for (;;) {
        unsigned char* const piece = blocks.MakeInputPiece(kReadPiece);
        const std::size_t got = input.Read(piece, kReadPiece);
        if (input.HasFailed()) {
            return EFillResult::kReadFailed;
        }
        const std::size_t records =
            (got + CStreamBlock::kMaxPayload - 1) / CStreamBlock::kMaxPayload;
        if (blocks.GetCount() + records > CStreamBlockArray::kMaxBlocks) {
            return EFillResult::kTooLarge;
        }
        blocks.AddBlocks(piece, got);
        if (got < kReadPiece) {
            return EFillResult::kFilled;
        }
    }
}
