#include "common/HandheldName.h"

#include "common/PathHelpers.h"
#include "common/Utf8.h"

namespace {

constexpr char kUnheld = '_';
constexpr unsigned char kLastAscii = 0x7F;

}  // namespace

bool EncodeAscii(std::string_view character, std::string& out) {
    const bool ascii =
        character.size() == 1 && static_cast<unsigned char>(character[0]) <= kLastAscii;
    if (ascii) {
        out += character;
    }
    return ascii;
}

std::string MakeHandheldName(std::string_view title, const CCharacterEncoder& encoder) {
    const std::string stem = StripExtension(title);
    std::string_view rest = stem;
    std::string name;
    std::string encoded;
    while (!rest.empty()) {
        const SUtf8Character character = DecodeUtf8(rest);
        encoded.clear();
        if (!character.valid || !encoder.Encode(rest.substr(0, character.length), encoded)) {
            encoded = kUnheld;
        }
        if (name.size() + encoded.size() > kMaxNameLength) {
            break;
        }
        name += encoded;
        rest.remove_prefix(character.length);
    }
    return name;
}
