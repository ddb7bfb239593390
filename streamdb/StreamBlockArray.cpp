#include "streamdb/StreamBlockArray.h"

#include <cstring>

#include "platform/BufferedWriter.h"
#include "platform/RecordMemory.h"
#include "streamdb/ByteOrder.h"
#include "streamdb/DatabaseName.h"
#include "streamdb/Timestamp.h"

namespace {

constexpr std::size_t kDatabaseHeaderSize = 78;
constexpr std::size_t kEntrySize = 8;
// The pieces the records come in. The first, a record short of a huge page,
// comes from the ordinary heap: a small puzzle touches only what it uses.
// The rest, whole huge pages growing to 64 MB, the system backs with huge
// pages; after that first piece, the largest database fills them to its
// last record, and no huge page is paid for a record's worth of it.
constexpr std::size_t kRecordsPerHugePage = 512;
constexpr CRecordPool::CPieceSizes kRecordPieces{kRecordsPerHugePage - 1, kRecordsPerHugePage,
                                                 32 * kRecordsPerHugePage};

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

CStreamBlockArray::CStreamBlockArray()
    : m_recordMemory(CStreamBlock::kRecordSize, kRecordPieces, GetRecordMemory()) {}

void CStreamBlockArray::AddBlock(const unsigned char* bytes, std::size_t length) {
    auto block = std::make_unique<CStreamBlock>(m_recordMemory);
    block->SetData(bytes, length);
    m_blocks.push_back(std::move(block));
}

void CStreamBlockArray::RemoveAll() {
    // Swapped out rather than cleared, so the pointer array goes too.
    std::vector<std::unique_ptr<CStreamBlock>>().swap(m_blocks);
    m_recordMemory.Release();
}

void CStreamBlockArray::WriteDatabase(CBufferedWriter& output) const {
    WriteDatabase(output, CurrentTimestamp());
}

void CStreamBlockArray::WriteDatabase(CBufferedWriter& output, std::uint32_t timestamp) const {
    WriteNamedDatabase(output, MakeDatabaseName(output.GetFile()), timestamp);
}

void CStreamBlockArray::WriteDatabase(CBufferedWriter& output,
                                      const CCharacterEncoder& codePage) const {
    WriteNamedDatabase(output, MakeDatabaseName(output.GetFile(), codePage), CurrentTimestamp());
}

void CStreamBlockArray::WriteNamedDatabase(CBufferedWriter& output, const std::string& name,
                                           std::uint32_t timestamp) const {
    const auto count = static_cast<std::uint16_t>(m_blocks.size());

    unsigned char header[kDatabaseHeaderSize] = {};
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

    std::uint32_t offset = kDatabaseHeaderSize + kEntrySize * count;
    for (std::uint32_t i = 0; i < count; ++i) {
        unsigned char entry[kEntrySize] = {};
        Put(entry + kDataOffsetField, SwapLong(offset));
        // The unique ID alone runs least significant byte first.
        const std::uint32_t uniqueId = i + 1;
        entry[kUniqueIdField] = static_cast<unsigned char>(uniqueId);
        entry[kUniqueIdField + 1] = static_cast<unsigned char>(uniqueId >> 8);
        entry[kUniqueIdField + 2] = static_cast<unsigned char>(uniqueId >> 16);
        output.Write(entry, sizeof entry);
        offset += m_blocks[i]->GetSize();
    }

    // Each block's own bytes, in record order. They stay put until the writer
    // is flushed, so it gathers them rather than copying them.
    for (const auto& block : m_blocks) {
        output.WriteLasting(block->GetData(), block->GetSize());
    }
}
