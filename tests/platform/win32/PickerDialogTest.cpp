#include <gtest/gtest.h>

#include <filesystem>

#include "app/ConvertorApp.h"
#include "app/PuzzleFileList.h"
#include "platform/win32/Win32Desktop.h"
#include "tests/platform/win32/DialogRobot.h"
#include "tests/support/TestFiles.h"
#include "tests/support/UserTexts.h"

namespace fs = std::filesystem;

namespace {

using namespace UserTexts;

using Paths = std::vector<std::string>;

// Names that make, with `folder`, a selection of exactly `size` characters:
// the folder, each name, a zero after each, and the zero that closes the list.
Paths MakeNamesFilling(const std::string& folder, std::size_t size) {
    constexpr std::size_t kCount = 50;
    const std::size_t letters = size - folder.size() - 1 - kCount - 1;
    Paths names;
    for (std::size_t i = 0; i < kCount; ++i) {
        std::string name = "Crossword " + std::to_string(100 + i) + " ";
        const std::size_t length = letters / kCount + (i < letters % kCount ? 1 : 0);
        names.push_back(name + std::string(length - name.size() - 4, 'x') + ".puz");
    }
    return names;
}

// The name box text that selects `names`.
std::string Quote(const Paths& names) {
    std::string text;
    for (const std::string& name : names) {
        text += '"' + name + "\" ";
    }
    return text;
}

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

TEST_F(PickerDialogTest, OnePathFitsWithItsZeroAndNotWithoutIt) {
    const std::string path = Folder() + "\\a.puz";
    COpenFileDialogRequest request;
    request.flags = kOfnAllowMultiSelect | kOfnExplorer;
    std::vector<char> selection(path.size(), '\0');  // no room for its zero
    m_robot.Type({path});
    EXPECT_EQ(m_desktop.ShowOpenFileDialog(request, selection), EPickOutcome::kBufferTooSmall);

    selection.assign(path.size() + 1, '\0');
    m_robot.Type({path});
    ASSERT_EQ(m_desktop.ShowOpenFileDialog(request, selection), EPickOutcome::kConfirmed);
    EXPECT_EQ(std::string(selection.begin(), selection.end()), path + '\0');
}

TEST_F(PickerDialogTest, NameBoxLongerThanTheDialogCanBeTrustedWithIsTooSmall) {
    // Some 34,000 characters of names: Wine would copy them all, past the buffer.
    Paths names;
    for (int i = 0; i < 600; ++i) {
        names.push_back("Crossword " + std::to_string(1000 + i) + std::string(40, 'x') + ".puz");
    }
    m_robot.Type({Folder(), Quote(names)});
    m_robot.Press(IDOK);
    EXPECT_FALSE(m_list.PickFiles(m_desktop, kTitle));
    ASSERT_EQ(m_robot.GetSeen().size(), 2u);
    EXPECT_EQ(m_robot.GetSeen()[1].text, kTooManyFiles);
}

// Whole runs: what the user is told, and which databases are written.
class PickerRunTest : public PickerDialogTest {
protected:
    CConvertorApp m_app{m_desktop};
};

TEST_F(PickerRunTest, SelectionThatFillsTheBufferConvertsEveryFile) {
    const Paths names = MakeNamesFilling(Folder(), CPuzzleFileList::kSelectionBufferSize);
    for (const std::string& name : names) {
        WriteBytes(Folder() + "\\" + name, name);
    }
    m_robot.Type({Folder(), Quote(names)});
    m_robot.Press(IDNO);  // the install question
    EXPECT_TRUE(m_app.RunConverter());

    ASSERT_EQ(m_robot.GetSeen().size(), 2u);
    EXPECT_EQ(m_robot.GetSeen()[1].text, kInstallQuestion);
    EXPECT_EQ(m_app.GetConvertedFiles().size(), names.size());
    EXPECT_TRUE(
        fs::exists(Folder() + "\\" + names.back().substr(0, names.back().size() - 4) + ".pdb"));
}

TEST_F(PickerRunTest, SelectionOneCharacterOverTheBufferIsTooMany) {
    const Paths names = MakeNamesFilling(Folder(), CPuzzleFileList::kSelectionBufferSize + 1);
    for (const std::string& name : names) {
        WriteBytes(Folder() + "\\" + name, name);
    }
    m_robot.Type({Folder(), Quote(names)});
    m_robot.Press(IDOK);
    EXPECT_TRUE(m_app.RunConverter());

    ASSERT_EQ(m_robot.GetSeen().size(), 2u);
    EXPECT_EQ(m_robot.GetSeen()[1].text, kTooManyFiles);
    EXPECT_TRUE(m_app.GetConvertedFiles().empty());
    for (const auto& entry : fs::directory_iterator(Folder())) {
        EXPECT_NE(entry.path().extension(), ".pdb") << entry.path();
    }
}

}  // namespace
