#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "app/ConvertorApp.h"
#include "platform/File.h"
#include "tests/support/DatabaseCheck.h"
#include "tests/support/ScriptedDesktop.h"
#include "tests/support/TestFiles.h"
#include "tests/support/UserTexts.h"
#include "tests/support/posix/SystemCalls.h"

namespace fs = std::filesystem;

namespace {

using namespace UserTexts;

using Paths = std::vector<std::string>;

// An existing database is replaced only after a Yes, and then by a whole
// new one holding the puzzle as it was read.
class DatabaseReplacementTest : public ::testing::Test {
protected:
    CTempFolder m_folder;
    CScriptedDesktop m_desktop;
    CConvertorApp m_app{m_desktop};
};

// Another program saves the puzzle while the overwrite question waits.
TEST_F(DatabaseReplacementTest, PuzzleRewrittenWhileTheQuestionWaitsIsConvertedAsRead) {
    const std::string asRead = MakeBytes(5000, 1);
    const std::vector<std::pair<const char*, std::function<void()>>> rewrites{
        {"longer", [] { WriteBytes("a.puz", MakeBytes(6000, 2)); }},
        {"shorter", [] { WriteBytes("a.puz", MakeBytes(4500, 3)); }},
        {"in place",
         [] {
             std::fstream file("a.puz", std::ios::in | std::ios::out | std::ios::binary);
             const std::string other = MakeBytes(5000, 4);
             file.write(other.data(), static_cast<std::streamsize>(other.size()));
         }},
    };
    for (const auto& [how, rewrite] : rewrites) {
        SCOPED_TRACE(how);
        WriteBytes("a.puz", asRead);
        WriteBytes("a.pdb", "old database");
        CScriptedDesktop desktop;
        CConvertorApp app(desktop);
        desktop.AddPick(m_folder.GetName(), {"a.puz"});
        desktop.AddAnswer(kIdYes, rewrite);
        desktop.AddAnswers({kIdNo});
        app.RunConverter();
        EXPECT_TRUE(IsStreamDatabaseOf(ReadBytes("a.pdb"), asRead));
        EXPECT_EQ(desktop.m_messages.size(), 2u);
    }
}

// Held for a moment by another copy of the program, the database cannot be
// asked about; it is then never replaced without the question.
TEST_F(DatabaseReplacementTest, DatabaseHeldElsewhereIsNeitherAskedAboutNorReplaced) {
    WriteBytes("a.puz", "new");
    WriteBytes("a.pdb", "old database");
    CFile elsewhere;
    ASSERT_TRUE(elsewhere.Open("a.pdb", CFile::EOpenMode::kReadExisting));
    m_desktop.AddPick(m_folder.GetName(), {"a.puz"});
    m_app.RunConverter();
    elsewhere.Close();

    EXPECT_EQ(m_desktop.GetMessageTexts(), Paths{kCouldNotCreate + "a.pdb"});
    EXPECT_EQ(ReadBytes("a.pdb"), "old database");
    EXPECT_EQ(ListFolder(m_folder.GetPath()), (Paths{"a.pdb", "a.puz"}));
}

// What the user agreed to replace is what gets replaced: a database another
// program put in its place while the question waited stays; one deleted
// meanwhile is simply written.
TEST_F(DatabaseReplacementTest, OnlyTheDatabaseAskedAboutIsReplaced) {
    WriteBytes("a.puz", "a");
    WriteBytes("b.puz", "b");
    WriteBytes("a.pdb", "old a");
    WriteBytes("b.pdb", "old b");
    m_desktop.AddPick(m_folder.GetName(), {"a.puz", "b.puz"});
    m_desktop.AddAnswer(kIdYes, [] {
        WriteBytes("other.pdb", "someone else's");
        fs::rename("other.pdb", "a.pdb");
    });
    m_desktop.AddAnswer(kIdYes, [] { fs::remove("b.pdb"); });
    m_desktop.AddAnswers({kIdNo});
    m_app.RunConverter();

    EXPECT_EQ(m_desktop.GetMessageTexts(),
              (Paths{OverwriteQuestion(m_folder.GetName() + "/a.pdb"), kCouldNotWrite + "a.pdb",
                     OverwriteQuestion(m_folder.GetName() + "/b.pdb"), kInstallQuestion}));
    EXPECT_EQ(ReadBytes("a.pdb"), "someone else's");
    EXPECT_TRUE(IsStreamDatabaseOf(ReadBytes("b.pdb"), "b"));
    EXPECT_EQ(ListFolder(m_folder.GetPath()), (Paths{"a.pdb", "a.puz", "b.pdb", "b.puz"}));
}

struct CFileIdentity {
    ino_t inode;
    uid_t owner;
    gid_t group;
    mode_t mode;
};

CFileIdentity IdentityOf(const char* path) {
    struct stat info {};
    EXPECT_EQ(lstat(path, &info), 0) << path;
    return {info.st_ino, info.st_uid, info.st_gid, info.st_mode & 07777};
}

// The new file stands in for the database exactly when it shows the old
// one's owner, group and mode, the old one has no other name and its
// attributes were copied: whatever the calls that carry them returned, as
// on a volume that keeps no owners or modes. Otherwise the database is
// written over in place behind a backup that goes once the new bytes are on
// the disk: every name leads to the new database, which keeps them all, and
// its owner, group, mode and attributes.
TEST_F(DatabaseReplacementTest, NewFileStandsInExactlyWhenItShowsWhatTheOldOneDid) {
    const bool attributes = [] {
        WriteBytes("probe", "");
        return setxattr("probe", "user.probe", "1", 1, 0) == 0;
    }();
    fs::remove("probe");
    struct SCase {
        const char* label;
        mode_t mode;
        bool linked;
        bool noted;
        ESystemCall refused;
        int error;
        bool inPlace;
    };
    // The new file is this run's alone at first: mode 0600, under any mask
    // that leaves the owner's bits.
    const SCase cases[] = {
        {"hard link", 0644, true, false, ESystemCall::kFchmod, 0, true},
        {"attribute that cannot be copied", 0644, false, true, ESystemCall::kFsetxattr, EPERM,
         true},
        {"mode the file system does not take", 0640, false, false, ESystemCall::kFchmod, ENOSYS,
         true},
        {"mode only the owner may set", 0640, false, false, ESystemCall::kFchmod, EPERM, true},
        {"owner the file system does not take", 0640, false, false, ESystemCall::kFchown, ENOSYS,
         false},
        {"owner no one else may give", 0640, false, false, ESystemCall::kFchown, EPERM, false},
        {"mode not taken, but already the old one's", 0600, false, false, ESystemCall::kFchmod,
         ENOSYS, false},
    };
    for (const SCase& tried : cases) {
        SCOPED_TRACE(tried.label);
        if (tried.noted && !attributes) {
            continue;  // a file system without user attributes has none to lose
        }
        fs::remove("elsewhere.pdb");
        WriteBytes("a.puz", MakeBytes(20000, 5));
        WriteBytes("a.pdb", "old database");
        fs::permissions("a.pdb", fs::perms(tried.mode));
        if (tried.linked) {
            fs::create_hard_link("a.pdb", "elsewhere.pdb");
        }
        if (tried.noted) {
            ASSERT_EQ(setxattr("a.pdb", "user.note", "kept", 4, 0), 0);
        }
        const CFileIdentity before = IdentityOf("a.pdb");
        CScriptedDesktop desktop;
        CConvertorApp app(desktop);
        desktop.AddPick(m_folder.GetName(), {"a.puz"});
        desktop.AddAnswers({kIdYes, kIdNo});
        {
            const CSystemCallFault refused(tried.refused, tried.error);
            app.RunConverter();
            EXPECT_GT(refused.GetCount(), 0);
        }
        EXPECT_EQ(desktop.m_messages.size(), 2u);
        EXPECT_TRUE(IsStreamDatabaseOf(ReadBytes("a.pdb"), MakeBytes(20000, 5)));
        const CFileIdentity after = IdentityOf("a.pdb");
        EXPECT_EQ(after.inode == before.inode, tried.inPlace);
        EXPECT_EQ(after.owner, before.owner);
        EXPECT_EQ(after.group, before.group);
        EXPECT_EQ(after.mode, before.mode);
        Paths left{"a.pdb", "a.puz"};
        if (tried.linked) {
            EXPECT_EQ(ReadBytes("elsewhere.pdb"), ReadBytes("a.pdb"));
            left.push_back("elsewhere.pdb");
        }
        if (tried.noted) {
            char note[8] = {};
            EXPECT_EQ(getxattr("a.pdb", "user.note", note, sizeof note), 4);
            EXPECT_STREQ(note, "kept");
        }
        EXPECT_EQ(ListFolder(m_folder.GetPath()), left);
    }
}

// Where the backup cannot be made, nothing is written over; where the new
// bytes do not all fit or reach the disk, the backup's go back. Either way the database is
// its old self and nothing is left beside it.
TEST_F(DatabaseReplacementTest, DatabaseWrittenInPlaceIsNeverLeftHalfWritten) {
    WriteBytes("a.puz", MakeBytes(60000, 6));
    WriteBytes("a.pdb", MakeBytes(30000, 7));
    fs::create_hard_link("a.pdb", "elsewhere.pdb");
    const auto run = [&](const std::string& expected) {
        CScriptedDesktop desktop;
        CConvertorApp app(desktop);
        desktop.AddPick(m_folder.GetName(), {"a.puz"});
        desktop.AddAnswers({kIdYes});
        app.RunConverter();
        EXPECT_EQ(desktop.GetMessageTexts(),
                  (Paths{OverwriteQuestion(m_folder.GetName() + "/a.pdb"), expected}));
        EXPECT_EQ(ReadBytes("a.pdb"), MakeBytes(30000, 7));
        EXPECT_EQ(ReadBytes("elsewhere.pdb"), MakeBytes(30000, 7));
        EXPECT_EQ(ListFolder(m_folder.GetPath()), (Paths{"a.pdb", "a.puz", "elsewhere.pdb"}));
    };
    {
        SCOPED_TRACE("no backup");
        const CSystemCallFault fault(ESystemCall::kFsync, EIO, [](int fd) {
            return PathOf(fd).find(".quintar-backup-") != std::string::npos;
        });
        run(kCouldNotCreate + "a.pdb");
    }
    {
        SCOPED_TRACE("the new bytes' flush");
        int flushes = 0;
        const CSystemCallFault fault(ESystemCall::kFsync, EIO, [&](int fd) {
            const std::string path = PathOf(fd);
            return path.size() > 6 && path.compare(path.size() - 6, 6, "/a.pdb") == 0 &&
                   flushes++ == 0;
        });
        run(kCouldNotWrite + "a.pdb");
    }
    {
        SCOPED_TRACE("full disk");
        const CFileSizeCap cap(40000);
        run(kCouldNotWrite + "a.pdb");
    }
}

// In a folder a group shares, a member who replaces another's database, or
// their own of a group they are not in, leaves it with its owner, group and
// mode: written in place, as a new file of theirs cannot have them. Their
// own database of the group takes a new file. (Needs root, to be those
// users.)
TEST_F(DatabaseReplacementTest, SharedDatabaseStaysWithEveryoneWhoCouldUseIt) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "only root can act as the group's members";
    }
    constexpr uid_t kOwner = 54321;  // no account: in no group but by its files
    constexpr uid_t kMember = 54322;
    constexpr gid_t kGroup = 54320;
    fs::permissions(m_folder.GetPath(), fs::perms::all);
    WriteBytes("a.puz", "new");
    fs::permissions("a.puz", fs::perms(0644));
    struct SCase {
        const char* label;
        uid_t owner;
        gid_t group;
        bool inPlace;
    };
    for (const SCase& shared : {SCase{"another's", kOwner, kGroup, true},
                                SCase{"the member's own of another group", kMember, 0, true},
                                SCase{"the member's own", kMember, kGroup, false}}) {
        SCOPED_TRACE(shared.label);
        WriteBytes("a.pdb", "old database");
        ASSERT_EQ(chown("a.pdb", shared.owner, shared.group), 0);
        ASSERT_EQ(chmod("a.pdb", 0660), 0);
        const CFileIdentity before = IdentityOf("a.pdb");
        const pid_t child = fork();
        if (child == 0) {
            const gid_t groups[] = {kGroup};
            if (setgroups(1, groups) != 0 || setgid(kGroup) != 0 || setuid(kMember) != 0) {
                _exit(2);
            }
            CScriptedDesktop desktop;
            CConvertorApp app(desktop);
            desktop.AddPick(m_folder.GetName(), {"a.puz"});
            desktop.AddAnswers({kIdYes, kIdNo});
            app.RunConverter();
            _exit(desktop.m_messages.size() == 2 ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        EXPECT_TRUE(IsStreamDatabaseOf(ReadBytes("a.pdb"), "new"));
        const CFileIdentity after = IdentityOf("a.pdb");
        EXPECT_EQ(after.inode == before.inode, shared.inPlace);
        EXPECT_EQ(after.owner, shared.owner);
        EXPECT_EQ(after.group, shared.group);
        EXPECT_EQ(after.mode, 0660u);
        EXPECT_EQ(ListFolder(m_folder.GetPath()), (Paths{"a.pdb", "a.puz"}));
    }
}

}  // namespace
