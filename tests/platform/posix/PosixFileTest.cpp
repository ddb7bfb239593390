#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "platform/File.h"
#include "tests/support/TestFiles.h"
#include "tests/support/posix/SystemCalls.h"

namespace fs = std::filesystem;

namespace {

using EOpenMode = CFile::EOpenMode;
using Names = std::vector<std::string>;

class PosixFileTest : public ::testing::Test {
protected:
    CTempFolder m_folder;
};

// A file the program made is its own to write, whatever the mask makes of
// its mode; that mode is the one it was made with, never set after (a
// volume may refuse that). A replaced file's mode carries over.
TEST_F(PosixFileTest, NewFilesFollowTheMaskAndReplacementsKeepTheOldMode) {
    WriteBytes("old.pdb", "old");
    fs::permissions("old.pdb", fs::perms(0640));
    const mode_t previous = umask(0222);
    CFile fresh;
    const CSystemCallFault refused(ESystemCall::kFchmod, ENOSYS, [](int fd) {
        return PathOf(fd).find("new.pdb") != std::string::npos;
    });
    const bool opened = fresh.OpenReplacement("new.pdb", CFile());
    const bool written = opened && fresh.Write("new", 3) && fresh.Commit();
    CFile existing;
    CFile replacement;
    const bool replaced = existing.Open("old.pdb", EOpenMode::kWriteExisting) &&
                          replacement.OpenReplacement("old.pdb", std::move(existing)) &&
                          replacement.Write("newer", 5) && replacement.Commit();
    umask(previous);

    ASSERT_TRUE(written);
    ASSERT_TRUE(replaced);
    EXPECT_EQ(refused.GetCount(), 0);
    EXPECT_EQ(ReadBytes("new.pdb"), "new");
    EXPECT_EQ(fs::status("new.pdb").permissions(), fs::perms(0444));
    EXPECT_EQ(ReadBytes("old.pdb"), "newer");
    EXPECT_EQ(fs::status("old.pdb").permissions(), fs::perms(0640));
}

// The longest name a folder holds: the unfinished file's name, 20 bytes
// longer, is cut to fit, at a whole character, and still names its database.
TEST_F(PosixFileTest, UnfinishedFileOfTheLongestNameFitsAndNamesItsDatabase) {
    std::string name = "aa";
    for (int i = 0; i < 124; ++i) {
        name += "\xCE\xB1";  // α
    }
    name += "x.pdb";
    ASSERT_EQ(name.size(), 255u);
    CFile file;
    ASSERT_TRUE(file.OpenReplacement(name, CFile()));
    ASSERT_TRUE(file.Write("new", 3));
    const std::vector<std::string> during = ListFolder(m_folder.GetPath());
    ASSERT_EQ(during.size(), 1u);
    const std::string unfinished = during.front();
    EXPECT_EQ(unfinished.size(), 255u - 1);  // the last two-byte letter no longer fits
    EXPECT_EQ(unfinished.rfind("." + name.substr(0, 234), 0), 0u) << unfinished;
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(ListFolder(m_folder.GetPath()), std::vector<std::string>{name});
}

// Runs `write` in a child process and returns how the child ended.
int RunInChild(const std::function<void()>& write) {
    const pid_t child = fork();
    if (child == 0) {
        write();
        _exit(1);
    }
    int status = 0;
    EXPECT_EQ(waitpid(child, &status, 0), child);
    return status;
}

// In a child: starts replacing old.pdb in place with `bytes`, then `ends` it.
int WriteInPlaceInChild(const std::string& bytes, const std::function<void()>& ends) {
    return RunInChild([&] {
        CFile existing;
        CFile replacement;
        if (existing.Open("old.pdb", EOpenMode::kWriteExisting) &&
            replacement.OpenReplacement("old.pdb", std::move(existing)) &&
            replacement.Write(bytes.data(), bytes.size())) {
            ends();
            replacement.Write("whole", 5);
            replacement.Commit();
        }
    });
}

// A database written in place is never left half old and half new by a
// signal: it waits until the new bytes are on the disk, then ends the program.
// Nor by a kill: the old bytes go back at the next conversion.
TEST_F(PosixFileTest, SignalWaitsForADatabaseWrittenInPlace) {
    WriteBytes("old.pdb", "old");
    fs::create_hard_link("old.pdb", "other.pdb");
    const int status = WriteInPlaceInChild("new, ", [] { raise(SIGTERM); });
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_EQ(ReadBytes("old.pdb"), "new, whole");
    EXPECT_EQ(ListFolder(m_folder.GetPath()), (Names{"old.pdb", "other.pdb"}));

    // Killed halfway, as no program can stop: the next open for writing,
    // before anything is asked, finds the database its old self again.
    WriteInPlaceInChild("half", [] { raise(SIGKILL); });
    ASSERT_EQ(ReadBytes("old.pdb"), "half");
    CFile next;
    EXPECT_TRUE(next.Open("old.pdb", EOpenMode::kWriteExisting));
    EXPECT_EQ(ReadBytes("other.pdb"), "new, whole");
    EXPECT_EQ(ListFolder(m_folder.GetPath()), (Names{"old.pdb", "other.pdb"}));
}

// What a killed run left behind goes with the next conversion to the same
// database; a file another run is still writing stays, as do those of
// other databases.
TEST_F(PosixFileTest, NextReplacementRemovesLeftoversNoRunIsWriting) {
    WriteBytes(".a.pdb.quintar-unfinished", "left by a killed run");
    WriteBytes(".b.pdb.quintar-unfinished", "another database's");
    CFile writing;
    ASSERT_TRUE(writing.OpenReplacement("a.pdb", CFile()));
    CFile second;
    EXPECT_FALSE(second.OpenReplacement("a.pdb", CFile()));
    ASSERT_TRUE(writing.Write("new", 3));
    EXPECT_TRUE(writing.Commit());
    EXPECT_EQ(ListFolder(m_folder.GetPath()), (Names{".b.pdb.quintar-unfinished", "a.pdb"}));
    EXPECT_EQ(ReadBytes("a.pdb"), "new");
}

TEST_F(PosixFileTest, FilesDoNotLeakIntoStartedPrograms) {
    WriteBytes("a.puz", "x");
    CFile file;
    ASSERT_TRUE(file.Open("a.puz", EOpenMode::kReadExisting));
    // An inherited descriptor would keep the file locked by the started program.
    const std::string script = "for f in /proc/$$/fd/*; do [ \"$(readlink \"$f\")\" = \"" +
                               m_folder.GetName() + "/a.puz\" ] && exit 1; done; exit 0";
    const pid_t child = fork();
    if (child == 0) {
        execl("/bin/sh", "sh", "-c", script.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
