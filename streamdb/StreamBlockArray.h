#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "streamdb/StreamBlock.h"

class CBufferedWriter;
class CDatabaseCodePage;
class CFile;

enum class EFillResult {
    kFilled,
    kReadFailed,
    kTooLarge,  // more records than a database can count
};

// The name a database written to `file` goes by on the handheld: the file's
// display title, or its name where the desktop shows none, without its
// extension; each character in `codePage` (ASCII alone while it is not
// open), one '_' for a character it cannot hold and for a byte that is no
// UTF-8. It ends before the character whose bytes would pass 31, the name
// field's room before its zero, so a character is never split.
std::string MakeDatabaseName(const CFile& file, const CDatabaseCodePage& codePage);

// The records of one stream database, in record order, held until the whole
// file can be written: its record list needs their number and offsets. The
// list owns its blocks and they own their buffers.
class CStreamBlockArray {
public:
    // The record count is a 16-bit field.
    static constexpr std::size_t kMaxBlocks = 0xFFFF;

    // Cuts everything `input` holds, from where it stands to the end, into
    // blocks appended here. Memory running out shows as std::bad_alloc.
    EFillResult Fill(CFile& input);
    // Releases every block and its buffer.
    void RemoveAll();
    std::size_t GetCount() const { return m_blocks.size(); }

    // Writes the complete database, stamped `timestamp`, to `output`; the
    // file behind it names the database in `codePage`. Write errors show in
    // the writer.
    void WriteDatabase(CBufferedWriter& output, const CDatabaseCodePage& codePage,
                       std::uint32_t timestamp) const;

private:
    // Made before the blocks, gone after them.
    CRecordPool m_recordPool;
    std::vector<std::unique_ptr<CStreamBlock>> m_blocks;
};
