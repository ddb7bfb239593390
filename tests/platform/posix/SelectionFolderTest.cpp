#include <gtest/gtest.h>

#include "platform/posix/SelectionFolder.h"

namespace {

using Names = std::vector<std::string>;

TEST(SelectionFolderTest, SplitsPathsOfOneFolder) {
    std::string folder;
    Names names;
    ASSERT_TRUE(SplitByFolder({"/p/q/b.puz", "/p/q/a b.puz", "/p/q/b.puz"}, folder, names));
    EXPECT_EQ(folder, "/p/q");
    EXPECT_EQ(names, (Names{"b.puz", "a b.puz", "b.puz"}));
    ASSERT_TRUE(SplitByFolder({"/a.puz"}, folder, names));
    EXPECT_EQ(folder, "/");
    EXPECT_EQ(names, Names{"a.puz"});
}

TEST(SelectionFolderTest, RefusesMixedFoldersAndNonFiles) {
    std::string folder;
    Names names;
    EXPECT_FALSE(SplitByFolder({"/p/a.puz", "/p/q/b.puz"}, folder, names));
    EXPECT_FALSE(SplitByFolder({"/p/a.puz", "/p/"}, folder, names));
    EXPECT_FALSE(SplitByFolder({"a.puz"}, folder, names));
    EXPECT_FALSE(SplitByFolder({}, folder, names));
}

}  // namespace
