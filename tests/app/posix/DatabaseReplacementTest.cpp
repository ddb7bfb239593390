#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/ConvertorApp.h"
#include "platform/File.h"
#include "tests/support/DatabaseCheck.h"
#include "tests/support/ScriptedDesktop.h"
#include "tests/support/TestFiles.h"
#include "tests/support/UserTexts.h"

namespace fs = std::filesystem;

namespace {

using namespace UserTexts;

using Paths = std::vector<std::string>;

// An existing database is replaced only after a Yes, and then by a whole
// new one holding the puzzle as it was read.
class DatabaseReplacementTest : public ::testing::Test {
protected:
    CTempFolder m_folder;
    CScriptedDesktop m_desktop;
    CConvertorApp m_app{m_desktop};
};

// Another program saves the puzzle while the overwrite question waits.
TEST_F(DatabaseReplacementTest, PuzzleRewrittenWhileTheQuestionWaitsIsConvertedAsRead) {
    const std::string asRead = MakeBytes(5000, 1);
    const std::vector<std::pair<const char*, std::function<void()>>> rewrites{
        {"longer", [] { WriteBytes("a.puz", MakeBytes(6000, 2)); }},
        {"shorter", [] { WriteBytes("a.puz", MakeBytes(4500, 3)); }},
        {"in place",
         [] {
             std::fstream file("a.puz", std::ios::in | std::ios::out | std::ios::binary);
             const std::string other = MakeBytes(5000, 4);
             file.write(other.data(), static_cast<std::streamsize>(other.size()));
         }},
    };
    for (const auto& [how, rewrite] : rewrites) {
        SCOPED_TRACE(how);
        WriteBytes("a.puz", asRead);
        WriteBytes("a.pdb", "old database");
        CScriptedDesktop desktop;
        CConvertorApp app(desktop);
        desktop.AddPick(m_folder.GetName(), {"a.puz"});
        desktop.AddAnswer(kIdYes, rewrite);
        desktop.AddAnswers({kIdNo});
        app.RunConverter();
        EXPECT_TRUE(IsStreamDatabaseOf(ReadBytes("a.pdb"), asRead));
        EXPECT_EQ(desktop.m_messages.size(), 2u);
    }
}

// Held for a moment by another copy of the program, the database cannot be
// asked about; it is then never replaced without the question.
TEST_F(DatabaseReplacementTest, DatabaseHeldElsewhereIsNeitherAskedAboutNorReplaced) {
    WriteBytes("a.puz", "new");
    WriteBytes("a.pdb", "old database");
    CFile elsewhere;
    ASSERT_TRUE(elsewhere.Open("a.pdb", CFile::EOpenMode::kReadExisting));
    m_desktop.AddPick(m_folder.GetName(), {"a.puz"});
    m_app.RunConverter();
    elsewhere.Close();

    EXPECT_EQ(m_desktop.GetMessageTexts(), Paths{kCouldNotCreate + "a.pdb"});
    EXPECT_EQ(ReadBytes("a.pdb"), "old database");
    EXPECT_EQ(ListFolder(m_folder.GetPath()), (Paths{"a.pdb", "a.puz"}));
}

}  // namespace
