#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/ConvertorApp.h"
#include "platform/PathRules.h"
#include "tests/support/DatabaseCheck.h"
#include "tests/support/ScriptedDesktop.h"
#include "tests/support/TestFiles.h"
#include "tests/support/UserTexts.h"

namespace fs = std::filesystem;

namespace {

using namespace UserTexts;

using Paths = std::vector<std::string>;

constexpr unsigned kStop = 0x10;
constexpr unsigned kYesNoQuestion = 0x24;
constexpr unsigned kYesNoInformation = 0x44;

class ConversionRunTest : public ::testing::Test {
protected:
    std::string PathOf(const std::string& name) const {
        return m_folder.GetName() + kFolderSeparator + name;
    }
    void Pick(const std::vector<std::string>& names) {
        m_desktop.AddPick(m_folder.GetName(), names);
    }
    void Run() { EXPECT_TRUE(m_app.RunConverter()); }
    void ExpectDatabaseOf(const std::string& output, const std::string& input) {
        EXPECT_TRUE(IsStreamDatabaseOf(ReadBytes(output), input)) << output;
    }

    CTempFolder m_folder;
    CScriptedDesktop m_desktop;
    CConvertorApp m_app{m_desktop};
};

TEST_F(ConversionRunTest, CancelAtTheFirstPickerEndsSilently) {
    Run();
    ASSERT_EQ(m_desktop.m_requests.size(), 1u);
    EXPECT_TRUE(m_desktop.m_messages.empty());
    EXPECT_TRUE(fs::is_empty(m_folder.GetPath()));

    const COpenFileDialogRequest& request = m_desktop.m_requests.front();
    EXPECT_EQ(request.title, kTitle);
    EXPECT_EQ(request.filters,
              (std::vector<std::pair<std::string, std::string>>{{kFilter, "*.puz"}}));
    EXPECT_EQ(request.flags, kOfnAllowMultiSelect | kOfnHideReadOnly | kOfnExplorer |
                                 kOfnEnableHook | kOfnEnableSizing);
    EXPECT_EQ(request.iconResource, 128u);
    EXPECT_EQ(request.okCaption, kConvert);
    EXPECT_EQ(request.cancelCaption, kExit);
}

TEST_F(ConversionRunTest, ConvertsEachFileBesideItAndHandsAllToTheInstaller) {
    const std::string a = MakeBytes(5000, 1), b = MakeBytes(0), c = MakeBytes(4088, 3);
    WriteBytes("a.puz", a);
    WriteBytes("b.puz", b);
    WriteBytes("c.d.puz", c);
    Pick({"a.puz", "b.puz", "c.d.puz"});
    Pick({"never.puz"});
    m_desktop.AddAnswers({kIdYes});
    m_desktop.m_associatedProgram = "installer";
    Run();

    ExpectDatabaseOf("a.pdb", a);
    ExpectDatabaseOf("b.pdb", b);
    ExpectDatabaseOf("c.d.pdb", c);
    EXPECT_EQ(DatabaseNameOf(ReadBytes("c.d.pdb")), "c.d");
    const Paths written{PathOf("a.pdb"), PathOf("b.pdb"), PathOf("c.d.pdb")};
    EXPECT_EQ(m_app.GetConvertedFiles(), written);

    ASSERT_EQ(m_desktop.m_messages.size(), 1u);
    EXPECT_EQ(m_desktop.m_messages[0].text, kInstallQuestion);
    EXPECT_EQ(m_desktop.m_messages[0].caption, kTitle);
    EXPECT_EQ(m_desktop.m_messages[0].style, kYesNoInformation);
    EXPECT_EQ(m_desktop.m_lookups, Paths{PathOf("a.pdb")});
    ASSERT_EQ(m_desktop.m_starts.size(), 1u);
    EXPECT_EQ(m_desktop.m_starts[0].program, "installer");
    EXPECT_EQ(m_desktop.m_starts[0].files, written);
    EXPECT_EQ(m_desktop.m_requests.size(), 1u);  // a complete batch ends the run
}

TEST_F(ConversionRunTest, OpenFailureStopsTheBatchAndShowsThePickerAgain) {
    WriteBytes("a.puz", "first");
    WriteBytes("c.puz", "third");
    Pick({"a.puz", "b.puz", "c.puz"});
    m_desktop.AddAnswers({kIdNo});
    Run();

    EXPECT_EQ(m_desktop.GetMessageTexts(), (Paths{kCouldNotOpen + "b.puz", kInstallQuestion}));
    EXPECT_EQ(m_desktop.m_messages[0].style, kStop);
    EXPECT_TRUE(fs::exists("a.pdb"));
    EXPECT_FALSE(fs::exists("c.pdb"));
    EXPECT_TRUE(m_desktop.m_starts.empty());
    EXPECT_EQ(m_desktop.m_requests.size(), 2u);
}

TEST_F(ConversionRunTest, OpenFailureWithNothingWrittenAsksNoInstallQuestion) {
    Pick({"gone.puz"});
    Run();
    EXPECT_EQ(m_desktop.GetMessageTexts(), Paths{kCouldNotOpen + "gone.puz"});
    EXPECT_EQ(m_desktop.m_requests.size(), 2u);
}

TEST_F(ConversionRunTest, DecliningEveryOverwriteWritesNothingAndEndsTheRun) {
    WriteBytes("a.puz", "new a");
    WriteBytes("b.puz", "new b");
    WriteBytes("a.pdb", "old a");
    WriteBytes("b.pdb", "old b");
    Pick({"a.puz", "b.puz"});
    Pick({"a.puz"});
    m_desktop.AddAnswers({kIdNo, kIdNo});
    Run();

    EXPECT_EQ(m_desktop.GetMessageTexts(),
              (Paths{OverwriteQuestion(PathOf("a.pdb")), OverwriteQuestion(PathOf("b.pdb"))}));
    EXPECT_EQ(m_desktop.m_messages[0].style, kYesNoQuestion);
    EXPECT_EQ(ReadBytes("a.pdb"), "old a");
    EXPECT_EQ(ReadBytes("b.pdb"), "old b");
    EXPECT_TRUE(m_app.GetConvertedFiles().empty());
    EXPECT_EQ(m_desktop.m_requests.size(), 1u);
}

TEST_F(ConversionRunTest, OverwriteReplacesTheWholeOldDatabase) {
    const std::string input = MakeBytes(100);
    WriteBytes("a.puz", input);
    WriteBytes("a.pdb", MakeBytes(20000, 7));
    Pick({"a.puz"});
    m_desktop.AddAnswers({kIdYes, kIdNo});
    Run();
    ExpectDatabaseOf("a.pdb", input);
    EXPECT_EQ(m_app.GetConvertedFiles(), Paths{PathOf("a.pdb")});
}

TEST_F(ConversionRunTest, UnwritableOutputsAreReportedAndTheBatchGoesOn) {
    WriteBytes("ro.puz", "x");
    WriteBytes("ro.pdb", "read-only");
    fs::permissions("ro.pdb",
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    WriteBytes("x.pdb", "input named like its output");
    WriteBytes("dir.puz", "x");
    fs::create_directory("dir.pdb");
    WriteBytes("ok.puz", "fine");
    Pick({"ro.puz", "x.pdb", "dir.puz", "ok.puz"});
    m_desktop.AddAnswers({kIdNo});
    Run();

    EXPECT_EQ(m_desktop.GetMessageTexts(),
              (Paths{kCouldNotCreate + "ro.pdb", kCouldNotCreate + "x.pdb",
                     kCouldNotCreate + "dir.pdb", kInstallQuestion}));
    EXPECT_EQ(m_desktop.m_messages[0].style, kStop);
    EXPECT_EQ(ReadBytes("ro.pdb"), "read-only");
    EXPECT_EQ(ReadBytes("x.pdb"), "input named like its output");
    EXPECT_EQ(m_app.GetConvertedFiles(), Paths{PathOf("ok.pdb")});
    EXPECT_EQ(m_desktop.m_requests.size(), 1u);
}

TEST_F(ConversionRunTest, SameBaseNameTwiceAsksAndRecordsThePathTwice) {
    WriteBytes("a.puz", "from puz");
    WriteBytes("a.dat", "from dat");
    Pick({"a.puz", "a.dat"});
    m_desktop.AddAnswers({kIdYes, kIdYes});
    m_desktop.m_associatedProgram = "installer";
    Run();

    EXPECT_EQ(m_desktop.m_messages[0].text, OverwriteQuestion(PathOf("a.pdb")));
    ExpectDatabaseOf("a.pdb", "from dat");
    ASSERT_EQ(m_desktop.m_starts.size(), 1u);
    EXPECT_EQ(m_desktop.m_starts[0].files, (Paths{PathOf("a.pdb"), PathOf("a.pdb")}));
}

TEST_F(ConversionRunTest, InstallListGrowsAcrossBatches) {
    WriteBytes("a.puz", "a");
    WriteBytes("b.puz", "b");
    Pick({"a.puz", "missing.puz"});
    Pick({"b.puz"});
    m_desktop.AddAnswers({kIdYes, kIdYes});
    m_desktop.m_associatedProgram = "installer";
    Run();

    ASSERT_EQ(m_desktop.m_starts.size(), 2u);
    EXPECT_EQ(m_desktop.m_starts[0].files, Paths{PathOf("a.pdb")});
    EXPECT_EQ(m_desktop.m_starts[1].files, (Paths{PathOf("a.pdb"), PathOf("b.pdb")}));
    EXPECT_EQ(m_desktop.m_requests.size(), 2u);
}

TEST_F(ConversionRunTest, NoAssociatedProgramIsSilent) {
    WriteBytes("a.puz", "a");
    Pick({"a.puz"});
    m_desktop.AddAnswers({kIdYes});
    Run();
    EXPECT_EQ(m_desktop.m_lookups, Paths{PathOf("a.pdb")});
    EXPECT_TRUE(m_desktop.m_starts.empty());
    EXPECT_EQ(m_desktop.m_messages.size(), 1u);
}

TEST_F(ConversionRunTest, TooManyFilesIsReportedAndEndsTheRun) {
    m_desktop.AddOutcome(EPickOutcome::kBufferTooSmall);
    Pick({"never.puz"});
    Run();
    EXPECT_EQ(m_desktop.GetMessageTexts(), Paths{kTooManyFiles});
    EXPECT_EQ(m_desktop.m_messages[0].style, kStop);
    EXPECT_EQ(m_desktop.m_requests.size(), 1u);
}

TEST_F(ConversionRunTest, InputWithoutExtensionGetsOne) {
    WriteBytes("Sunday", "s");
    Pick({"Sunday"});
    m_desktop.AddAnswers({kIdNo});
    Run();
    ExpectDatabaseOf("Sunday.pdb", "s");
}

// The record count is 16 bits: the largest input fills it exactly, one more
// byte would need a record the database cannot count.
TEST_F(ConversionRunTest, LargestInputConvertsAndOneByteMoreIsRefused) {
    constexpr std::uintmax_t kLargest = 65535ull * 4088;
    WriteBytes("huge.puz", "");
    fs::resize_file("huge.puz", kLargest + 1);
    WriteBytes("largest.puz", "");
    fs::resize_file("largest.puz", kLargest);
    Pick({"huge.puz", "largest.puz"});
    m_desktop.AddAnswers({kIdNo});
    Run();

    EXPECT_EQ(m_desktop.GetMessageTexts(), (Paths{kTooLarge + "huge.puz", kInstallQuestion}));
    EXPECT_FALSE(fs::exists("huge.pdb"));
    EXPECT_EQ(fs::file_size("largest.pdb"), 78 + 4104ull * 65535);
    std::ifstream largest("largest.pdb", std::ios::binary);
    std::string head(78 + 8 * 65535, '\0');
    largest.read(&head[0], static_cast<std::streamsize>(head.size()));
    EXPECT_EQ(ReadBig(head, 76, 2), 65535u);
    EXPECT_EQ(ReadBig(head, head.size() - 8, 4), head.size() + 4096ull * 65534);
    EXPECT_EQ(head.substr(head.size() - 3), std::string("\xFF\xFF\x00", 3));
    EXPECT_EQ(m_app.GetConvertedFiles(), Paths{PathOf("largest.pdb")});
}

}  // namespace
