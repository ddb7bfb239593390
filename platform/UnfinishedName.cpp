#include "platform/UnfinishedName.h"

#include <algorithm>

#include "common/Utf8.h"

namespace {

constexpr char kHiddenMark[] = ".";
constexpr char kUnfinishedMark[] = ".quintar-unfinished-";
// Both marks are ASCII: a byte and a unit each character.
constexpr std::size_t kMarksLength = sizeof kHiddenMark - 1 + sizeof kUnfinishedMark - 1;

}  // namespace

std::string MakeUnfinishedName(std::string_view name, std::size_t endingLength, ENameUnit unit) {
    const std::size_t room =
        kLongestFileName - std::min(kLongestFileName, kMarksLength + endingLength);
    std::size_t used = 0;
    std::size_t kept = 0;
    while (kept < name.size()) {
        const SUtf8Character character = DecodeUtf8(name.substr(kept));
        used += unit == ENameUnit::kByte ? character.length : CountUtf16Units(character);
        if (used > room) {
            break;
        }
        kept += character.length;
    }
    return kHiddenMark + std::string(name.substr(0, kept)) + kUnfinishedMark;
}
