#include "streamdb/StreamBlockArray.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/BufferedWriter.h"
#include "streamdb/ByteOrder.h"
#include "streamdb/DatabaseName.h"
#include "streamdb/Timestamp.h"

namespace {

constexpr std::size_t kHeaderSize = 78;
constexpr std::size_t kEntrySize = 8;
// Records per gathered write: some 1 MB, in three pieces each.
constexpr std::size_t kRecordsPerWrite = 256;

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

void CStreamBlockArray::AddBlock(const unsigned char* payload, std::size_t length) {
    m_blocks.emplace_back(payload, length);
}

void CStreamBlockArray::AddBlocks(const unsigned char* bytes, std::size_t length) {
    for (std::size_t at = 0; at < length; at += CStreamBlock::kMaxPayload) {
        AddBlock(bytes + at, std::min(CStreamBlock::kMaxPayload, length - at));
    }
}

void CStreamBlockArray::HoldInput(CFileMapping mapping) {
    m_mappedInputs.push_back(std::move(mapping));
}

unsigned char* CStreamBlockArray::MakeInputPiece(std::size_t size) {
    return m_inputPieces.emplace_back(size).data();
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
    WriteRecords(output);
}

// Records go to the file in large gathered writes: each is its header, its
// payload from where the list holds it, and filler from one shared run.
void CStreamBlockArray::WriteRecords(CBufferedWriter& output) const {
    const std::vector<unsigned char> filler(CStreamBlock::kMaxPayload, CStreamBlock::kFiller);
    std::vector<unsigned char> headers(kRecordsPerWrite * CStreamBlock::kHeaderSize);
    std::vector<CFile::CPiece> pieces;
    for (std::size_t first = 0; first < m_blocks.size(); first += kRecordsPerWrite) {
        const std::size_t end = std::min(m_blocks.size(), first + kRecordsPerWrite);
        pieces.clear();
        for (std::size_t i = first; i < end; ++i) {
            const CStreamBlock& block = m_blocks[i];
            unsigned char* const header = &headers[(i - first) * CStreamBlock::kHeaderSize];
            block.GetHeader(header);
            pieces.push_back({header, CStreamBlock::kHeaderSize});
            pieces.push_back({block.GetPayload(), block.GetPayloadSize()});
            pieces.push_back({filler.data(), CStreamBlock::kMaxPayload - block.GetPayloadSize()});
        }
        output.WriteGathered(pieces);
    }
}
