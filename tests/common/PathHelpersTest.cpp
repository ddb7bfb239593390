#include <gtest/gtest.h>

#include "common/PathHelpers.h"

namespace {

bool IsNeverLeadByte(unsigned char) {
    return false;
}

// Shift-JIS: 0x81-0x9F and 0xE0-0xFC start a two-byte character.
bool IsShiftJisLead(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

const SPathRules kSlashRules = {'/', "/", IsNeverLeadByte};
const SPathRules kJapaneseWindowsRules = {'\\', "\\/:", IsShiftJisLead};

TEST(PathHelpersTest, StripPathKeepsWhatFollowsTheLastSeparator) {
    EXPECT_EQ(StripPath("folder/sub/a.puz", kSlashRules), "a.puz");
    EXPECT_EQ(StripPath("a.puz", kSlashRules), "a.puz");
    EXPECT_EQ(StripPath("folder/", kSlashRules), "");
    EXPECT_EQ(StripPath("", kSlashRules), "");
    EXPECT_EQ(StripPath("C:\\P\\a.puz", kSlashRules), "C:\\P\\a.puz");
}

TEST(PathHelpersTest, StripExtensionCutsAtTheLastDot) {
    EXPECT_EQ(StripExtension("Sunday.puz"), "Sunday");
    EXPECT_EQ(StripExtension("a.b.puz"), "a.b");
    EXPECT_EQ(StripExtension("Sunday"), "Sunday");
    EXPECT_EQ(StripExtension(".puz"), "");
    EXPECT_EQ(StripExtension("trailing."), "trailing");
}

TEST(PathHelpersTest, OnlyTheFolderSeparatorStripsButAnyNameEnderEndsAName) {
    EXPECT_EQ(StripPath("C:\\Puzzles\\Sunday.puz", kJapaneseWindowsRules), "Sunday.puz");
    EXPECT_EQ(StripPath("C:Sunday.puz", kJapaneseWindowsRules), "C:Sunday.puz");
    EXPECT_EQ(GetNamePart("C:Sunday.puz", kJapaneseWindowsRules), "Sunday.puz");
    EXPECT_EQ(GetNamePart("C:\\Puzzles/Sunday.puz", kJapaneseWindowsRules), "Sunday.puz");
    EXPECT_EQ(GetNamePart("\\\\server\\share\\a.puz", kJapaneseWindowsRules), "a.puz");
}

TEST(PathHelpersTest, TrailByteIsNeverASeparator) {
    // 0x95 0x5C is one character whose second byte looks like a backslash.
    const std::string name = "dir\\\x95\x5C.puz";
    EXPECT_EQ(FindLastOf(name, "\\", IsShiftJisLead), 3u);
    EXPECT_EQ(StripPath(name, kJapaneseWindowsRules), "\x95\x5C.puz");
    EXPECT_EQ(FindLastOf("\x95\x5C", "\\", IsShiftJisLead), std::string::npos);
    // A lead byte at the very end stands alone.
    EXPECT_EQ(FindLastOf("a\\\x95", "\\", IsShiftJisLead), 1u);
    // Without the code page the same bytes do split.
    EXPECT_EQ(FindLastOf(name, "\\", IsNeverLeadByte), 5u);
}

}  // namespace
