// A Windows without the UTF-8 code page: the program works in the system's
// code page, 1252 here. A folder it cannot hold is still opened; a name it
// cannot hold is refused, never taken for a look-alike or for a file of the
// same name elsewhere, and its message names it as the dialog showed it.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

#include "app/ConvertorApp.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Desktop.h"
#include "tests/platform/win32/DialogRobot.h"
#include "tests/support/DatabaseCheck.h"
#include "tests/support/TestFiles.h"
#include "tests/support/UserTexts.h"

namespace fs = std::filesystem;

namespace {

using namespace UserTexts;

using Paths = std::vector<std::string>;

// Greek capital omega: no character of code page 1252, whose best fit for it is 'O'.
constexpr wchar_t kOmega[] = L"\u03A9";
// Cyrillic capital zhe: no character of code page 1252 either.
constexpr wchar_t kZhe[] = L"\u0416";

// Runs picked by the real dialog, from a working folder that holds puzzles
// of the names picked elsewhere.
class LegacyCodePageTest : public ::testing::Test {
protected:
    LegacyCodePageTest() {
        fs::create_directory("P");
        WriteBytes("P/a.puz", "a");
        WriteBytes("P/b c.puz", "b");
        fs::create_directory("elsewhere");
        fs::current_path("elsewhere");
        WriteBytes("a.puz", "elsewhere");
        WriteBytes("b c.puz", "elsewhere");
    }
    std::wstring Folder() const { return Widen(m_folder.GetName()) + L"\\P"; }
    std::wstring Elsewhere() const { return Widen(m_folder.GetName()) + L"\\elsewhere"; }

    CTempFolder m_folder;
    CDialogRobot m_robot;
    CWin32Desktop m_desktop;
    CConvertorApp m_app{m_desktop};
};

TEST_F(LegacyCodePageTest, FolderTheCodePageCannotHoldConvertsItsNames) {
    const std::wstring omega = Folder() + L"\\" + kOmega + L"mega";
    fs::create_directory(omega);
    WriteBytes(omega + L"\\a.puz", "omega a");
    WriteBytes(omega + L"\\b c.puz", "omega b");
    // Where the best fit would lead.
    fs::create_directory(Folder() + L"\\Omega");
    WriteBytes(Folder() + L"\\Omega\\a.puz", "other");

    m_robot.Type({omega + L"\\a.puz"});
    m_robot.Press(IDNO);  // install?
    m_robot.Type({omega, L"\"a.puz\" \"b c.puz\""});
    m_robot.Press(IDYES);  // overwrite a.pdb?
    m_robot.Press(IDNO);   // install?
    EXPECT_TRUE(m_app.RunConverter());
    EXPECT_TRUE(m_app.RunConverter());

    ASSERT_EQ(m_robot.GetSeen().size(), 5u);
    EXPECT_EQ(m_app.GetConvertedFiles().size(), 2u);
    EXPECT_TRUE(IsStreamDatabaseOf(ReadBytes(omega + L"\\a.pdb"), "omega a"));
    EXPECT_TRUE(IsStreamDatabaseOf(ReadBytes(omega + L"\\b c.pdb"), "omega b"));
    EXPECT_FALSE(fs::exists(Elsewhere() + L"\\a.pdb"));
    EXPECT_FALSE(fs::exists(Folder() + L"\\Omega\\a.pdb"));
}

TEST_F(LegacyCodePageTest, NameTheCodePageCannotHoldIsNotOpenedAndNoOtherFileInItsPlace) {
    const std::wstring omega = Folder() + L"\\" + kOmega + L"mega.puz";
    WriteBytes(omega, "omega");
    WriteBytes(Folder() + L"\\Omega.puz", "other");
    // Two names the code page spells alike, "?.puz".
    const std::wstring shortOmega = std::wstring(kOmega) + L".puz";
    const std::wstring zhe = std::wstring(kZhe) + L".puz";
    WriteBytes(Folder() + L"\\" + shortOmega, "short omega");
    WriteBytes(Folder() + L"\\" + zhe, "zhe");
    ASSERT_EQ(ReadBytes(omega), "omega");  // two files, each with its own name
    m_robot.Type({Folder(), L"\"a.puz\" \"" + std::wstring(kOmega) + L"mega.puz\" \"b c.puz\""});
    m_robot.Press(IDOK);  // could not open
    m_robot.Press(IDNO);  // install a.pdb?
    m_robot.Type({omega});
    m_robot.Press(IDOK);  // could not open
    m_robot.Press(IDNO);  // install a.pdb?
    m_robot.Type({Folder(), L"\"" + zhe + L"\" \"" + shortOmega + L"\""});
    m_robot.Press(IDOK);  // could not open
    m_robot.Press(IDNO);  // install a.pdb?
    m_robot.Type({Folder(), L"\"" + shortOmega + L"\" \"" + zhe + L"\""});
    m_robot.Press(IDOK);  // could not open
    m_robot.Press(IDNO);  // install a.pdb?
    m_robot.Press(IDCANCEL);
    EXPECT_TRUE(m_app.RunConverter());

    const auto& seen = m_robot.GetSeen();
    ASSERT_EQ(seen.size(), 13u);
    const std::wstring couldNotOpen = Widen(kCouldNotOpen);
    EXPECT_EQ(seen[1].wideText, couldNotOpen + kOmega + L"mega.puz");
    EXPECT_EQ(seen[4].wideText, couldNotOpen + kOmega + L"mega.puz");
    // Each by its place in the pick: the batch stops at the first.
    EXPECT_EQ(seen[7].wideText, couldNotOpen + zhe);
    EXPECT_EQ(seen[10].wideText, couldNotOpen + shortOmega);
    // The batch stops at the name: the file before it is converted, the one after is not.
    EXPECT_EQ(m_app.GetConvertedFiles(), Paths{Narrow(Folder()) + "\\a.pdb"});
    EXPECT_FALSE(fs::exists(Folder() + L"\\Omega.pdb"));
    EXPECT_FALSE(fs::exists(Folder() + L"\\b c.pdb"));
    EXPECT_FALSE(fs::exists(Folder() + L"\\" + kOmega + L".pdb"));
    EXPECT_FALSE(fs::exists(Folder() + L"\\" + kZhe + L".pdb"));
    EXPECT_FALSE(fs::exists(Elsewhere() + L"\\a.pdb"));
}

}  // namespace
