#include "platform/UnfinishedName.h"

#include <algorithm>

#include "common/Utf8.h"

namespace {

constexpr char kHiddenMark[] = ".";
constexpr char kUnfinishedMark[] = ".quintar-unfinished-";
constexpr char kBackupMark[] = ".quintar-backup-";

// A hidden name made of `name` and `mark` (ASCII: a byte and a unit each
// character), with room for the ending.
std::string MakeHiddenName(std::string_view name, std::string_view mark, std::size_t endingLength,
                           ENameUnit unit) {
    const std::size_t marksLength = sizeof kHiddenMark - 1 + mark.size();
    const std::size_t room =
        kLongestFileName - std::min(kLongestFileName, marksLength + endingLength);
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
    return kHiddenMark + std::string(name.substr(0, kept)) + std::string(mark);
}

}  // namespace

std::string MakeUnfinishedName(std::string_view name, std::size_t endingLength, ENameUnit unit) {
    return MakeHiddenName(name, kUnfinishedMark, endingLength, unit);
}

std::string MakeBackupName(std::string_view name, std::size_t endingLength, ENameUnit unit) {
    return MakeHiddenName(name, kBackupMark, endingLength, unit);
}
