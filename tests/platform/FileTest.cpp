#include <gtest/gtest.h>

#include <filesystem>

#include "platform/File.h"
#include "platform/PathRules.h"
#include "tests/support/TestFiles.h"

namespace fs = std::filesystem;

namespace {

using EOpenMode = CFile::EOpenMode;

class FileTest : public ::testing::Test {
protected:
    CTempFolder m_folder;
};

TEST_F(FileTest, HeldFileCannotBeOpenedAgainNorEmptied) {
    WriteBytes("x.pdb", "keep");
    CFile held;
    ASSERT_TRUE(held.Open("x.pdb", EOpenMode::kReadExisting));
    for (const EOpenMode mode :
         {EOpenMode::kReadExisting, EOpenMode::kWriteExisting, EOpenMode::kCreateOrTruncate}) {
        CFile second;
        EXPECT_FALSE(second.Open("x.pdb", mode));
        EXPECT_FALSE(second.IsOpen());
    }
    held.Close();
    EXPECT_EQ(ReadBytes("x.pdb"), "keep");
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
    EXPECT_FALSE(file.Open("ro.pdb", EOpenMode::kCreateOrTruncate));
    EXPECT_EQ(ReadBytes("ro.pdb"), "old");
    EXPECT_TRUE(file.Open("ro.pdb", EOpenMode::kReadExisting));
}

TEST_F(FileTest, ExistingOpensNeverCreate) {
    CFile file;
    EXPECT_FALSE(file.Open("missing.puz", EOpenMode::kReadExisting));
    EXPECT_FALSE(file.Open("missing.puz", EOpenMode::kWriteExisting));
    EXPECT_FALSE(fs::exists("missing.puz"));
    EXPECT_TRUE(file.Open("missing.puz", EOpenMode::kCreateOrTruncate));
    EXPECT_TRUE(fs::exists("missing.puz"));
}

TEST_F(FileTest, FolderIsNotAFile) {
    fs::create_directory("folder.puz");
    CFile file;
    EXPECT_FALSE(file.Open("folder.puz", EOpenMode::kReadExisting));
    EXPECT_FALSE(file.Open("folder.puz", EOpenMode::kWriteExisting));
    EXPECT_FALSE(file.Open("folder.puz", EOpenMode::kCreateOrTruncate));
}

TEST_F(FileTest, KnowsItsFullPathAndName) {
    WriteBytes("Sunday Puzzle.puz", "x");
    CFile file;
    ASSERT_TRUE(file.Open("Sunday Puzzle.puz", EOpenMode::kReadExisting));
    EXPECT_EQ(file.GetFilePath(), m_folder.GetName() + kFolderSeparator + "Sunday Puzzle.puz");
    EXPECT_EQ(file.GetFileName(), "Sunday Puzzle.puz");
}

TEST_F(FileTest, CreateEmptiesAnExistingFileAndTruncateRewinds) {
    WriteBytes("a.pdb", "a long old content");
    {
        CFile file;
        ASSERT_TRUE(file.Open("a.pdb", EOpenMode::kCreateOrTruncate));
        EXPECT_TRUE(file.Write("new", 3));
    }
    EXPECT_EQ(ReadBytes("a.pdb"), "new");
    {
        CFile file;
        ASSERT_TRUE(file.Open("a.pdb", EOpenMode::kWriteExisting));
        char buffer[1];
        EXPECT_TRUE(file.Truncate());
        EXPECT_TRUE(file.Write("xy", 2));
        EXPECT_EQ(file.Read(buffer, 1), -1);  // opened for writing only
    }
    EXPECT_EQ(ReadBytes("a.pdb"), "xy");
}

TEST_F(FileTest, RemoveTakesBackTheHeldFile) {
    CFile file;
    ASSERT_TRUE(file.Open("partial.pdb", EOpenMode::kCreateOrTruncate));
    ASSERT_TRUE(file.Write("half", 4));
    EXPECT_TRUE(file.Remove());
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(fs::exists("partial.pdb"));
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
