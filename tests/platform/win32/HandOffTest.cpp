#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "app/ConvertorApp.h"
#include "platform/File.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Desktop.h"
#include "tests/platform/win32/DialogRobot.h"
#include "tests/support/TestFiles.h"

namespace fs = std::filesystem;

namespace {

using Paths = std::vector<std::string>;

// Makes the test's own program the one the shell opens databases with, for
// the test's lifetime.
class CDatabaseAssociation {
public:
    explicit CDatabaseAssociation(const std::wstring& program) {
        const std::wstring command = L"\"" + program + L"\" \"%1\"";
        m_made = SetValue(kExtension, kProgId) &&
                 SetValue(std::wstring(kProgId) + L"\\shell\\open\\command", command);
    }
    ~CDatabaseAssociation() {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kExtension);
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
    }
    bool IsMade() const { return m_made; }

private:
    static constexpr wchar_t kExtension[] = L".pdb";
    static constexpr wchar_t kProgId[] = L"Quintar.TestDatabase";

    static bool SetValue(const std::wstring& key, const std::wstring& value) {
        const auto size = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
        return RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, value.c_str(),
                               size) == ERROR_SUCCESS;
    }

    bool m_made = false;
};

std::string ProgramFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string program(path, length);
    return program.substr(0, program.rfind('\\'));
}

// The full path, as the folder stores it, of a path a program was given.
std::wstring LongPathOf(const std::string& path) {
    wchar_t full[MAX_PATH];
    const DWORD length = GetLongPathNameW(Widen(path).c_str(), full, MAX_PATH);
    return std::wstring(full, length < MAX_PATH ? length : 0);
}

// Every test program of a Wine prefix shares its file types: the tests that
// set the one for databases take turns, or one would find another's.
class CAssociationTurn {
public:
    CAssociationTurn()
        : m_mutex(CreateMutexW(nullptr, FALSE, L"Quintar.Tests.DatabaseAssociation")) {
        // An abandoned turn, of a test that ended early, is a turn all the same.
        WaitForSingleObject(m_mutex, INFINITE);
    }
    ~CAssociationTurn() {
        ReleaseMutex(m_mutex);
        CloseHandle(m_mutex);
    }
    CAssociationTurn(const CAssociationTurn&) = delete;
    CAssociationTurn& operator=(const CAssociationTurn&) = delete;

private:
    HANDLE m_mutex;
};

class HandOffTest : public ::testing::Test {
protected:
    void Convert(const std::string& name) {
        CFile input;
        ASSERT_TRUE(input.Open(name, CFile::EOpenMode::kReadExisting));
        m_app.ConvertFile(input);
    }
    std::string PathOf(const std::string& name) const { return m_folder.GetName() + "\\" + name; }
    // Makes `program` the one that opens databases; false where this user
    // already has one of their own.
    bool Associate(const std::wstring& program) {
        HKEY existing = nullptr;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ".pdb", 0, KEY_READ, &existing) == ERROR_SUCCESS) {
            RegCloseKey(existing);
            return false;
        }
        m_association = std::make_unique<CDatabaseAssociation>(program);
        return m_association->IsMade();
    }
    // How the installer was started: its command line, as an ANSI program
    // sees it.
    std::string Install() {
        const std::string record = PathOf("started-with.txt");
        SetEnvironmentVariableA("QUINTAR_PROBE_RECORD", record.c_str());
        m_app.InstallToHandheld();
        // The installer is left to itself; give it a while to show it was started.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!fs::exists(record) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return ReadBytes(record);
    }

    CAssociationTurn m_turn;
    CTempFolder m_folder;
    CDialogRobot m_robot;
    CWin32Desktop m_desktop;
    CConvertorApp m_app{m_desktop};
    const std::string m_probe = ProgramFolder() + "\\quintar_start_probe.exe";
    std::unique_ptr<CDatabaseAssociation> m_association;
};

TEST_F(HandOffTest, InstallStartsTheFirstDatabasesProgramWithAllQuotedPaths) {
    if (!Associate(Widen(m_probe))) {
        GTEST_SKIP() << "this user already opens databases with a program of their own";
    }
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
    const std::string parameters =
        "\"" + PathOf("b c.pdb") + "\" \"" + PathOf("a.pdb") + "\" \"" + PathOf("a.pdb") + "\"";
    EXPECT_EQ(Install(), "\"" + m_probe + "\" " + parameters);
    EXPECT_EQ(m_robot.GetSeen().size(), 1u);  // the overwrite question, nothing about the start
}

// The installer is the databases' type's, found at any depth: past MAX_PATH
// characters the shell finds no program by the file itself.
TEST_F(HandOffTest, DatabaseDeeperThanMaxPathIsHandedToTheInstaller) {
    if (!Associate(Widen(m_probe))) {
        GTEST_SKIP() << "this user already opens databases with a program of their own";
    }
    // Two folders of 100 letters (Wine keeps a name on a Linux file system,
    // 255 bytes at most), in which a name makes a path of 262 characters.
    constexpr std::size_t kDepth = 262;
    constexpr std::size_t kFolderLength = 100;
    const std::wstring folder = Widen(m_folder.GetName()) + L"\\" +
                                std::wstring(kFolderLength, L'd') + L"\\" +
                                std::wstring(kFolderLength, L'd');
    fs::create_directories(folder);
    ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));
    const std::string stem(kDepth - folder.size() - std::string("\\.pdb").size(), 'n');
    WriteBytes(stem + ".puz", "deep");
    Convert(stem + ".puz");
    const std::string database = Narrow(folder) + "\\" + stem + ".pdb";
    ASSERT_EQ(m_app.GetConvertedFiles(), Paths{database});

    ASSERT_EQ(lstrcmpiA(m_desktop.FindAssociatedProgram(database).c_str(), m_probe.c_str()), 0);
    // The installer inherits the working folder: one it still runs in cannot be removed.
    fs::current_path(m_folder.GetPath());
    EXPECT_EQ(Install(), "\"" + m_probe + "\" \"" + database + "\"");
}

// The installer may be an ANSI program: a path its code page cannot hold
// reaches it in its short form, which it can open.
TEST_F(HandOffTest, PathTheInstallersCodePageCannotHoldComesInItsShortForm) {
    if (!Associate(Widen(m_probe))) {
        GTEST_SKIP() << "this user already opens databases with a program of their own";
    }
    const std::wstring folder =
        Widen(m_folder.GetName()) + L"\\\u0394\u03B7\u03BC\u03AE\u03C4\u03C1\u03B7\u03C2";
    fs::create_directory(folder);
    WriteBytes(folder + L"\\a.puz", "a");
    ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));
    Convert("a.puz");
    ASSERT_EQ(m_app.GetConvertedFiles().size(), 1u);

    const std::string started = Install();
    const std::string program = "\"" + m_probe + "\" \"";
    ASSERT_EQ(started.rfind(program, 0), 0u) << started;
    const std::string handed = started.substr(program.size(), started.size() - program.size() - 1);
    EXPECT_EQ(handed.find('?'), std::string::npos) << handed;
    EXPECT_EQ(LongPathOf(handed), folder + L"\\a.pdb") << handed;
}

// The installer's path comes whole however many bytes its characters take:
// 100 CJK characters are 300 bytes of UTF-8, past MAX_PATH.
TEST_F(HandOffTest, InstallersPathIsFoundWholeAtAnyLength) {
    // In two folders: Wine keeps names in UTF-8 on a Linux file system, 255 bytes a name.
    const std::wstring cjk(50, L'\u65E5');
    const std::wstring folder = Widen(m_folder.GetName()) + L"\\" + cjk + L"\\" + cjk;
    fs::create_directories(folder);
    const std::wstring program = folder + L"\\installer.exe";
    fs::copy_file(Widen(m_probe), program);
    if (!Associate(program)) {
        GTEST_SKIP() << "this user already opens databases with a program of their own";
    }
    WriteBytes("a.pdb", "a");
    EXPECT_EQ(LongPathOf(m_desktop.FindAssociatedProgram(PathOf("a.pdb"))), program);
}

TEST_F(HandOffTest, NoAssociatedProgramIsAnEmptyName) {
    WriteBytes("x.quintar-unknown", "x");
    EXPECT_EQ(m_desktop.FindAssociatedProgram(PathOf("x.quintar-unknown")), "");
    EXPECT_EQ(m_desktop.FindAssociatedProgram(PathOf("missing.pdb")), "");
}

}  // namespace
