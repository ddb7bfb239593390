// Names of every script on a Western system, whose code page for programs
// that are not Unicode is 1252: the program takes them all through its UTF-8
// code page, and writes database names in 1252 all the same.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

#include "app/ConvertorApp.h"
#include "platform/DatabaseCodePage.h"
#include "platform/File.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Desktop.h"
#include "streamdb/StreamBlockArray.h"
#include "tests/platform/win32/DialogRobot.h"
#include "tests/support/DatabaseCheck.h"
#include "tests/support/TestFiles.h"
#include "tests/support/UserTexts.h"

namespace fs = std::filesystem;

namespace {

using namespace UserTexts;

using Paths = std::vector<std::string>;

std::wstring FromUtf8(const std::string& text) {
    return Widen(text, CP_UTF8);
}

// A folder and a puzzle in it, named in one script, and the name its
// database gets on a 1252 system: one '_' for each character 1252 lacks.
struct SScript {
    const char* folder;
    const char* stem;
    const char* databaseName;
};
constexpr SScript kScripts[] = {
    {"\xCE\x94\xCE\xB7\xCE\xBC\xCE\xAE\xCF\x84\xCF\x81\xCE\xB7\xCF\x82",  // Δημήτρης
     "\xCE\xA9mega", "_mega"},                                            // Ωmega
    {"\xD0\x94\xD0\xBC\xD0\xB8\xD1\x82\xD1\x80\xD0\xB8\xD0\xB9",          // Дмитрий
     "\xD0\x9A\xD1\x80\xD0\xBE\xD1\x81\xD1\x81 7", "_____ 7"},            // Кросс 7
    {"\xE6\x9D\xB1\xE4\xBA\xAC",                                          // 東京
     "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", "___"},                      // 日本語
    {"\xF0\x9F\xA7\xA9 Puzzles", "x\xF0\x9F\xA7\xA9", "x_"},              // 🧩 Puzzles, x🧩
    {"Caf\xC3\xA9",
     "Cr\xC3\xA8me br\xC3\xBBl\xC3\xA9"
     "e",
     "Cr\xE8me br\xFBl\xE9"
     "e"},
};

class EveryNameTest : public ::testing::Test {
protected:
    CTempFolder m_folder;
    CDialogRobot m_robot;
    CWin32Desktop m_desktop;
    CConvertorApp m_app{m_desktop};
};

// Picked, converted with their own bytes, named in the question as they are.
TEST_F(EveryNameTest, FoldersAndNamesOfEveryScriptConvert) {
    unsigned seed = 1;
    for (const SScript& script : kScripts) {
        SCOPED_TRACE(script.stem);
        const std::string folder = m_folder.GetName() + "\\" + script.folder;
        const std::string puzzle = folder + "\\" + script.stem + ".puz";
        const std::string database = folder + "\\" + script.stem + ".pdb";
        fs::create_directory(FromUtf8(folder));
        const std::string bytes = MakeBytes(5000, seed++);
        WriteBytes(FromUtf8(puzzle), bytes);

        const std::size_t seen = m_robot.GetSeen().size();
        m_robot.Type({puzzle});
        m_robot.Press(IDNO);  // install?
        m_robot.Type({folder, std::string("\"") + script.stem + ".puz\""});
        m_robot.Press(IDYES);  // overwrite?
        m_robot.Press(IDNO);   // install?
        EXPECT_TRUE(m_app.RunConverter());
        EXPECT_TRUE(m_app.RunConverter());

        ASSERT_EQ(m_robot.GetSeen().size(), seen + 5);
        EXPECT_EQ(m_robot.GetSeen()[seen + 1].text, kInstallQuestion);
        EXPECT_EQ(m_robot.GetSeen()[seen + 3].text, OverwriteQuestion(database));
        EXPECT_EQ(m_app.GetConvertedFiles(), Paths{database});
        const std::string written = ReadBytes(FromUtf8(database));
        EXPECT_TRUE(IsStreamDatabaseOf(written, bytes));
        EXPECT_EQ(DatabaseNameOf(written), script.databaseName);
        EXPECT_EQ(ListFolder(FromUtf8(folder)).size(), 2u);  // nothing else left there
    }
}

// The handheld of a Greek or Japanese user reads names in 1253 or 932; a
// Georgian or Hindi PC has no code page of its own for them and uses 1252.
TEST_F(EveryNameTest, DatabaseNameIsInTheCodePageOfTheSystemsLanguage) {
    EXPECT_EQ(GetCodePageOfLocale("el-GR"), 1253u);
    EXPECT_EQ(GetCodePageOfLocale("ja-JP"), 932u);
    EXPECT_EQ(GetCodePageOfLocale("en-US"), 1252u);
    EXPECT_EQ(GetCodePageOfLocale("ka-GE"), 1252u);
    EXPECT_EQ(GetCodePageOfLocale("hi-IN"), 1252u);

    const auto nameIn = [](const char* locale, const std::string& stem) {
        WriteBytes(FromUtf8(stem + ".pdb"), "x");
        CFile file;
        EXPECT_TRUE(file.Open(stem + ".pdb", CFile::EOpenMode::kReadExisting));
        CDatabaseCodePage codePage;
        EXPECT_TRUE(codePage.Open(GetCodePageOfLocale(locale)));
        return MakeDatabaseName(file, codePage);
    };
    EXPECT_EQ(nameIn("el-GR", kScripts[0].folder), "\xC4\xE7\xEC\xDE\xF4\xF1\xE7\xF2");
    EXPECT_EQ(nameIn("el-GR", kScripts[0].stem), "\xD9mega");
    // Twenty characters of two bytes each: cut at the fifteenth, 30 bytes.
    std::string japanese;
    std::string expected;
    for (int i = 0; i < 20; ++i) {
        japanese += "\xE6\x97\xA5";  // 日, 0x93 0xFA in 932
        expected += i < 15 ? "\x93\xFA" : "";
    }
    EXPECT_EQ(nameIn("ja-JP", japanese), expected);
    EXPECT_EQ(nameIn("ja-JP", "a" + japanese), "a" + expected);
    // Georgian letters, which 1252 lacks; and no look-alike of Ω in 1252.
    EXPECT_EQ(nameIn("ka-GE", "\xE1\x83\x91\xE1\x83\x90 1"), "__ 1");
    EXPECT_EQ(nameIn("hi-IN", kScripts[0].stem), "_mega");
}

}  // namespace
