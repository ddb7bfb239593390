#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Desktop.h"
#include "platform/PathRules.h"
#include "tests/support/TestFiles.h"
#include "tests/support/UserTexts.h"

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

// Counted as the wide dialog counts: a Greek letter is one character of two
// bytes, an emoji two of four.
TEST(SelectionTest, CapacityCountsCharactersNotBytes) {
    const std::string alpha = "\xCE\xB1";
    const std::string puzzle = "\xF0\x9F\xA7\xA9";
    // The folder, its zero, the Greek name and the emoji with their zeros,
    // and the closing zero.
    std::string greek;
    for (std::size_t i = 0; i < kCapacity - kFolder.size() - 1 - 1 - 2 - 1 - 1; ++i) {
        greek += alpha;
    }
    std::vector<char> buffer(kCapacity);
    ASSERT_TRUE(PackSelection(kFolder, {greek, puzzle}, buffer));
    EXPECT_EQ(UnpackSelection(buffer),
              (std::vector<std::string>{kFolder + kSep + greek, kFolder + kSep + puzzle}));
    std::vector<char> untouched(kCapacity, 'u');
    EXPECT_FALSE(PackSelection(kFolder, {greek + alpha, puzzle}, untouched));
    EXPECT_EQ(untouched, std::vector<char>(kCapacity, 'u'));
}

TEST(SelectionTest, UnpackStopsAtTheBufferEnd) {
    EXPECT_TRUE(UnpackSelection(Buffer("")).empty());
    EXPECT_EQ(UnpackSelection(std::vector<char>(8, 'p')), std::vector<std::string>{"pppppppp"});
    EXPECT_EQ(UnpackSelection(Buffer(kFolder + std::string("\0abc", 4), kFolder.size() + 4)),
              std::vector<std::string>{kFolder + kSep + "abc"});
}

// The end of every desktop's confirmed pick.
TEST(SelectionTest, ConfirmedPickOfOneFolderFillsTheBufferAndMovesThere) {
    const CTempFolder folder;
    std::filesystem::create_directory("sub");
    const std::string sub = folder.GetName() + kSep + "sub";
    std::vector<char> buffer(kCapacity);
    CMessageText problem("");
    EXPECT_EQ(FinishPick({sub + kSep + "b.puz", sub + kSep + "a b.puz", sub + kSep + "b.puz"},
                         buffer, problem),
              EPickOutcome::kConfirmed);
    EXPECT_TRUE(problem.IsEmpty());
    EXPECT_EQ(UnpackSelection(buffer),
              (std::vector<std::string>{sub + kSep + "b.puz", sub + kSep + "a b.puz",
                                        sub + kSep + "b.puz"}));
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(sub));
}

TEST(SelectionTest, PickThatCannotBeTakenKeepsThePickerOpen) {
    const CTempFolder folder;
    std::filesystem::create_directory("sub");
    const std::string top = folder.GetName();
    std::vector<char> buffer(kCapacity, 'u');
    CMessageText problem("");
    for (const std::vector<std::string>& paths :
         {std::vector<std::string>{top + kSep + "a.puz", top + kSep + "sub" + kSep + "b.puz"},
          std::vector<std::string>{top + kSep + "a.puz", top + kSep}}) {
        EXPECT_EQ(FinishPick(paths, buffer, problem), std::nullopt);
        EXPECT_EQ(problem.Join(), UserTexts::kSeveralFolders);
    }
    const std::string gone = top + kSep + "gone";
    EXPECT_EQ(FinishPick({gone + kSep + "a.puz"}, buffer, problem), std::nullopt);
    EXPECT_EQ(problem.Join(), UserTexts::kFolderClosed + gone);
    EXPECT_EQ(FinishPick({}, buffer, problem), std::nullopt);
    EXPECT_TRUE(problem.IsEmpty());

    // Too long for the buffer: the pick ends, the working folder stays.
    const std::string sub = top + kSep + "sub";
    EXPECT_EQ(FinishPick({sub + kSep + std::string(kCapacity, 'n')}, buffer, problem),
              EPickOutcome::kBufferTooSmall);
    EXPECT_EQ(std::filesystem::current_path(), folder.GetPath());
}

TEST(SelectionTest, FilterMatchesAsTheWindowsDialogDoes) {
    for (const char* shown : {"a.puz", "Sunday.PUZ", "x.y.Puz", "\xE9t\xE9.puz"}) {
        EXPECT_TRUE(MatchesFilter(shown, "*.puz")) << shown;
    }
    for (const char* hidden : {"a.puz.txt", "puz", "a.pu", ".puz", ".hidden.puz", "a.pdb"}) {
        EXPECT_FALSE(MatchesFilter(hidden, "*.puz")) << hidden;
    }
    // Several patterns, separated by semicolons, blanks after them ignored.
    EXPECT_TRUE(MatchesFilter("b.dat", "*.puz; *.dat"));
    EXPECT_TRUE(MatchesFilter("week1.puz", "week?.puz;x"));
    EXPECT_FALSE(MatchesFilter("week12.puz", "week?.puz"));
    EXPECT_TRUE(MatchesFilter("anything", "*"));
    EXPECT_TRUE(MatchesFilter("a[1].puz", "a[1].*"));
    EXPECT_FALSE(MatchesFilter("a1.puz", "a[1].*"));
    EXPECT_FALSE(MatchesFilter("a.puz", ""));
}

}  // namespace
