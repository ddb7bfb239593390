#include "common/Utf8.h"

#include <algorithm>

namespace {

constexpr unsigned char kContinuationMask = 0xC0;
constexpr unsigned char kContinuationTag = 0x80;
constexpr unsigned kContinuationBits = 6;
constexpr unsigned char kContinuationPayload = 0x3F;
constexpr char32_t kFirstSurrogate = 0xD800;
constexpr char32_t kLastSurrogate = 0xDFFF;
constexpr char32_t kLastCodePoint = 0x10FFFF;
constexpr char32_t kLastSingleUnit = 0xFFFF;
constexpr unsigned char kLastAscii = 0x7F;

// What a lead byte promises: the sequence's length, the bits of the lead
// that carry the code point, and the least code point that needs the length.
struct SLeadForm {
    unsigned char first;
    unsigned char last;
    std::size_t length;
    unsigned char payload;
    char32_t least;
};
constexpr SLeadForm kLeadForms[] = {
    {0x00, 0x7F, 1, 0x7F, 0x0},
    {0xC0, 0xDF, 2, 0x1F, 0x80},
    {0xE0, 0xEF, 3, 0x0F, 0x800},
    {0xF0, 0xF7, 4, 0x07, 0x10000},
};

constexpr SUtf8Character kInvalidUnit = {0, 1, false};

}  // namespace

SUtf8Character DecodeUtf8(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    for (const SLeadForm& form : kLeadForms) {
        if (lead < form.first || lead > form.last) {
            continue;
        }
        if (text.size() < form.length) {
            return kInvalidUnit;
        }
        char32_t code = lead & form.payload;
        for (std::size_t i = 1; i < form.length; ++i) {
            const auto next = static_cast<unsigned char>(text[i]);
            if ((next & kContinuationMask) != kContinuationTag) {
                return kInvalidUnit;
            }
            code = (code << kContinuationBits) | (next & kContinuationPayload);
        }
        if (code < form.least || (code >= kFirstSurrogate && code <= kLastSurrogate) ||
            code > kLastCodePoint) {
            return kInvalidUnit;
        }
        return {code, form.length, true};
    }
    return kInvalidUnit;  // a continuation byte, or 0xF8 and above
}

std::size_t CountUtf16Units(const SUtf8Character& character) {
    return character.valid && character.codePoint > kLastSingleUnit ? 2 : 1;
}

std::size_t CountUtf16Units(std::string_view text) {
    std::size_t units = 0;
    while (!text.empty()) {
        const SUtf8Character character = DecodeUtf8(text);
        units += CountUtf16Units(character);
        text.remove_prefix(character.length);
    }
    return units;
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) <= kLastAscii; });
}
