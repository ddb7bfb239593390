#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/Desktop.h"
#include "platform/posix/TerminalDesktop.h"
#include "tests/support/TestFiles.h"

namespace fs = std::filesystem;

namespace {

using Lines = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

constexpr std::chrono::seconds kPatience{15};

// A program that records its arguments, one a line, then how it was started,
// and holds on until it is released (or gives up after a while).
constexpr char kRecorder[] = R"(#!/bin/sh
for argument; do printf '%s\n' "$argument"; done >"$0.args.part"
mv "$0.args.part" "$0.args"
{
    readlink /proc/$$/fd/0
    cut -d' ' -f6 /proc/$$/stat
    echo $$
    grep SigIgn /proc/$$/status
} >"$0.how.part"
mv "$0.how.part" "$0.how"
tries=0
while [ ! -e "$0.release" ] && [ $tries -lt 200 ]; do sleep 0.1; tries=$((tries + 1)); done
touch "$0.done"
)";

Lines ReadLines(const fs::path& path) {
    std::ifstream in(path);
    Lines lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

bool WaitFor(const fs::path& path) {
    const auto deadline = Clock::now() + kPatience;
    while (!fs::exists(path)) {
        if (Clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

class FreedesktopLauncherTest : public ::testing::Test {
protected:
    void LaunchApplication(const std::string& entry, const Lines& files) {
        QuintarLaunchApplication(entry, files);
    }
    // A desktop entry for the recorder whose Exec line is `exec` + " %F".
    std::string MakeEntry(const std::string& exec) {
        const fs::path recorder = m_folder.GetPath() / "recorder";
        WriteBytes(recorder, kRecorder);
        fs::permissions(recorder, fs::perms::owner_all);
        const fs::path entry = m_folder.GetPath() / "recorder.desktop";
        WriteBytes(entry,
                   "[Desktop Entry]\nType=Application\nName=Recorder\nExec=" + exec + " %F\n");
        return entry.string();
    }
    fs::path Recorded(const char* what) const {
        return m_folder.GetPath() / (std::string("recorder.") + what);
    }

    CTempFolder m_folder;
};

TEST_F(FreedesktopLauncherTest, StartsTheProgramWithEachPathAsItsOwnArgumentAndDoesNotWait) {
    const std::string entry = MakeEntry((m_folder.GetPath() / "recorder").string());
    const std::string odd = m_folder.GetName() + "/It's \"$HOME\" & `x`;  \xC3\xA9.pdb";
    const Lines files{m_folder.GetName() + "/b.pdb", odd, m_folder.GetName() + "/a.pdb",
                      m_folder.GetName() + "/b.pdb"};
    // This process passes over what the program passes over; the started one must not.
    PrepareProcess();
    const auto started = Clock::now();
    LaunchApplication(entry, files);
    const auto returned = Clock::now();

    ASSERT_TRUE(WaitFor(Recorded("args")));
    EXPECT_EQ(ReadLines(Recorded("args")), files);
    // The recorder still waits for its release: the launch did not wait for it.
    EXPECT_LT(returned - started, std::chrono::seconds(5));
    EXPECT_FALSE(fs::exists(Recorded("done")));

    ASSERT_TRUE(WaitFor(Recorded("how")));
    const Lines how = ReadLines(Recorded("how"));
    ASSERT_EQ(how.size(), 4u);
    EXPECT_EQ(how[0], "/dev/null");
    EXPECT_EQ(how[1], how[2]) << "not in a session of its own";
    const unsigned long ignored = std::stoul(how[3].substr(how[3].find(':') + 1), nullptr, 16);
    EXPECT_EQ(ignored & ((1ul << (SIGPIPE - 1)) | (1ul << (SIGXFSZ - 1))), 0u) << how[3];

    WriteBytes(Recorded("release"), "");
    ASSERT_TRUE(WaitFor(Recorded("done")));
    // Nothing is left for this process to reap: no zombie, ever.
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST_F(FreedesktopLauncherTest, FailuresAreSilentAndLeaveNoChild) {
    LaunchApplication((m_folder.GetPath() / "no-such.desktop").string(), {"/tmp/a.pdb"});
    LaunchApplication(MakeEntry("/nonexistent/installer"), {"/tmp/a.pdb"});
    WriteBytes("broken.desktop", "this is not a desktop entry");
    LaunchApplication(m_folder.GetName() + "/broken.desktop", {"/tmp/a.pdb"});
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_FALSE(fs::exists(Recorded("args")));
}

}  // namespace
