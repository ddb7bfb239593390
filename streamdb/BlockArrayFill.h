#pragma once

#include <cstddef>

class CBufferedReader;
class CStreamBlockArray;

enum class EFillResult {
    kFilled,
    kReadFailed,
    kTooLarge,  // more records than a database can count
};

// The buffer a reader feeding FillBlockArray best has: the input comes from
// the system in pieces this large, and to the blocks 4088 bytes at a time.
constexpr std::size_t kInputPieceSize = std::size_t{256} << 10;

// Cuts everything `input` delivers, from where it stands to the end, into
// stream blocks appended to `blocks`, which then holds the bytes. Memory
// running out shows as std::bad_alloc.
EFillResult FillBlockArray(CBufferedReader& input, CStreamBlockArray& blocks);
