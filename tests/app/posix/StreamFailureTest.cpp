#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

#include "app/ConvertorApp.h"
#include "platform/Desktop.h"
#include "tests/support/DatabaseCheck.h"
#include "tests/support/ScriptedDesktop.h"
#include "tests/support/TestFiles.h"
#include "tests/support/UserTexts.h"
#include "tests/support/posix/SystemCalls.h"

namespace fs = std::filesystem;

namespace {

using namespace UserTexts;

using Paths = std::vector<std::string>;

class StreamFailureTest : public ::testing::Test {
protected:
    CTempFolder m_folder;
    CScriptedDesktop m_desktop;
    CConvertorApp m_app{m_desktop};
};

// The disk fills up in the middle of one database of a batch of three, the
// first, the middle or the last (that one replacing an old database with
// consent): it is taken back and reported, the old database stays byte for
// byte, and the other two are written.
TEST_F(StreamFailureTest, FullDiskTakesBackThePartialDatabaseWhereverItFalls) {
    const Paths names{"a.puz", "b.puz", "c.puz"};
    const Paths outputs{"a.pdb", "b.pdb", "c.pdb"};
    for (std::size_t failing = 0; failing < names.size(); ++failing) {
        SCOPED_TRACE(failing);
        const fs::path folder = m_folder.GetPath() / std::to_string(failing);
        fs::create_directory(folder);
        for (std::size_t i = 0; i < names.size(); ++i) {
            WriteBytes(folder / names[i], i == failing ? MakeBytes(40000) : names[i]);
        }
        const bool overwrite = failing + 1 == names.size();
        const std::string old = MakeBytes(12000, 9);
        if (overwrite) {
            WriteBytes(folder / outputs[failing], old);
        }
        CScriptedDesktop desktop;
        CConvertorApp app(desktop);
        desktop.AddPick(folder.string(), names);
        desktop.AddAnswers(overwrite ? std::vector<int>{kIdYes, kIdNo} : std::vector<int>{kIdNo});
        {
            const CFileSizeCap cap(20000);
            app.RunConverter();
        }
        const std::string failure = kCouldNotWrite + outputs[failing];
        // Behind the overwrite question, if any; before the install question.
        const std::size_t reported = overwrite ? 1 : 0;
        ASSERT_EQ(desktop.m_messages.size(), reported + 2);
        EXPECT_EQ(desktop.m_messages[reported].text, failure);
        EXPECT_EQ(desktop.m_messages[reported].style, 0x10u);
        if (overwrite) {
            EXPECT_EQ(ReadBytes(folder / outputs[failing]), old);
        } else {
            EXPECT_FALSE(fs::exists(folder / outputs[failing]));
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), overwrite ? 6 : 5);
        Paths written;
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (i != failing) {
                EXPECT_TRUE(IsStreamDatabaseOf(ReadBytes(folder / outputs[i]), names[i]));
                written.push_back(folder.string() + "/" + outputs[i]);
            }
        }
        EXPECT_EQ(app.GetConvertedFiles(), written);
    }
}

// The header alone, an empty puzzle's whole database, reaching the disk in
// part is a failed write too.
TEST_F(StreamFailureTest, HeaderWrittenInPartIsAFailedWrite) {
    WriteBytes("a.puz", "");
    m_desktop.AddPick(m_folder.GetName(), {"a.puz"});
    {
        const CFileSizeCap cap(50);
        m_app.RunConverter();
    }
    ASSERT_EQ(m_desktop.m_messages.size(), 1u);
    EXPECT_EQ(m_desktop.m_messages[0].text, kCouldNotWrite + "a.pdb");
    EXPECT_EQ(ListFolder(m_folder.GetPath()), (Paths{"a.puz"}));
}

TEST_F(StreamFailureTest, UnreadableInputIsReportedAndNothingWritten) {
    // Reading this process's memory at offset 0 fails with an I/O error.
    fs::create_symlink("/proc/self/mem", "bad.puz");
    WriteBytes("good.puz", "good");
    m_desktop.AddPick(m_folder.GetName(), {"bad.puz", "good.puz"});
    m_desktop.AddAnswers({kIdNo});
    m_app.RunConverter();
    ASSERT_EQ(m_desktop.m_messages.size(), 2u);
    EXPECT_EQ(m_desktop.m_messages[0].text, kCouldNotRead + "bad.puz");
    EXPECT_FALSE(fs::exists("bad.pdb"));
    EXPECT_TRUE(fs::exists("good.pdb"));
}

// A database counts as written once the disk holds it: its own bytes and
// then its name in the folder. A flush that fails is a write that failed;
// a file system that cannot flush folders at all is not.
TEST_F(StreamFailureTest, FailedFlushIsAFailedWrite) {
    struct SCase {
        const char* label;
        bool folder;
        int error;
        bool written;
    };
    const SCase cases[] = {{"file, EIO", false, EIO, false},
                           {"folder, EIO", true, EIO, false},
                           {"folder, ENOSPC", true, ENOSPC, false},
                           {"folder, EINVAL", true, EINVAL, true}};
    for (const SCase& flush : cases) {
        SCOPED_TRACE(flush.label);
        WriteBytes("a.puz", "new");
        WriteBytes("a.pdb", "old database");
        CScriptedDesktop desktop;
        CConvertorApp app(desktop);
        desktop.AddPick(m_folder.GetName(), {"a.puz"});
        desktop.AddAnswers({kIdYes, kIdNo});
        {
            const CSystemCallFault fault(ESystemCall::kFsync, flush.error,
                                         [&](int fd) { return IsFolder(fd) == flush.folder; });
            app.RunConverter();
            EXPECT_EQ(fault.GetCount(), 1);
        }
        EXPECT_EQ(ListFolder(m_folder.GetPath()), (Paths{"a.pdb", "a.puz"}));
        if (flush.written) {
            EXPECT_EQ(desktop.m_messages.size(), 2u);
            EXPECT_TRUE(IsStreamDatabaseOf(ReadBytes("a.pdb"), "new"));
        } else {
            ASSERT_EQ(desktop.m_messages.size(), 2u);
            EXPECT_EQ(desktop.m_messages[1].text, kCouldNotWrite + "a.pdb");
            EXPECT_TRUE(app.GetConvertedFiles().empty());
        }
        if (!flush.folder) {
            EXPECT_EQ(ReadBytes("a.pdb"), "old database");
        }
    }
}

// Another program saves the puzzle while it is read: what was read mixes two
// versions, or a part of one, and is not converted; the batch goes on.
TEST_F(StreamFailureTest, InputThatChangesWhileItIsReadIsNotConverted) {
    const std::string puzzle = MakeBytes(600000, 3);
    const std::function<void()> saves[] = {
        [] { std::ofstream("a.puz", std::ios::binary | std::ios::app) << "appended"; },
        [&] { WriteBytes("a.puz", puzzle.substr(0, 1000)); },
        [&] {
            std::fstream file("a.puz", std::ios::binary | std::ios::in | std::ios::out);
            file.seekp(500000);
            file << "rewritten in place";
        },
    };
    for (const auto& save : saves) {
        WriteBytes("a.puz", puzzle);
        WriteBytes("b.puz", "b");
        std::remove("a.pdb");
        std::remove("b.pdb");
        CScriptedDesktop desktop;
        CConvertorApp app(desktop);
        desktop.AddPick(m_folder.GetName(), {"a.puz", "b.puz"});
        desktop.AddAnswers({kIdNo});
        {
            // Saved once, after the first piece was read.
            int reads = 0;
            const CSystemCallFault fault(
                ESystemCall::kRead, 0,
                [](int fd) { return PathOf(fd).find("a.puz") != std::string::npos; },
                [&](int) {
                    if (++reads == 2) {
                        save();
                    }
                });
            app.RunConverter();
        }
        EXPECT_EQ(desktop.GetMessageTexts(), (Paths{kCouldNotRead + "a.puz", kInstallQuestion}));
        EXPECT_FALSE(fs::exists("a.pdb"));
        EXPECT_TRUE(IsStreamDatabaseOf(ReadBytes("b.pdb"), "b"));
    }
}

// A database's name needs its code page's converter, made ready when the
// run starts. Where none could be had, a name in ASCII alone is still
// right; any other is never written wrong: that database is not made.
TEST_F(StreamFailureTest, NameNeverComesOutWrongForWantOfItsConverter) {
    WriteBytes("Caf\xC3\xA9.puz", "x");
    WriteBytes("plain.puz", "y");
    const CSystemCallFault noConverter(ESystemCall::kIconvOpen, EMFILE);
    CConvertorApp app(m_desktop);
    m_desktop.AddPick(m_folder.GetName(), {"Caf\xC3\xA9.puz", "plain.puz"});
    m_desktop.AddAnswers({kIdNo});
    app.RunConverter();
    EXPECT_EQ(m_desktop.GetMessageTexts(),
              (Paths{kCouldNotCreate + "Caf\xC3\xA9.pdb", kInstallQuestion}));
    EXPECT_EQ(ListFolder(m_folder.GetPath()), (Paths{"Caf\xC3\xA9.puz", "plain.pdb", "plain.puz"}));
    EXPECT_EQ(DatabaseNameOf(ReadBytes("plain.pdb")), "plain");
}

}  // namespace
