#include <gtest/gtest.h>
#include <windows.h>

#include "common/PathHelpers.h"
#include "platform/Selection.h"

namespace {

bool IsCodePage932LeadByte(unsigned char byte) {
    return IsDBCSLeadByteEx(932, byte) != FALSE;
}

TEST(WindowsPathTest, Cp932TrailByteIsNeverABackslash) {
    // 0x95 0x5C is one character in code page 932; its second byte is a backslash.
    const std::string name = "C:\\P\\\x95\x5C.puz";
    EXPECT_EQ(FindLastOf(name, "\\", IsCodePage932LeadByte), 4u);
    EXPECT_EQ(FindLastOf("\x95\x5C\x95\x5C", "\\", IsCodePage932LeadByte), std::string::npos);
    // Without the code page the same bytes do split.
    EXPECT_EQ(FindLastOf(name, "\\", [](unsigned char) { return false; }), 6u);
}

TEST(WindowsPathTest, OnlyTheBackslashSeparatesFoldersButAnySeparatorEndsAName) {
    EXPECT_EQ(StripPath("C:\\Puzzles\\Sunday.puz"), "Sunday.puz");
    EXPECT_EQ(StripPath("C:Sunday.puz"), "C:Sunday.puz");
    EXPECT_EQ(GetNamePart("C:Sunday.puz"), "Sunday.puz");
    EXPECT_EQ(GetNamePart("C:\\Puzzles/Sunday.puz"), "Sunday.puz");
    EXPECT_EQ(GetNamePart("\\\\server\\share\\a.puz"), "a.puz");
}

TEST(WindowsPathTest, SelectionInADriveRootIsNotDoubled) {
    std::vector<char> buffer(3072, '\0');
    const std::string content("C:\\\0a.puz\0b.puz\0", 16);
    std::copy(content.begin(), content.end(), buffer.begin());
    EXPECT_EQ(UnpackSelection(buffer), (std::vector<std::string>{"C:\\a.puz", "C:\\b.puz"}));
    buffer.assign(3072, '\0');
    const std::string single = "C:\\a.puz";
    std::copy(single.begin(), single.end(), buffer.begin());
    EXPECT_EQ(UnpackSelection(buffer), std::vector<std::string>{"C:\\a.puz"});
}

}  // namespace
