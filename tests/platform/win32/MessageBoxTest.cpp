#include <gtest/gtest.h>

#include "platform/win32/Win32Desktop.h"
#include "tests/platform/win32/DialogRobot.h"

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

}  // namespace
