#include <gtest/gtest.h>

#include "platform/PathRules.h"
#include "platform/Selection.h"

namespace {

constexpr std::size_t kCapacity = 3072;
const std::string kSep(1, kFolderSeparator);
const std::string kFolder = kSep + "puzzles";

std::vector<char> Buffer(const std::string& content, std::size_t capacity = kCapacity) {
    std::vector<char> buffer(capacity, '\0');
    std::copy(content.begin(), content.end(), buffer.begin());
    return buffer;
}

TEST(SelectionTest, OneFileIsOneFullPath) {
    std::vector<char> buffer(kCapacity, 'x');
    ASSERT_TRUE(PackSelection(kFolder, {"a.puz"}, buffer));
    EXPECT_EQ(std::string(buffer.data()), kFolder + kSep + "a.puz");
    EXPECT_EQ(UnpackSelection(buffer), std::vector<std::string>{kFolder + kSep + "a.puz"});
}

TEST(SelectionTest, SeveralFilesFollowTheirFolder) {
    std::vector<char> buffer(kCapacity);
    ASSERT_TRUE(PackSelection(kFolder, {"a.puz", "b c.puz"}, buffer));
    EXPECT_EQ(std::string(buffer.data(), kFolder.size() + 17),
              kFolder + std::string("\0a.puz\0b c.puz\0\0", 17));
    EXPECT_EQ(UnpackSelection(buffer),
              (std::vector<std::string>{kFolder + kSep + "a.puz", kFolder + kSep + "b c.puz"}));
}

TEST(SelectionTest, RootFolderIsNotDoubled) {
    EXPECT_EQ(UnpackSelection(Buffer(kSep + std::string("\0a.puz\0b.puz\0", 14))),
              (std::vector<std::string>{kSep + "a.puz", kSep + "b.puz"}));
}

TEST(SelectionTest, FitsExactlyOrNotAtAll) {
    // A folder, its zero, names with their zeros and the closing zero.
    const std::string name(kCapacity - kFolder.size() - 1 - 2 - 1 - 1, 'n');
    std::vector<char> buffer(kCapacity);
    EXPECT_TRUE(PackSelection(kFolder, {name, "b"}, buffer));
    EXPECT_EQ(UnpackSelection(buffer).back(), kFolder + kSep + "b");
    std::vector<char> untouched(kCapacity, 'u');
    EXPECT_FALSE(PackSelection(kFolder, {name + "n", "b"}, untouched));
    EXPECT_EQ(untouched, std::vector<char>(kCapacity, 'u'));

    // One path and its zero fill the buffer to the last character.
    const std::string single(kCapacity - kFolder.size() - 1 - 1, 's');
    EXPECT_TRUE(PackSelection(kFolder, {single}, buffer));
    EXPECT_EQ(UnpackSelection(buffer), std::vector<std::string>{kFolder + kSep + single});
    EXPECT_FALSE(PackSelection(kFolder, {single + "s"}, buffer));
}

TEST(SelectionTest, UnpackStopsAtTheBufferEnd) {
    EXPECT_TRUE(UnpackSelection(Buffer("")).empty());
    EXPECT_EQ(UnpackSelection(std::vector<char>(8, 'p')), std::vector<std::string>{"pppppppp"});
    EXPECT_EQ(UnpackSelection(Buffer(kFolder + std::string("\0abc", 4), kFolder.size() + 4)),
              std::vector<std::string>{kFolder + kSep + "abc"});
}

}  // namespace
