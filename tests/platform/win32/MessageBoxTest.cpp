#include <gtest/gtest.h>

#include "app/ConvertorApp.h"
#include "platform/File.h"
#include "platform/win32/Win32Desktop.h"
#include "tests/platform/win32/DialogRobot.h"
#include "tests/support/TestFiles.h"
#include "tests/support/UserTexts.h"

namespace {

TEST(MessageBoxTest, ShowsTextAndCaptionWithoutOwnerAndReturnsTheAnswer) {
    CDialogRobot robot;
    CWin32Desktop desktop;
    robot.Press(IDYES);
    robot.Press(IDNO);
    robot.Press(IDOK);
    EXPECT_EQ(desktop.ShowMessageBox("Overwrite?\nReally?", "Caption", kMbYesNo | kMbIconQuestion),
              kIdYes);
    EXPECT_EQ(desktop.ShowMessageBox("Again?", "Caption", kMbYesNo | kMbIconInformation), kIdNo);
    EXPECT_EQ(desktop.ShowMessageBox("Failed:\nx.pdb", "Caption", kMbOk | kMbIconStop), kIdOk);

    const auto& seen = robot.GetSeen();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].title, "Caption");
    EXPECT_EQ(seen[0].text, "Overwrite?\nReally?");
    EXPECT_EQ(seen[0].owner, nullptr);
    EXPECT_EQ(seen[0].buttons, (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(seen[2].text, "Failed:\nx.pdb");
    EXPECT_EQ(seen[2].buttons, std::vector<int>{IDOK});
}

// Return answers the overwrite question with Yes, as the question's first
// button; no later choice of default may turn that into No.
TEST(MessageBoxTest, OverwriteQuestionAnswersReturnWithYes) {
    const CTempFolder folder;
    WriteBytes("a.pdb", "old");
    CDialogRobot robot;
    CWin32Desktop desktop;
    CConvertorApp app(desktop);
    robot.Press(IDNO);
    CFile output;
    EXPECT_FALSE(app.OpenOutputFile(output, "a.pdb"));
    ASSERT_EQ(robot.GetSeen().size(), 1u);
    EXPECT_EQ(robot.GetSeen()[0].text, UserTexts::OverwriteQuestion(folder.GetName() + "\\a.pdb"));
    EXPECT_EQ(robot.GetSeen()[0].defaultButton, IDYES);
}

}  // namespace
