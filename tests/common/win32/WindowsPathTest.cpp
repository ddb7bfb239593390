#include <gtest/gtest.h>
#include <windows.h>

#include "common/PathHelpers.h"
#include "platform/Desktop.h"
#include "platform/PathRules.h"

namespace {

TEST(WindowsPathTest, OnlyTheBackslashSeparatesFoldersButAnySeparatorEndsAName) {
    EXPECT_EQ(StripPath("C:\\Puzzles\\Sunday.puz", kPathRules), "Sunday.puz");
    EXPECT_EQ(StripPath("C:Sunday.puz", kPathRules), "C:Sunday.puz");
    EXPECT_EQ(GetNamePart("C:Sunday.puz", kPathRules), "Sunday.puz");
    EXPECT_EQ(GetNamePart("C:\\Puzzles/Sunday.puz", kPathRules), "Sunday.puz");
    EXPECT_EQ(GetNamePart("\\\\server\\share\\a.puz", kPathRules), "a.puz");
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
