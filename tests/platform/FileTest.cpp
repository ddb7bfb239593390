#include <gtest/gtest.h>

#include <filesystem>

#include "platform/File.h"
#include "platform/PathRules.h"
#include "tests/support/TestFiles.h"

namespace fs = std::filesystem;

namespace {

using EOpenMode = CFile::EOpenMode;
using Names = std::vector<std::string>;

class FileTest : public ::testing::Test {
protected:
    CTempFolder m_folder;
};

TEST_F(FileTest, HeldFileCannotBeOpenedAgainNorReplaced) {
    WriteBytes("x.pdb", "keep");
    CFile held;
    ASSERT_TRUE(held.Open("x.pdb", EOpenMode::kReadExisting));
    for (const EOpenMode mode : {EOpenMode::kReadExisting, EOpenMode::kWriteExisting}) {
        CFile second;
        EXPECT_FALSE(second.Open("x.pdb", mode));
        EXPECT_FALSE(second.IsOpen());
    }
    CFile replacement;
    EXPECT_FALSE(replacement.OpenReplacement("x.pdb", CFile()));
    held.Close();
    EXPECT_EQ(ReadBytes("x.pdb"), "keep");
    EXPECT_EQ(ListFolder(m_folder.GetPath()), Names{"x.pdb"});
    CFile again;
    EXPECT_TRUE(again.Open("x.pdb", EOpenMode::kReadExisting));
}

TEST_F(FileTest, ReadOnlyFileNeverOpensForWriting) {
    WriteBytes("ro.pdb", "old");
    fs::permissions("ro.pdb",
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    CFile file;
    EXPECT_FALSE(file.Open("ro.pdb", EOpenMode::kWriteExisting));
    EXPECT_EQ(ReadBytes("ro.pdb"), "old");
    EXPECT_TRUE(file.Open("ro.pdb", EOpenMode::kReadExisting));
}

TEST_F(FileTest, ExistingOpensNeverCreate) {
    CFile file;
    EXPECT_FALSE(file.Open("missing.puz", EOpenMode::kReadExisting));
    EXPECT_FALSE(file.Open("missing.puz", EOpenMode::kWriteExisting));
    EXPECT_TRUE(fs::is_empty(m_folder.GetPath()));
}

TEST_F(FileTest, FolderIsNotAFile) {
    fs::create_directory("folder.puz");
    CFile file;
    EXPECT_FALSE(file.Open("folder.puz", EOpenMode::kReadExisting));
    EXPECT_FALSE(file.Open("folder.puz", EOpenMode::kWriteExisting));
    EXPECT_FALSE(file.OpenReplacement("folder.puz", CFile()));
    EXPECT_TRUE(fs::is_directory("folder.puz"));
}

TEST_F(FileTest, KnowsItsFullPathAndName) {
    WriteBytes("Sunday Puzzle.puz", "x");
    CFile file;
    ASSERT_TRUE(file.Open("Sunday Puzzle.puz", EOpenMode::kReadExisting));
    EXPECT_EQ(file.GetFilePath(), m_folder.GetName() + kFolderSeparator + "Sunday Puzzle.puz");
    EXPECT_EQ(file.GetFileName(), "Sunday Puzzle.puz");

    // A replacement goes by the name it is to take, not by its own.
    CFile replacement;
    ASSERT_TRUE(replacement.OpenReplacement("Sunday Puzzle.pdb", CFile()));
    EXPECT_EQ(replacement.GetFilePath(),
              m_folder.GetName() + kFolderSeparator + "Sunday Puzzle.pdb");
    EXPECT_EQ(replacement.GetFileName(), "Sunday Puzzle.pdb");
}

// Until Commit the new file lies beside the old one, which keeps its name
// and bytes.
TEST_F(FileTest, ReplacementTakesTheNameOnlyWhenCommitted) {
    WriteBytes("a.pdb", "old database");
    CFile existing;
    ASSERT_TRUE(existing.Open("a.pdb", EOpenMode::kWriteExisting));
    CFile replacement;
    ASSERT_TRUE(replacement.OpenReplacement("a.pdb", std::move(existing)));
    ASSERT_TRUE(replacement.Write("new database", 12));

    EXPECT_EQ(ListFolder(m_folder.GetPath()).size(), 2u);

    ASSERT_TRUE(replacement.Commit());
    EXPECT_FALSE(replacement.IsOpen());
    EXPECT_EQ(ListFolder(m_folder.GetPath()), Names{"a.pdb"});
    EXPECT_EQ(ReadBytes("a.pdb"), "new database");
}

TEST_F(FileTest, ReplacementNotCommittedLeavesNothingBehind) {
    WriteBytes("old.pdb", "old");
    {
        CFile existing;
        ASSERT_TRUE(existing.Open("old.pdb", EOpenMode::kWriteExisting));
        CFile replacement;
        ASSERT_TRUE(replacement.OpenReplacement("old.pdb", std::move(existing)));
        ASSERT_TRUE(replacement.Write("half", 4));
    }
    {
        CFile fresh;
        ASSERT_TRUE(fresh.OpenReplacement("new.pdb", CFile()));
        ASSERT_TRUE(fresh.Write("half", 4));
        fresh.Close();
    }
    EXPECT_EQ(ListFolder(m_folder.GetPath()), Names{"old.pdb"});
    EXPECT_EQ(ReadBytes("old.pdb"), "old");
    // The old file is let go as well.
    CFile again;
    EXPECT_TRUE(again.Open("old.pdb", EOpenMode::kWriteExisting));
}

// A new file never takes a name that exists, even one that appears while it
// is written.
TEST_F(FileTest, NewFileNeverTakesAnExistingName) {
    WriteBytes("taken.pdb", "someone else's");
    CFile file;
    EXPECT_FALSE(file.OpenReplacement("taken.pdb", CFile()));

    ASSERT_TRUE(file.OpenReplacement("late.pdb", CFile()));
    ASSERT_TRUE(file.Write("mine", 4));
    WriteBytes("late.pdb", "came first");
    EXPECT_FALSE(file.Commit());
    EXPECT_EQ(ReadBytes("late.pdb"), "came first");
    EXPECT_EQ(ReadBytes("taken.pdb"), "someone else's");
    EXPECT_EQ(ListFolder(m_folder.GetPath()), (Names{"late.pdb", "taken.pdb"}));
}

TEST_F(FileTest, ReadsToTheEnd) {
    const std::string bytes = MakeBytes(10000);
    WriteBytes("in.puz", bytes);
    CFile file;
    ASSERT_TRUE(file.Open("in.puz", EOpenMode::kReadExisting));
    std::string got(20000, '\0');
    std::size_t total = 0;
    for (std::ptrdiff_t n; (n = file.Read(&got[total], got.size() - total)) > 0;) {
        total += static_cast<std::size_t>(n);
    }
    EXPECT_EQ(got.substr(0, total), bytes);
}

}  // namespace
