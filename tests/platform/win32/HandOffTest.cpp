#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "app/ConvertorApp.h"
#include "platform/File.h"
#include "platform/win32/Win32Desktop.h"
#include "tests/platform/win32/DialogRobot.h"
#include "tests/support/TestFiles.h"

namespace fs = std::filesystem;

namespace {

using Paths = std::vector<std::string>;

TEST(ParameterTextTest, QuotesEveryPathInOrderWithSingleSpaces) {
    EXPECT_EQ(CWin32Desktop::MakeParameterText({}), "");
    EXPECT_EQ(CWin32Desktop::MakeParameterText({"C:\\P\\a.pdb"}), "\"C:\\P\\a.pdb\"");
    EXPECT_EQ(
        CWin32Desktop::MakeParameterText({"C:\\P\\b.pdb", "C:\\My Puzzles\\a.pdb", "C:\\P\\b.pdb"}),
        "\"C:\\P\\b.pdb\" \"C:\\My Puzzles\\a.pdb\" \"C:\\P\\b.pdb\"");
}

// Makes the test's own program the one the shell opens databases with, for
// the test's lifetime.
class CDatabaseAssociation {
public:
    explicit CDatabaseAssociation(const std::string& program) {
        const std::string command = "\"" + program + "\" \"%1\"";
        m_made = SetValue(kExtension, kProgId) &&
                 SetValue(std::string(kProgId) + "\\shell\\open\\command", command);
    }
    ~CDatabaseAssociation() {
        RegDeleteTreeA(HKEY_CLASSES_ROOT, kExtension);
        RegDeleteTreeA(HKEY_CLASSES_ROOT, kProgId);
    }
    bool IsMade() const { return m_made; }

private:
    static constexpr char kExtension[] = ".pdb";
    static constexpr char kProgId[] = "Quintar.TestDatabase";

    static bool SetValue(const std::string& key, const std::string& value) {
        return RegSetKeyValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, value.c_str(),
                               static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
    }

    bool m_made = false;
};

std::string ProgramFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string program(path, length);
    return program.substr(0, program.rfind('\\'));
}

class HandOffTest : public ::testing::Test {
protected:
    void Convert(const std::string& name) {
        CFile input;
        ASSERT_TRUE(input.Open(name, CFile::EOpenMode::kReadExisting));
        m_app.ConvertFile(input);
    }
    std::string PathOf(const std::string& name) const { return m_folder.GetName() + "\\" + name; }

    CTempFolder m_folder;
    CDialogRobot m_robot;
    CWin32Desktop m_desktop;
    CConvertorApp m_app{m_desktop};
    const std::string m_probe = ProgramFolder() + "\\quintar_start_probe.exe";
};

TEST_F(HandOffTest, InstallStartsTheFirstDatabasesProgramWithAllQuotedPaths) {
    HKEY existing = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ".pdb", 0, KEY_READ, &existing) == ERROR_SUCCESS) {
        RegCloseKey(existing);
        GTEST_SKIP() << "this user already opens databases with a program of their own";
    }
    const CDatabaseAssociation association(m_probe);
    ASSERT_TRUE(association.IsMade());
    const std::string record = PathOf("started-with.txt");
    SetEnvironmentVariableA("QUINTAR_PROBE_RECORD", record.c_str());

    WriteBytes("b c.puz", "b");
    WriteBytes("a.puz", "a");
    Convert("b c.puz");
    Convert("a.puz");
    m_robot.Press(IDYES);  // overwrite a.pdb: the list holds it twice
    Convert("a.puz");
    ASSERT_EQ(m_app.GetConvertedFiles(),
              (Paths{PathOf("b c.pdb"), PathOf("a.pdb"), PathOf("a.pdb")}));

    EXPECT_EQ(lstrcmpiA(m_desktop.FindAssociatedProgram(PathOf("a.pdb")).c_str(), m_probe.c_str()),
              0);
    m_app.InstallToHandheld();
    // The installer is left to itself; give it a while to show it was started.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!fs::exists(record) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const std::string parameters =
        "\"" + PathOf("b c.pdb") + "\" \"" + PathOf("a.pdb") + "\" \"" + PathOf("a.pdb") + "\"";
    EXPECT_EQ(ReadBytes(record), "\"" + m_probe + "\" " + parameters);
    EXPECT_EQ(m_robot.GetSeen().size(), 1u);  // the overwrite question, nothing about the start
}

TEST_F(HandOffTest, NoAssociatedProgramIsAnEmptyName) {
    WriteBytes("x.quintar-unknown", "x");
    EXPECT_EQ(m_desktop.FindAssociatedProgram(PathOf("x.quintar-unknown")), "");
    EXPECT_EQ(m_desktop.FindAssociatedProgram(PathOf("missing.pdb")), "");
}

}  // namespace
