#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "app/ConvertorApp.h"
#include "tests/support/DatabaseCheck.h"
#include "tests/support/ScriptedDesktop.h"
#include "tests/support/TestFiles.h"
#include "tests/support/UserTexts.h"

namespace fs = std::filesystem;

namespace {

using namespace UserTexts;

using Paths = std::vector<std::string>;

// Selected files and outputs that are not what their names promise, and
// names that are awkward to carry: the run reports each as it is owed, never
// damages a file, and converts the rest.
class HostileFileTest : public ::testing::Test {
protected:
    std::string PathOf(const std::string& name) const { return m_folder.GetName() + "/" + name; }
    // Nothing in the folder is a database unless it is a whole one of `inputs`.
    void ExpectOnlyDatabasesOf(const std::vector<std::pair<std::string, std::string>>& inputs) {
        std::size_t databases = 0;
        for (const auto& entry : fs::directory_iterator(m_folder.GetPath())) {
            databases += entry.path().extension() == ".pdb" && !entry.is_symlink() ? 1 : 0;
        }
        EXPECT_EQ(databases, inputs.size());
        for (const auto& [output, input] : inputs) {
            EXPECT_TRUE(IsStreamDatabaseOf(ReadBytes(output), input)) << output;
        }
    }

    CTempFolder m_folder;
    CScriptedDesktop m_desktop;
    CConvertorApp m_app{m_desktop};
};

TEST_F(HostileFileTest, InputThatVanishesAfterThePickStopsTheBatch) {
    WriteBytes("a.puz", "a");
    WriteBytes("gone.puz", "gone");
    WriteBytes("c.puz", "c");
    m_desktop.AddPick(m_folder.GetName(), {"a.puz", "gone.puz", "c.puz"},
                      [] { fs::remove("gone.puz"); });
    m_desktop.AddAnswers({kIdNo});
    m_app.RunConverter();

    EXPECT_EQ(m_desktop.GetMessageTexts(), (Paths{kCouldNotOpen + "gone.puz", kInstallQuestion}));
    ExpectOnlyDatabasesOf({{"a.pdb", "a"}});
    EXPECT_EQ(m_desktop.m_requests.size(), 2u);
}

// Another file put in its place is what gets converted: the name is opened
// when its turn comes, not at the pick.
TEST_F(HostileFileTest, InputReplacedAfterThePickIsConvertedAsItIsThen) {
    WriteBytes("swapped.puz", "before");
    WriteBytes("b.puz", "b");
    m_desktop.AddPick(m_folder.GetName(), {"swapped.puz", "b.puz"}, [] {
        WriteBytes("new.puz", "after the pick");
        fs::rename("new.puz", "swapped.puz");
    });
    m_desktop.AddAnswers({kIdNo});
    m_app.RunConverter();

    EXPECT_EQ(m_desktop.GetMessageTexts(), Paths{kInstallQuestion});
    ExpectOnlyDatabasesOf({{"swapped.pdb", "after the pick"}, {"b.pdb", "b"}});
}

// Each is a file that cannot be opened as a puzzle; none blocks the run. A
// link to a puzzle is read through, as the user who made it expects.
TEST_F(HostileFileTest, SelectedFolderFifoDeviceAndDanglingLinkCannotBeOpened) {
    fs::create_directory("folder.puz");
    ASSERT_EQ(mkfifo("pipe.puz", 0644), 0);
    fs::create_symlink("/dev/zero", "device.puz");
    fs::create_symlink(PathOf("nowhere.puz"), "dangling.puz");
    WriteBytes("ok.puz", "ok");
    WriteBytes("replaced.puz", "x");
    fs::create_symlink("ok.puz", "alias.puz");
    for (const char* name : {"folder.puz", "pipe.puz", "device.puz", "dangling.puz"}) {
        m_desktop.AddPick(m_folder.GetName(), {name, "ok.puz"});
    }
    // The same, when it takes a puzzle's place between the pick and the open.
    m_desktop.AddPick(m_folder.GetName(), {"replaced.puz"}, [] {
        fs::remove("replaced.puz");
        ASSERT_EQ(mkfifo("replaced.puz", 0644), 0);
    });
    m_desktop.AddPick(m_folder.GetName(), {"ok.puz", "alias.puz"});
    m_desktop.AddAnswers({kIdNo});
    m_app.RunConverter();

    EXPECT_EQ(m_desktop.GetMessageTexts(),
              (Paths{kCouldNotOpen + "folder.puz", kCouldNotOpen + "pipe.puz",
                     kCouldNotOpen + "device.puz", kCouldNotOpen + "dangling.puz",
                     kCouldNotOpen + "replaced.puz", kInstallQuestion}));
    ExpectOnlyDatabasesOf({{"ok.pdb", "ok"}, {"alias.pdb", "ok"}});
    EXPECT_FALSE(fs::exists("nowhere.puz"));
    EXPECT_EQ(m_desktop.m_requests.size(), 6u);
}

TEST_F(HostileFileTest, OutputNamesTakenByLinksFifosAndDevicesAreNeverWrittenThrough) {
    const char* inputs[] = {"dangling.puz", "fifo.puz", "device.puz", "ro-link.puz",
                            "link.puz",     "self.puz", "ok.puz"};
    for (const char* input : inputs) {
        WriteBytes(input, input);
    }
    fs::create_symlink(PathOf("target.pdb"), "dangling.pdb");
    ASSERT_EQ(mkfifo("fifo.pdb", 0644), 0);
    fs::create_symlink("/dev/null", "device.pdb");
    WriteBytes("read-only.pdb", "keep");
    fs::permissions("read-only.pdb", fs::perms::owner_read);
    fs::create_symlink("read-only.pdb", "ro-link.pdb");
    // A writable database elsewhere, which the user may not even know of.
    fs::create_directory("elsewhere");
    WriteBytes("elsewhere/target.pdb", "elsewhere");
    fs::create_symlink("elsewhere/target.pdb", "link.pdb");
    // A database name that leads back to the puzzle being converted.
    fs::create_symlink("self.puz", "self.pdb");
    m_desktop.AddPick(m_folder.GetName(), Paths(std::begin(inputs), std::end(inputs)));
    m_desktop.AddAnswers({kIdNo});
    m_app.RunConverter();

    EXPECT_EQ(
        m_desktop.GetMessageTexts(),
        (Paths{kCouldNotCreate + "dangling.pdb", kCouldNotCreate + "fifo.pdb",
               kCouldNotCreate + "device.pdb", kCouldNotCreate + "ro-link.pdb",
               kCouldNotCreate + "link.pdb", kCouldNotCreate + "self.pdb", kInstallQuestion}));
    EXPECT_FALSE(fs::exists("target.pdb"));
    EXPECT_TRUE(fs::is_symlink("dangling.pdb"));
    EXPECT_TRUE(fs::is_fifo("fifo.pdb"));
    EXPECT_EQ(ReadBytes("read-only.pdb"), "keep");
    EXPECT_EQ(fs::read_symlink("link.pdb"), "elsewhere/target.pdb");
    EXPECT_EQ(ReadBytes("elsewhere/target.pdb"), "elsewhere");
    EXPECT_EQ(ReadBytes("self.puz"), "self.puz");
    EXPECT_TRUE(IsStreamDatabaseOf(ReadBytes("ok.pdb"), "ok.puz"));
    EXPECT_EQ(m_app.GetConvertedFiles(), Paths{PathOf("ok.pdb")});
}

TEST_F(HostileFileTest, AwkwardNamesAreCarriedAsTheyAre) {
    const std::string longest = std::string(251, 'L') + ".puz";  // 255 bytes, as long as allowed
    const Paths names{"Sunday Puzzle.puz",
                      "it's \"quoted\".puz",
                      "-rf.puz",
                      "--help.puz",
                      "Kreuzworträtsel für Sonntag ✓.puz",
                      longest};
    for (const std::string& name : names) {
        WriteBytes(name, name);
    }
    m_desktop.AddPick(m_folder.GetName(), names);
    m_desktop.AddAnswers({kIdNo});
    m_app.RunConverter();

    EXPECT_EQ(m_desktop.GetMessageTexts(), Paths{kInstallQuestion});
    std::vector<std::pair<std::string, std::string>> databases;
    for (const std::string& name : names) {
        databases.emplace_back(name.substr(0, name.size() - 4) + ".pdb", name);
    }
    ExpectOnlyDatabasesOf(databases);
    EXPECT_EQ(DatabaseNameOf(ReadBytes("it's \"quoted\".pdb")), "it's \"quoted\"");
    EXPECT_EQ(DatabaseNameOf(ReadBytes("-rf.pdb")), "-rf");
}

// A database name may come out longer than its puzzle's when the puzzle's
// extension is shorter than ".pdb": past the longest name the file system
// allows, the database cannot be created, and the batch goes on.
TEST_F(HostileFileTest, OutputNameLongerThanTheFileSystemAllowsIsReported) {
    const std::string bare(255, 'n');
    const std::string shortExtension = std::string(253, 's') + ".p";
    WriteBytes(bare, "no extension");
    WriteBytes(shortExtension, "short extension");
    WriteBytes("ok.puz", "ok");
    m_desktop.AddPick(m_folder.GetName(), {bare, shortExtension, "ok.puz"});
    m_desktop.AddAnswers({kIdNo});
    m_app.RunConverter();

    EXPECT_EQ(m_desktop.GetMessageTexts(),
              (Paths{kCouldNotCreate + bare + ".pdb",
                     kCouldNotCreate + std::string(253, 's') + ".pdb", kInstallQuestion}));
    ExpectOnlyDatabasesOf({{"ok.pdb", "ok"}});
}

}  // namespace
