#pragma once

class CBufferedReader;
class CStreamBlockArray;

enum class EFillResult {
    kFilled,
    kReadFailed,
    kTooLarge,  // more records than a database can count
};

// Cuts everything `input` delivers into stream blocks appended to `blocks`.
EFillResult FillBlockArray(CBufferedReader& input, CStreamBlockArray& blocks);
