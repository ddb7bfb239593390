#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>

#include "app/ConvertorApp.h"
#include "platform/Startup.h"
#include "tests/support/DatabaseCheck.h"
#include "tests/support/ScriptedDesktop.h"
#include "tests/support/TestFiles.h"
#include "tests/support/UserTexts.h"

namespace fs = std::filesystem;

namespace {

using namespace UserTexts;

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

// The disk fills up in the middle of one database of a batch of three, the
// first, the middle or the last (that one replacing an old database with
// consent): it is taken back and reported, the old database stays byte for
// byte, and the other two are written.
TEST_F(StreamFailureTest, FullDiskTakesBackThePartialDatabaseWhereverItFalls) {
    const Paths names{"a.puz", "b.puz", "c.puz"};
    const Paths outputs{"a.pdb", "b.pdb", "c.pdb"};
    for (std::size_t failing = 0; failing < names.size(); ++failing) {
        SCOPED_TRACE(failing);
        const fs::path folder = m_folder.GetPath() / std::to_string(failing);
        fs::create_directory(folder);
        for (std::size_t i = 0; i < names.size(); ++i) {
            WriteBytes(folder / names[i], i == failing ? MakeBytes(40000) : names[i]);
        }
        const bool overwrite = failing + 1 == names.size();
        const std::string old = MakeBytes(12000, 9);
        if (overwrite) {
            WriteBytes(folder / outputs[failing], old);
        }
        CScriptedDesktop desktop;
        CConvertorApp app(desktop);
        desktop.AddPick(folder.string(), names);
        desktop.AddAnswers(overwrite ? std::vector<int>{kIdYes, kIdNo} : std::vector<int>{kIdNo});
        {
            const CFileSizeCap cap(20000);
            app.RunConverter();
        }
        const std::string failure = kCouldNotWrite + outputs[failing];
        // Behind the overwrite question, if any; before the install question.
        const std::size_t reported = overwrite ? 1 : 0;
        ASSERT_EQ(desktop.m_messages.size(), reported + 2);
        EXPECT_EQ(desktop.m_messages[reported].text, failure);
        EXPECT_EQ(desktop.m_messages[reported].style, 0x10u);
        if (overwrite) {
            EXPECT_EQ(ReadBytes(folder / outputs[failing]), old);
        } else {
            EXPECT_FALSE(fs::exists(folder / outputs[failing]));
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), overwrite ? 6 : 5);
        Paths written;
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (i != failing) {
                EXPECT_TRUE(IsStreamDatabaseOf(ReadBytes(folder / outputs[i]), names[i]));
                written.push_back(folder.string() + "/" + outputs[i]);
            }
        }
        EXPECT_EQ(app.GetConvertedFiles(), written);
    }
}

TEST_F(StreamFailureTest, UnreadableInputIsReportedAndNothingWritten) {
    // Reading this process's memory at offset 0 fails with an I/O error.
    fs::create_symlink("/proc/self/mem", "bad.puz");
    WriteBytes("good.puz", "good");
    m_desktop.AddPick(m_folder.GetName(), {"bad.puz", "good.puz"});
    m_desktop.AddAnswers({kIdNo});
    m_app.RunConverter();
    ASSERT_EQ(m_desktop.m_messages.size(), 2u);
    EXPECT_EQ(m_desktop.m_messages[0].text, kCouldNotRead + "bad.puz");
    EXPECT_FALSE(fs::exists("bad.pdb"));
    EXPECT_TRUE(fs::exists("good.pdb"));
}

}  // namespace
