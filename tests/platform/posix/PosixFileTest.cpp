#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/File.h"
#include "tests/support/TestFiles.h"

namespace fs = std::filesystem;

namespace {

using EOpenMode = CFile::EOpenMode;

class PosixFileTest : public ::testing::Test {
protected:
    CTempFolder m_folder;
};

TEST_F(PosixFileTest, FifoAndDeviceFailWithoutBlocking) {
    ASSERT_EQ(mkfifo("pipe.puz", 0644), 0);
    fs::create_symlink("/dev/zero", "device.puz");
    for (const char* name : {"pipe.puz", "device.puz"}) {
        SCOPED_TRACE(name);
        for (const EOpenMode mode :
             {EOpenMode::kReadExisting, EOpenMode::kWriteExisting, EOpenMode::kCreateOrTruncate}) {
            CFile file;
            EXPECT_FALSE(file.Open(name, mode));
        }
    }
}

TEST_F(PosixFileTest, DanglingLinkIsNeitherFollowedNorCreated) {
    fs::create_symlink(m_folder.GetPath() / "target.pdb", "link.pdb");
    CFile file;
    EXPECT_FALSE(file.Open("link.pdb", EOpenMode::kReadExisting));
    EXPECT_FALSE(file.Open("link.pdb", EOpenMode::kCreateOrTruncate));
    EXPECT_FALSE(fs::exists("target.pdb"));
}

TEST_F(PosixFileTest, LinkToAFileOpensTheFile) {
    WriteBytes("real.puz", "bytes");
    fs::create_symlink("real.puz", "alias.puz");
    CFile file;
    ASSERT_TRUE(file.Open("alias.puz", EOpenMode::kReadExisting));
    EXPECT_EQ(file.GetFileName(), "alias.puz");
}

TEST_F(PosixFileTest, RemoveSparesAFileThatReplacedTheHeldOne) {
    CFile file;
    ASSERT_TRUE(file.Open("out.pdb", EOpenMode::kCreateOrTruncate));
    fs::rename("out.pdb", "moved.pdb");
    WriteBytes("out.pdb", "someone else's");
    EXPECT_FALSE(file.Remove());
    EXPECT_EQ(ReadBytes("out.pdb"), "someone else's");
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
