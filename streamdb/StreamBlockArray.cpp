#include "streamdb/StreamBlockArray.h"

#include <algorithm>
#include <cstring>

#include "platform/BufferedWriter.h"
#include "streamdb/ByteOrder.h"
#include "streamdb/DatabaseName.h"
#include "streamdb/Timestamp.h"

namespace {

constexpr std::size_t kHeaderSize = 78;
constexpr std::size_t kEntrySize = 8;

// Header fields: offsets into the header.
constexpr std::size_t kNameField = 0;
constexpr std::size_t kAttributesField = 32;
constexpr std::size_t kVersionField = 34;
constexpr std::size_t kCreationDateField = 36;
constexpr std::size_t kModificationDateField = 40;
constexpr std::size_t kModificationNumberField = 48;
constexpr std::size_t kTypeField = 60;
constexpr std::size_t kCreatorField = 64;
constexpr std::size_t kRecordCountField = 76;

constexpr std::uint16_t kBackupFlag = 0x0008;
constexpr std::uint16_t kStreamFlag = 0x0080;
constexpr std::uint16_t kVersion = 1;
constexpr std::uint32_t kModificationNumber = 1;
constexpr char kType[4] = {'p', 'u', 'z', 'l'};
constexpr char kCreator[4] = {'Q', 'n', 't', 'r'};

// Record-list entry fields: offsets into an entry.
constexpr std::size_t kDataOffsetField = 0;
constexpr std::size_t kUniqueIdField = 5;

template <typename T>
void Put(unsigned char* at, T stored) {
    std::memcpy(at, &stored, sizeof stored);
}

}  // namespace

void CStreamBlockArray::AddBlock(const unsigned char* bytes, std::size_t length) {
    std::size_t free = 0;
    unsigned char* record = GetFreeRecords(free);
    m_blocks.emplace_back(record).SetData(bytes, length);
    --m_freeInPiece;
}

unsigned char* CStreamBlockArray::GetFreeRecords(std::size_t& count) {
    if (m_freeInPiece == 0) {
        const std::size_t records = m_pieces.empty()
                                        ? kRecordsInFirstPiece
                                        : std::min(kRecordsPerPiece, 2 * m_pieces.back().GetSize() /
                                                                         CStreamBlock::kRecordSize);
        m_pieces.emplace_back(records * CStreamBlock::kRecordSize);
        m_freeInPiece = records;
    }
    const CBulkMemory& piece = m_pieces.back();
    count = m_freeInPiece;
    return piece.GetData() + piece.GetSize() - m_freeInPiece * CStreamBlock::kRecordSize;
}

void CStreamBlockArray::WriteDatabase(CBufferedWriter& output) const {
    WriteDatabase(output, CurrentTimestamp());
}

void CStreamBlockArray::WriteDatabase(CBufferedWriter& output, std::uint32_t timestamp) const {
    const auto count = static_cast<std::uint16_t>(m_blocks.size());
    const std::string name = MakeDatabaseName(output.GetFile());

    unsigned char header[kHeaderSize] = {};
    std::memcpy(header + kNameField, name.data(), name.size());
    Put(header + kAttributesField, SwapWord(kBackupFlag | kStreamFlag));
    Put(header + kVersionField, SwapWord(kVersion));
    Put(header + kCreationDateField, SwapLong(timestamp));
    Put(header + kModificationDateField, SwapLong(timestamp));
    Put(header + kModificationNumberField, SwapLong(kModificationNumber));
    std::memcpy(header + kTypeField, kType, sizeof kType);
    std::memcpy(header + kCreatorField, kCreator, sizeof kCreator);
    Put(header + kRecordCountField, SwapWord(count));
    output.Write(header, sizeof header);

    std::uint32_t offset = kHeaderSize + kEntrySize * count;
    for (std::uint32_t i = 0; i < count; ++i) {
        unsigned char entry[kEntrySize] = {};
        Put(entry + kDataOffsetField, SwapLong(offset));
        // The unique ID alone runs least significant byte first.
        const std::uint32_t uniqueId = i + 1;
        entry[kUniqueIdField] = static_cast<unsigned char>(uniqueId);
        entry[kUniqueIdField + 1] = static_cast<unsigned char>(uniqueId >> 8);
        entry[kUniqueIdField + 2] = static_cast<unsigned char>(uniqueId >> 16);
        output.Write(entry, sizeof entry);
        offset += m_blocks[i].GetSize();
    }
    // Records that lie side by side in memory go out as one piece, which the
    // writer hands to the file whole.
    const unsigned char* run = nullptr;
    std::size_t runSize = 0;
    for (const CStreamBlock& block : m_blocks) {
        if (run != nullptr && run + runSize == block.GetData()) {
            runSize += block.GetSize();
            continue;
        }
        if (runSize > 0) {
            output.Write(run, runSize);
        }
        run = block.GetData();
        runSize = block.GetSize();
    }
    if (runSize > 0) {
        output.Write(run, runSize);
    }
}
