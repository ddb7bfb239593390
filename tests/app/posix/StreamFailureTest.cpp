#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>

#include "app/ConvertorApp.h"
#include "platform/ProcessSetup.h"
#include "tests/support/DatabaseCheck.h"
#include "tests/support/ScriptedDesktop.h"
#include "tests/support/TestFiles.h"

namespace fs = std::filesystem;

namespace {

using Paths = std::vector<std::string>;

// Caps the size of files this process writes for the scope; with SIGXFSZ
// ignored, a write past the cap fails as on a full disk.
class CFileSizeCap {
public:
    explicit CFileSizeCap(rlim_t bytes) {
        PrepareProcess();
        getrlimit(RLIMIT_FSIZE, &m_previous);
        rlimit capped = m_previous;
        capped.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &capped);
    }
    ~CFileSizeCap() { setrlimit(RLIMIT_FSIZE, &m_previous); }

private:
    rlimit m_previous{};
};

class StreamFailureTest : public ::testing::Test {
protected:
    CTempFolder m_folder;
    CScriptedDesktop m_desktop;
    CConvertorApp m_app{m_desktop};
};

TEST_F(StreamFailureTest, FullDiskTakesBackThePartialDatabase) {
    WriteBytes("big.puz", MakeBytes(40000));
    WriteBytes("small.puz", "fits");
    WriteBytes("old.puz", MakeBytes(40000, 2));
    WriteBytes("old.pdb", "replaced with consent");
    m_desktop.AddPick(m_folder.GetName(), {"big.puz", "small.puz", "old.puz"});
    m_desktop.AddAnswers({kIdYes, kIdNo});
    {
        const CFileSizeCap cap(20000);
        m_app.RunConverter();
    }
    ASSERT_EQ(m_desktop.m_messages.size(), 4u);
    EXPECT_EQ(m_desktop.m_messages[0].text, "Conversion failed. Could not write file:\nbig.pdb");
    EXPECT_EQ(m_desktop.m_messages[0].style, 0x10u);
    EXPECT_EQ(m_desktop.m_messages[2].text, "Conversion failed. Could not write file:\nold.pdb");
    EXPECT_FALSE(fs::exists("big.pdb"));
    EXPECT_FALSE(fs::exists("old.pdb"));
    EXPECT_TRUE(IsStreamDatabaseOf(ReadBytes("small.pdb"), "fits"));
    EXPECT_EQ(m_app.GetConvertedFiles(), Paths{m_folder.GetName() + "/small.pdb"});
}

TEST_F(StreamFailureTest, UnreadableInputIsReportedAndNothingWritten) {
    // Reading this process's memory at offset 0 fails with an I/O error.
    fs::create_symlink("/proc/self/mem", "bad.puz");
    WriteBytes("good.puz", "good");
    m_desktop.AddPick(m_folder.GetName(), {"bad.puz", "good.puz"});
    m_desktop.AddAnswers({kIdNo});
    m_app.RunConverter();
    ASSERT_EQ(m_desktop.m_messages.size(), 2u);
    EXPECT_EQ(m_desktop.m_messages[0].text,
              "Conversion failed. Could not read following puzzle file:\nbad.puz");
    EXPECT_FALSE(fs::exists("bad.pdb"));
    EXPECT_TRUE(fs::exists("good.pdb"));
}

}  // namespace
