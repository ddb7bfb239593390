#include "streamdb/StreamBlockArray.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>

#include "common/PathHelpers.h"
#include "common/Utf8.h"
#include "platform/BufferedWriter.h"
#include "platform/DatabaseCodePage.h"
#include "platform/File.h"
#include "platform/PathRules.h"

namespace {

constexpr char kUnheld = '_';
constexpr std::size_t kMaxNameLength = 31;

// The input comes from the system in pieces this large, and goes to the
// blocks 4088 bytes at a time.
constexpr std::size_t kPiecePayloads = 64;
constexpr char kBlockTag[4] = {'D', 'B', 'L', 'K'};
constexpr std::size_t kLengthField = 6;

constexpr std::size_t kDatabaseHeaderSize = 78;
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
constexpr std::size_t kUniqueIdSize = 3;

// Every number in a database file is stored most significant byte first.
template <typename T>
void PutBig(unsigned char* at, T value) {
    for (std::size_t i = sizeof value; i > 0; --i) {
        at[i - 1] = static_cast<unsigned char>(value);
        value = static_cast<T>(value >> CHAR_BIT);
    }
}

// Fills `piece` from `input`: fewer bytes only at its end; -1 on a read error.
std::ptrdiff_t ReadPiece(CFile& input, std::vector<unsigned char>& piece) {
    std::size_t got = 0;
    while (got < piece.size()) {
        const std::ptrdiff_t read = input.Read(piece.data() + got, piece.size() - got);
        if (read <= 0) {
            return read < 0 ? read : static_cast<std::ptrdiff_t>(got);
        }
        got += static_cast<std::size_t>(read);
    }
    return static_cast<std::ptrdiff_t>(got);
}

}  // namespace

std::string MakeDatabaseName(const CFile& file, const CDatabaseCodePage& codePage) {
    std::string title = file.GetFileTitle();
    if (title.empty()) {
        title = ToUtf8(GetNamePart(file.GetFilePath(), kPathRules));
    }
    const std::string stem = StripExtension(title);
    std::string_view rest = stem;
    std::string name;
    std::string encoded;
    while (!rest.empty()) {
        const SUtf8Character character = DecodeUtf8(rest);
        const std::string_view bytes = rest.substr(0, character.length);
        encoded.clear();
        // Unopened, the code page is taken to hold ASCII alone, as every one does.
        const bool held = character.valid &&
                          (codePage.IsOpen() ? codePage.Encode(bytes, encoded) : IsAscii(bytes));
        if (!held) {
            encoded = kUnheld;
        } else if (!codePage.IsOpen()) {
            encoded = bytes;
        }
        if (name.size() + encoded.size() > kMaxNameLength) {
            break;
        }
        name += encoded;
        rest.remove_prefix(character.length);
    }
    return name;
}

EFillResult CStreamBlockArray::Fill(CFile& input) {
    std::vector<unsigned char> piece(kPiecePayloads * CStreamBlock::kMaxPayload);
    std::array<unsigned char, CStreamBlock::kRecordSize> record{};
    std::memcpy(record.data(), kBlockTag, sizeof kBlockTag);
    for (;;) {
        const std::ptrdiff_t got = ReadPiece(input, piece);
        if (got < 0) {
            return EFillResult::kReadFailed;
        }
        const auto size = static_cast<std::size_t>(got);
        for (std::size_t at = 0; at < size; at += CStreamBlock::kMaxPayload) {
            if (m_blocks.size() == kMaxBlocks) {
                return EFillResult::kTooLarge;
            }
            const std::size_t length = std::min(size - at, CStreamBlock::kMaxPayload);
            PutBig(record.data() + kLengthField,
                   static_cast<std::uint16_t>(CStreamBlock::kHeaderSize + length));
            std::memcpy(record.data() + CStreamBlock::kHeaderSize, piece.data() + at, length);
            auto block = std::make_unique<CStreamBlock>(m_recordPool);
            block->SetData(record.data(), CStreamBlock::kHeaderSize + length);
            m_blocks.push_back(std::move(block));
        }
        if (size < piece.size()) {
            return EFillResult::kFilled;
        }
    }
}

void CStreamBlockArray::RemoveAll() {
    // Swapped out rather than cleared, so the pointer array goes too.
    std::vector<std::unique_ptr<CStreamBlock>>().swap(m_blocks);
    m_recordPool.Release();
}

void CStreamBlockArray::WriteDatabase(CBufferedWriter& output, const CDatabaseCodePage& codePage,
                                      std::uint32_t timestamp) const {
    const std::string name = MakeDatabaseName(output.GetFile(), codePage);
    const auto count = static_cast<std::uint16_t>(m_blocks.size());

    unsigned char header[kDatabaseHeaderSize] = {};
    std::memcpy(header + kNameField, name.data(), name.size());
    PutBig(header + kAttributesField, static_cast<std::uint16_t>(kBackupFlag | kStreamFlag));
    PutBig(header + kVersionField, kVersion);
    PutBig(header + kCreationDateField, timestamp);
    PutBig(header + kModificationDateField, timestamp);
    PutBig(header + kModificationNumberField, kModificationNumber);
    std::memcpy(header + kTypeField, kType, sizeof kType);
    std::memcpy(header + kCreatorField, kCreator, sizeof kCreator);
    PutBig(header + kRecordCountField, count);
    output.Write(header, sizeof header);

    std::uint32_t offset = kDatabaseHeaderSize + kEntrySize * count;
    for (std::uint32_t i = 0; i < count; ++i) {
        unsigned char entry[kEntrySize] = {};
        PutBig(entry + kDataOffsetField, offset);
        // The unique ID alone runs least significant byte first.
        const std::uint32_t uniqueId = i + 1;
        for (std::size_t b = 0; b < kUniqueIdSize; ++b) {
            entry[kUniqueIdField + b] = static_cast<unsigned char>(uniqueId >> (CHAR_BIT * b));
        }
        output.Write(entry, sizeof entry);
        offset += m_blocks[i]->GetSize();
    }

    // Each block's own bytes, in record order. They stay put until the writer
    // is flushed, so it gathers them rather than copying them.
    for (const auto& block : m_blocks) {
        output.WriteUncopied(block->GetData(), block->GetSize());
    }
}
