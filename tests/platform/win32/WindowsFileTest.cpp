#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

#include "platform/DatabaseCodePage.h"
#include "platform/File.h"
#include "platform/win32/WideText.h"
#include "streamdb/StreamBlockArray.h"
#include "tests/support/TestFiles.h"

namespace fs = std::filesystem;

namespace {

using EOpenMode = CFile::EOpenMode;
constexpr EOpenMode kAllModes[] = {EOpenMode::kReadExisting, EOpenMode::kWriteExisting};

class WindowsFileTest : public ::testing::Test {
protected:
    std::string PathOf(const std::string& name) const { return m_folder.GetName() + "\\" + name; }

    CTempFolder m_folder;
};

// Another program's handle, sharing everything it can.
HANDLE OpenShared(const char* name, DWORD access) {
    return CreateFileA(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST_F(WindowsFileTest, FileInUseElsewhereIsNeitherOpenedNorEmptied) {
    WriteBytes("busy.pdb", "someone else's");
    const HANDLE other = OpenShared("busy.pdb", GENERIC_READ);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    for (const EOpenMode mode : kAllModes) {
        CFile file;
        EXPECT_FALSE(file.Open("busy.pdb", mode));
    }
    CFile replacement;
    EXPECT_FALSE(replacement.OpenReplacement("busy.pdb", CFile()));
    CloseHandle(other);
    EXPECT_EQ(ReadBytes("busy.pdb"), "someone else's");
}

TEST_F(WindowsFileTest, HeldFileCannotBeOpenedRenamedOrDeletedByOthers) {
    WriteBytes("held.puz", "x");
    CFile file;
    ASSERT_TRUE(file.Open("held.puz", EOpenMode::kReadExisting));
    EXPECT_EQ(OpenShared("held.puz", GENERIC_READ), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(MoveFileA("held.puz", "moved.puz"));
    EXPECT_FALSE(DeleteFileA("held.puz"));
    file.Close();
    EXPECT_TRUE(DeleteFileA("held.puz"));
}

TEST_F(WindowsFileTest, ReadOnlyAttributeKeepsTheFileFromWriting) {
    WriteBytes("ro.pdb", "old");
    ASSERT_TRUE(SetFileAttributesA("ro.pdb", FILE_ATTRIBUTE_READONLY));
    CFile file;
    EXPECT_FALSE(file.Open("ro.pdb", EOpenMode::kWriteExisting));
    EXPECT_FALSE(file.OpenReplacement("ro.pdb", CFile()));
    EXPECT_TRUE(file.Open("ro.pdb", EOpenMode::kReadExisting));
    file.Close();
    SetFileAttributesA("ro.pdb", FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadBytes("ro.pdb"), "old");
}

TEST_F(WindowsFileTest, DeviceNamesAreNotFiles) {
    for (const char* name : {"NUL", "CON", "nul.pdb"}) {
        SCOPED_TRACE(name);
        for (const EOpenMode mode : kAllModes) {
            CFile file;
            EXPECT_FALSE(file.Open(name, mode));
        }
    }
}

TEST_F(WindowsFileTest, FullPathIsTheWorkingFolderAndTheNameAsStored) {
    WriteBytes("Sunday.puz", "x");
    fs::create_directory("sub");
    CFile file;
    ASSERT_TRUE(file.Open("sub\\..\\Sunday.puz", EOpenMode::kReadExisting));
    EXPECT_EQ(file.GetFilePath(), PathOf("Sunday.puz"));
    file.Close();

    // A volume without Unicode names gives the name as the folder stores it.
    DWORD flags = 0;
    ASSERT_TRUE(GetVolumeInformationA((m_folder.GetName().substr(0, 3)).c_str(), nullptr, 0,
                                      nullptr, nullptr, &flags, nullptr, 0));
    const bool storedName = (flags & FS_UNICODE_STORED_ON_DISK) == 0;
    ASSERT_TRUE(file.Open("SUNDAY.PUZ", EOpenMode::kReadExisting));
    EXPECT_EQ(file.GetFileName(), storedName ? "Sunday.puz" : "SUNDAY.PUZ");
}

TEST_F(WindowsFileTest, NamePartFollowsAnyWindowsSeparator) {
    WriteBytes("c.puz", "x");
    CFile file;
    ASSERT_TRUE(file.Open(m_folder.GetName() + "/c.puz", EOpenMode::kReadExisting));
    EXPECT_EQ(file.GetFilePath(), PathOf("c.puz"));  // forward slashes become backslashes
    file.Close();
    ASSERT_TRUE(file.Open(m_folder.GetName().substr(0, 2) + "c.puz", EOpenMode::kReadExisting));
    EXPECT_EQ(file.GetFileName(), "c.puz");  // drive-relative: C:c.puz
}

TEST_F(WindowsFileTest, DisplayTitleNamesTheDatabase) {
    WriteBytes("Sunday Puzzle.puz", "x");
    CFile file;
    ASSERT_TRUE(file.Open("Sunday Puzzle.puz", EOpenMode::kReadExisting));
    const std::string title = file.GetFileTitle();
    // Explorer may hide the extension; the database name never has it.
    EXPECT_TRUE(title == "Sunday Puzzle.puz" || title == "Sunday Puzzle") << title;
    EXPECT_EQ(MakeDatabaseName(file, CDatabaseCodePage()), "Sunday Puzzle");
}

TEST_F(WindowsFileTest, NameWithoutDisplayTitleStillNamesTheDatabase) {
    // The desktop gives no title for names holding brackets.
    WriteBytes("Week [12].puz", "x");
    CFile file;
    ASSERT_TRUE(file.Open("Week [12].puz", EOpenMode::kReadExisting));
    EXPECT_EQ(file.GetFileTitle(), "");
    EXPECT_EQ(MakeDatabaseName(file, CDatabaseCodePage()), "Week [12]");
}

// Hidden while it is written; in place, a file like any other that keeps
// what the old one's attributes said.
TEST_F(WindowsFileTest, ReplacementIsHiddenUntilInPlace) {
    WriteBytes("old.pdb", "old");
    ASSERT_TRUE(SetFileAttributesA("old.pdb", FILE_ATTRIBUTE_ARCHIVE));
    CFile existing;
    ASSERT_TRUE(existing.Open("old.pdb", EOpenMode::kWriteExisting));
    CFile replacement;
    ASSERT_TRUE(replacement.OpenReplacement("old.pdb", std::move(existing)));
    ASSERT_TRUE(replacement.Write("new", 3));
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA(".old.pdb*", &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    FindClose(search);
    EXPECT_NE(found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN, 0u);

    ASSERT_TRUE(replacement.Commit());
    EXPECT_EQ(ReadBytes("old.pdb"), "new");
    EXPECT_EQ(GetFileAttributesA("old.pdb") & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder.GetPath()), {}), 1);
}

// A database takes its name only once the disk holds its bytes: where the
// flush fails, the replacement fails, and the old database stays alone.
TEST_F(WindowsFileTest, FailedFlushLeavesTheOldDatabase) {
    WriteBytes("a.pdb", "old");
    static int flushes = 0;
    const auto flush = g_flushFileBuffers;
    g_flushFileBuffers = [](HANDLE) -> BOOL {
        ++flushes;
        SetLastError(ERROR_IO_DEVICE);
        return FALSE;
    };
    CFile existing;
    CFile replacement;
    const bool opened = existing.Open("a.pdb", EOpenMode::kWriteExisting) &&
                        replacement.OpenReplacement("a.pdb", std::move(existing)) &&
                        replacement.Write("new", 3);
    const bool committed = opened && replacement.Commit();
    g_flushFileBuffers = flush;
    EXPECT_TRUE(opened);
    EXPECT_FALSE(committed);
    EXPECT_EQ(flushes, 1);
    EXPECT_EQ(ReadBytes("a.pdb"), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder.GetPath()), {}), 1);
}

// What a crash left goes with the next replacement of the same database;
// one that another program is still writing stays, and the name is not taken.
TEST_F(WindowsFileTest, NextReplacementRemovesLeftoversNoProgramHolds) {
    const char kLeft[] = ".a.pdb.quintar-unfinished";
    WriteBytes(kLeft, "being written");
    const HANDLE writer = CreateFileA(kLeft, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    CFile replacement;
    EXPECT_FALSE(replacement.OpenReplacement("a.pdb", CFile()));
    CloseHandle(writer);
    EXPECT_EQ(ReadBytes(kLeft), "being written");  // left by a crash now
    ASSERT_TRUE(replacement.OpenReplacement("a.pdb", CFile()));
    ASSERT_TRUE(replacement.Write("new", 3));
    ASSERT_TRUE(replacement.Commit());
    EXPECT_EQ(ReadBytes("a.pdb"), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder.GetPath()), {}), 1);
}

}  // namespace
