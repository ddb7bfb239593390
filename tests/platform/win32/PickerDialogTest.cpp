#include <gtest/gtest.h>

#include <filesystem>

#include "app/PuzzleFileList.h"
#include "platform/win32/Win32Desktop.h"
#include "tests/platform/win32/DialogRobot.h"
#include "tests/support/TestFiles.h"
#include "tests/support/UserTexts.h"

namespace fs = std::filesystem;

namespace {

using namespace UserTexts;

using Paths = std::vector<std::string>;

// The real common dialog, shown by the real picking code and answered by the robot.
class PickerDialogTest : public ::testing::Test {
protected:
    PickerDialogTest() {
        fs::create_directory("P");
        WriteBytes("P/a.puz", "a");
        WriteBytes("P/b c.puz", "b");
        fs::create_directory("elsewhere");
        fs::current_path("elsewhere");
    }
    std::string Folder() const { return m_folder.GetName() + "\\P"; }

    CTempFolder m_folder;
    CDialogRobot m_robot;
    CWin32Desktop m_desktop;
    CPuzzleFileList m_list;
};

TEST_F(PickerDialogTest, ShowsTheIconAndCaptionsAndExitCancels) {
    m_robot.Press(IDCANCEL);
    EXPECT_FALSE(m_list.PickFiles(m_desktop, kTitle));

    ASSERT_EQ(m_robot.GetSeen().size(), 1u);  // no message after Exit
    const CDialogRobot::CSeen& picker = m_robot.GetSeen().front();
    EXPECT_TRUE(picker.isPicker);
    EXPECT_EQ(picker.title, kTitle);
    EXPECT_EQ(picker.filter, kFilter);
    EXPECT_EQ(picker.okCaption, kConvert);
    EXPECT_EQ(picker.cancelCaption, kExit);
    EXPECT_EQ(picker.owner, nullptr);
    const HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(128));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(picker.bigIcon, icon);
}

TEST_F(PickerDialogTest, OneFileComesAsItsFullPathAndItsFolderBecomesTheWorkingFolder) {
    m_robot.Type({Folder() + "\\a.puz"});
    ASSERT_TRUE(m_list.PickFiles(m_desktop, kTitle));
    EXPECT_EQ(m_list.GetPaths(), Paths{Folder() + "\\a.puz"});
    EXPECT_EQ(fs::current_path(), fs::path(Folder()));
}

TEST_F(PickerDialogTest, SeveralFilesComeInOrderWithTheirFolder) {
    m_robot.Type({Folder(), "\"b c.puz\" \"a.puz\""});
    ASSERT_TRUE(m_list.PickFiles(m_desktop, kTitle));
    EXPECT_EQ(m_list.GetPaths(), (Paths{Folder() + "\\b c.puz", Folder() + "\\a.puz"}));
    EXPECT_EQ(fs::current_path(), fs::path(Folder()));
}

TEST_F(PickerDialogTest, SelectionLongerThanTheBufferIsTooSmall) {
    const std::string path = Folder() + "\\a.puz";
    std::vector<char> selection(path.size(), '\0');  // no room for the closing zeros
    m_robot.Type({path});
    COpenFileDialogRequest request;
    request.flags = kOfnAllowMultiSelect | kOfnExplorer;
    EXPECT_EQ(m_desktop.ShowOpenFileDialog(request, selection), EPickOutcome::kBufferTooSmall);
}

}  // namespace
