#pragma once

class CBufferedReader;
class CStreamBlockArray;

enum class EFillResult {
    kFilled,
    kReadFailed,
    kTooLarge,  // more records than a database can count
};

// Cuts everything `input` delivers from the start of its file into stream
// blocks appended to `blocks`, which then holds the bytes.
EFillResult FillBlockArray(CBufferedReader& input, CStreamBlockArray& blocks);
