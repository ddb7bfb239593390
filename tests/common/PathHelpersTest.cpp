#include <gtest/gtest.h>

#include "common/PathHelpers.h"
#include "platform/PathRules.h"

namespace {

const std::string kSep(1, kFolderSeparator);

TEST(PathHelpersTest, StripPathKeepsWhatFollowsTheLastSeparator) {
    EXPECT_EQ(StripPath("folder" + kSep + "sub" + kSep + "a.puz"), "a.puz");
    EXPECT_EQ(StripPath("a.puz"), "a.puz");
    EXPECT_EQ(StripPath("folder" + kSep), "");
    EXPECT_EQ(StripPath(""), "");
}

TEST(PathHelpersTest, StripExtensionCutsAtTheLastDot) {
    EXPECT_EQ(StripExtension("Sunday.puz"), "Sunday");
    EXPECT_EQ(StripExtension("a.b.puz"), "a.b");
    EXPECT_EQ(StripExtension("Sunday"), "Sunday");
    EXPECT_EQ(StripExtension(".puz"), "");
    EXPECT_EQ(StripExtension("trailing."), "trailing");
}

// Shift-JIS: 0x81-0x9F and 0xE0-0xFC start a two-byte character.
bool IsShiftJisLead(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

TEST(PathHelpersTest, TrailByteIsNeverASeparator) {
    // 0x95 0x5C is one character whose second byte looks like a backslash.
    const std::string name = "dir\\\x95\x5C.puz";
    EXPECT_EQ(FindLastOf(name, "\\", IsShiftJisLead), 3u);
    EXPECT_EQ(FindLastOf("\x95\x5C", "\\", IsShiftJisLead), std::string::npos);
    // A lead byte at the very end stands alone.
    EXPECT_EQ(FindLastOf("a\\\x95", "\\", IsShiftJisLead), 1u);
    const std::string dotted = "x.\x95.";  // 0x95 0x2E: the dot is a trail byte
    EXPECT_EQ(FindLastOf(dotted, ".", IsShiftJisLead), 1u);
}

}  // namespace
