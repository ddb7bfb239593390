// Every database path Windows takes converts, however deep its folder: the
// hidden file it is written to first has a name 33 characters longer.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
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

// The longest path the ANSI calls take: MAX_PATH with its closing zero.
constexpr std::size_t kLongestPath = MAX_PATH - 1;
// Wine keeps each name in UTF-8 on a Linux file system, which holds 255
// bytes a name: a Greek letter takes two.
constexpr std::size_t kLongestFolderName = 100;

// Folders of `letter` under `base`, made, in which a name of `nameLength`
// makes a path of `length` characters.
std::wstring MakeFolderFor(const std::wstring& base, wchar_t letter, std::size_t nameLength,
                           std::size_t length) {
    const std::size_t wanted = length - nameLength - 1;
    std::wstring folder = base;
    while (folder.size() < wanted) {
        std::size_t part = std::min(kLongestFolderName, wanted - folder.size() - 1);
        // A separator and a letter at least must be left for the next one.
        if (wanted - folder.size() - 1 - part == 1) {
            --part;
        }
        folder += L'\\' + std::wstring(part, letter);
        fs::create_directory(folder);
    }
    return folder;
}

// The full path, as the folder stores it, of a path the program gave.
std::wstring LongPathOf(const std::string& path) {
    wchar_t full[MAX_PATH * 2];
    const DWORD length = GetLongPathNameW(Widen(path).c_str(), full, MAX_PATH * 2);
    return std::wstring(full, length);
}

class DeepFolderTest : public ::testing::Test {
protected:
    CTempFolder m_folder;
    CDialogRobot m_robot;
    CWin32Desktop m_desktop;
    CConvertorApp m_app{m_desktop};
};

TEST_F(DeepFolderTest, LongestDatabasePathsConvertAndAreOverwritten) {
    const std::wstring base = Widen(m_folder.GetName());
    unsigned seed = 1;
    for (const wchar_t letter : {L'a', L'\u03B1'}) {
        for (const std::size_t nameLength : {5, 40}) {
            const std::wstring folder = MakeFolderFor(base, letter, nameLength, kLongestPath);
            // Names any code page holds: a Windows without UTF-8 takes them too.
            const std::wstring stem(nameLength - 4, L'n');
            const std::wstring puzzle = folder + L"\\" + stem + L".puz";
            const std::wstring database = folder + L"\\" + stem + L".pdb";
            SCOPED_TRACE(Narrow(database, CP_UTF8));
            ASSERT_EQ(database.size(), kLongestPath);
            const std::string bytes = MakeBytes(9000, seed++);
            WriteBytes(puzzle, bytes);

            const std::size_t seen = m_robot.GetSeen().size();
            m_robot.Type({puzzle});
            m_robot.Press(IDNO);  // install?
            m_robot.Type({puzzle});
            m_robot.Press(IDYES);  // overwrite?
            m_robot.Press(IDNO);   // install?
            EXPECT_TRUE(m_app.RunConverter());
            EXPECT_TRUE(m_app.RunConverter());

            ASSERT_EQ(m_robot.GetSeen().size(), seen + 5);
            ASSERT_EQ(m_app.GetConvertedFiles().size(), 1u);
            const std::string converted = m_app.GetConvertedFiles().front();
            EXPECT_EQ(LongPathOf(converted), database);
            EXPECT_EQ(m_robot.GetSeen()[seen + 3].text, OverwriteQuestion(converted));
            EXPECT_TRUE(IsStreamDatabaseOf(ReadBytes(database), bytes));
            // The puzzle and its database; nothing unfinished is left.
            EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 2);
        }
    }
}

}  // namespace
