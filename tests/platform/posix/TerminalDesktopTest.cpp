#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

#include "platform/Desktop.h"
#include "platform/posix/TerminalDesktop.h"
#include "tests/support/TestFiles.h"
#include "tests/support/UserTexts.h"

namespace fs = std::filesystem;

namespace {

using namespace UserTexts;

using Names = std::vector<std::string>;

TEST(SelectionLineTest, SplitsOnBlanksAndKeepsQuotedBlanks) {
    EXPECT_EQ(CTerminalDesktop::SplitSelectionLine("a.puz  b.puz\tc.puz\r"),
              (Names{"a.puz", "b.puz", "c.puz"}));
    EXPECT_EQ(CTerminalDesktop::SplitSelectionLine("\"Sunday Puzzle.puz\" x.puz"),
              (Names{"Sunday Puzzle.puz", "x.puz"}));
    EXPECT_EQ(CTerminalDesktop::SplitSelectionLine("pre\"fix mid\"dle"), Names{"prefix middle"});
    EXPECT_EQ(CTerminalDesktop::SplitSelectionLine("\"open ended"), Names{"open ended"});
    EXPECT_EQ(CTerminalDesktop::SplitSelectionLine(" \"\" "), Names{});
    // A name holding a quote: doubled, inside quotes.
    EXPECT_EQ(CTerminalDesktop::SplitSelectionLine("\"it's \"\"quoted\"\".puz\" \"\"\"\"\"\"\"\""),
              (Names{"it's \"quoted\".puz", "\"\"\""}));
    EXPECT_EQ(CTerminalDesktop::SplitSelectionLine("a\"\"b"), Names{"ab"});
    EXPECT_EQ(CTerminalDesktop::SplitSelectionLine(""), Names{});
}

class TerminalDesktopTest : public ::testing::Test {
protected:
    EPickOutcome Pick(const std::string& typed, bool typedEcho = false) {
        m_in.str(typed);
        m_in.clear();
        CTerminalDesktop desktop(m_in, m_out, m_err, typedEcho);
        return desktop.ShowOpenFileDialog(m_request, m_selection);
    }
    int Ask(const std::string& typed, unsigned style, bool typedEcho = false) {
        m_in.str(typed);
        m_in.clear();
        CTerminalDesktop desktop(m_in, m_out, m_err, typedEcho);
        return desktop.ShowMessageBox("Question?\nReally?", "Caption", style);
    }

    CTempFolder m_folder;
    std::istringstream m_in;
    std::ostringstream m_out;
    std::ostringstream m_err;
    std::vector<char> m_selection = std::vector<char>(3072);
    COpenFileDialogRequest m_request{"Title", {{kFilter, "*.puz"}}, 0, 128, kConvert, kExit};
};

TEST_F(TerminalDesktopTest, ShowsTheFolderAndItsPuzzles) {
    WriteBytes("b.puz", "");
    WriteBytes("A.PUZ", "");
    WriteBytes("notes.txt", "");
    fs::create_directory("dir.puz");
    EXPECT_EQ(Pick(""), EPickOutcome::kCancelled);
    const std::string shown = m_out.str();
    EXPECT_NE(shown.find("Title\nFiles of type: " + kFilter + "\nFolder: " + m_folder.GetName() +
                         "\n  dir.puz/\n  A.PUZ\n  b.puz\n"),
              std::string::npos)
        << shown;
    EXPECT_EQ(shown.find("notes.txt"), std::string::npos);
    EXPECT_NE(shown.find("Convert"), std::string::npos);
    EXPECT_NE(shown.find("Exit"), std::string::npos);
}

// A name reaches the terminal as it must be typed, never raw: an escape
// sequence in a name would clear the screen, a newline show two entries.
TEST_F(TerminalDesktopTest, ListsFoldersAndNamesAsTheyMustBeTyped) {
    fs::create_directory("sub");
    fs::create_directory("My Folder");
    fs::create_directory(".hidden");
    for (const char* name :
         {"b c.puz", "it's \"q\".puz", "\x1B[2J.puz", "two\nlines.puz", "Caf\xE9.puz",
          "\xC2\x9B"
          "1m.puz",
          "ok.puz"}) {
        WriteBytes(name, "");
    }
    EXPECT_EQ(Pick(""), EPickOutcome::kCancelled);
    const std::string shown = m_out.str();
    EXPECT_NE(shown.find("\n  \"My Folder/\"\n  sub/\n"), std::string::npos) << shown;
    for (const char* line : {"\n  \"b c.puz\"\n", "\n  \"it's \"\"q\"\".puz\"\n",
                             "\n  \\x1B[2J.puz\n", "\n  two\\x0Alines.puz\n", "\n  Caf\\xE9.puz\n",
                             "\n  \\xC2\\x9B1m.puz\n", "\n  ok.puz\n"}) {
        EXPECT_NE(shown.find(line), std::string::npos) << line;
    }
    EXPECT_EQ(shown.find('\x1B'), std::string::npos);
    EXPECT_EQ(shown.find(".hidden"), std::string::npos);
    EXPECT_EQ(shown.find("lines.puz"), shown.find("two\\x0Alines.puz") + 7);
}

TEST_F(TerminalDesktopTest, NameAsShownIsTheNameTyped) {
    for (const std::string name : {"a.puz", "Sunday Puzzle.puz", "it's \"quoted\".puz", "\"",
                                   "\xC3\xA9t\xC3\xA9.puz", "-rf"}) {
        EXPECT_EQ(CTerminalDesktop::SplitSelectionLine(CTerminalDesktop::ShowName(name)),
                  Names{name})
            << CTerminalDesktop::ShowName(name);
    }
}

// Started from a menu, input ends at once: one line says why nothing
// happened. A terminal's end of input is the user's own doing, and input
// that answered once was a script's.
TEST_F(TerminalDesktopTest, EndOfInputIsExitAndSaidOnceWhereNothingWasAnswered) {
    const std::string said =
        "quintar-convertor: standard input ended before the first answer: "
        "nothing was asked and nothing converted\n";
    m_in.clear();
    CTerminalDesktop desktop(m_in, m_out, m_err, false);
    EXPECT_EQ(desktop.ShowOpenFileDialog(m_request, m_selection), EPickOutcome::kCancelled);
    EXPECT_EQ(desktop.ShowMessageBox("Question?", "Caption", kMbYesNo), kIdNo);
    EXPECT_EQ(m_err.str(), said);

    fs::create_directory("sub");
    const std::vector<std::pair<std::string, bool>> quiet{
        {"", true}, {"sub\n", false}, {"\n", false}};
    for (const auto& [typed, typedEcho] : quiet) {
        m_err.str("");
        EXPECT_EQ(Pick(typed, typedEcho), EPickOutcome::kCancelled);
        EXPECT_EQ(m_err.str(), "") << typed;
    }
    EXPECT_EQ(m_out.str().find("quintar-convertor:"), std::string::npos);
}

TEST_F(TerminalDesktopTest, ConfirmedNamesLandInTheBufferAndMoveTheWorkingFolder) {
    fs::create_directory("sub");
    const std::string sub = m_folder.GetName() + "/sub";
    ASSERT_EQ(Pick("sub/a.puz \"sub/b c.puz\"\n"), EPickOutcome::kConfirmed);
    EXPECT_EQ(UnpackSelection(m_selection), (Names{sub + "/a.puz", sub + "/b c.puz"}));
    EXPECT_EQ(fs::current_path(), fs::path(sub));
}

TEST_F(TerminalDesktopTest, FolderLineOpensTheFolderAndAsksAgain) {
    fs::create_directory("sub");
    WriteBytes("sub/in.puz", "");
    ASSERT_EQ(Pick("sub\nin.puz\n"), EPickOutcome::kConfirmed);
    EXPECT_EQ(UnpackSelection(m_selection), Names{m_folder.GetName() + "/sub/in.puz"});
    EXPECT_NE(m_out.str().find("  in.puz\n"), std::string::npos);
}

TEST_F(TerminalDesktopTest, NamesFromSeveralFoldersAreRefused) {
    fs::create_directory("sub");
    ASSERT_EQ(Pick("a.puz sub/b.puz\n" + m_folder.GetName() + "/a.puz ./b.puz\n"),
              EPickOutcome::kConfirmed);
    EXPECT_NE(m_out.str().find(kSeveralFolders), std::string::npos);
    EXPECT_EQ(UnpackSelection(m_selection),
              (Names{m_folder.GetName() + "/a.puz", m_folder.GetName() + "/b.puz"}));
}

TEST_F(TerminalDesktopTest, NameWithAZeroCharacterIsRefused) {
    WriteBytes("a.puz", "");
    WriteBytes("b.puz", "");
    const char typed[] = "a.puz\0b.puz\n\"sub\0/x.puz\"\na.puz\n";
    ASSERT_EQ(Pick(std::string(typed, sizeof typed - 1)), EPickOutcome::kConfirmed);
    EXPECT_NE(m_out.str().find("a.puz\\x00b.puz is not a file name.\n"), std::string::npos);
    EXPECT_NE(m_out.str().find("sub\\x00/x.puz is not a file name.\n"), std::string::npos);
    EXPECT_EQ(UnpackSelection(m_selection), Names{m_folder.GetName() + "/a.puz"});
}

TEST_F(TerminalDesktopTest, MissingFolderIsRefusedAndNotEntered) {
    EXPECT_EQ(Pick("nowhere/a.puz\n"), EPickOutcome::kCancelled);
    EXPECT_NE(m_out.str().find("The folder of nowhere/a.puz cannot be found."), std::string::npos);
    EXPECT_EQ(fs::current_path(), m_folder.GetPath());
}

TEST_F(TerminalDesktopTest, OverlongSelectionLeavesTheWorkingFolder) {
    fs::create_directory("sub");
    std::string line;
    for (int i = 0; i < 300; ++i) {
        line += "sub/puzzle-" + std::to_string(i) + ".puz ";
    }
    EXPECT_EQ(Pick(line + "\n"), EPickOutcome::kBufferTooSmall);
    EXPECT_EQ(fs::current_path(), m_folder.GetPath());
}

TEST_F(TerminalDesktopTest, MessagePrintsCaptionAndTextAsTheyStand) {
    EXPECT_EQ(Ask("left for later\n", kMbOk | kMbIconStop), kIdOk);
    EXPECT_EQ(m_out.str(), "\nCaption\nQuestion?\nReally?\n");
    std::string rest;
    EXPECT_TRUE(std::getline(m_in, rest));  // an OK box reads nothing
}

// Piped, the answer is not echoed: the program ends the line itself, so that
// its output, the last line included, ends in a newline.
TEST_F(TerminalDesktopTest, AnswerReadFromAPipeEndsItsLine) {
    EXPECT_EQ(Ask("yes\n", kMbYesNo | kMbIconQuestion), kIdYes);
    EXPECT_EQ(m_out.str(), "\nCaption\nQuestion?\nReally?\n[Yes/No] \n");
    m_out.str("");
    EXPECT_EQ(Ask("yes\n", kMbYesNo | kMbIconQuestion, true), kIdYes);
    EXPECT_EQ(m_out.str(), "\nCaption\nQuestion?\nReally?\n[Yes/No] ");
    m_out.str("");
    EXPECT_EQ(Ask("", kMbYesNo | kMbIconQuestion, true), kIdNo);
    EXPECT_EQ(m_out.str().back(), '\n');
}

TEST_F(TerminalDesktopTest, OnlyYesMeansYes) {
    for (const char* yes : {"y\n", "YES\n", " Yes \r\n", "yes"}) {
        EXPECT_EQ(Ask(yes, kMbYesNo | kMbIconQuestion), kIdYes) << yes;
    }
    for (const char* no : {"n\n", "\n", "yess\n", "ok\n", ""}) {
        EXPECT_EQ(Ask(no, kMbYesNo | kMbIconQuestion), kIdNo) << no;
    }
}

// A name inside a message is escaped as the picker escapes it, so that it
// cannot clear the screen, set the title or print a fake answer; the
// message's own words and line breaks stand as they are.
TEST_F(TerminalDesktopTest, NameInsideAMessageNeverReachesTheTerminalRaw) {
    m_in.str("no\n");
    CTerminalDesktop desktop(m_in, m_out, m_err, false);
    const CMessageText question("The following file already exists:\n",
                                "/tmp/\x1B]0;owned\x07\x1B[2J\n[Yes/No] yes\n\xFF"
                                "\xE2\x80\xA8\xE2\x80\xA9.pdb",
                                "\nDo you wish to overwrite it?");
    EXPECT_EQ(desktop.ShowMessageBox(question, "Caption", kMbYesNo | kMbIconQuestion), kIdNo);
    EXPECT_EQ(m_out.str(),
              "\nCaption\nThe following file already exists:\n"
              "/tmp/\\x1B]0;owned\\x07\\x1B[2J\\x0A[Yes/No] yes\\x0A\\xFF"
              "\\xE2\\x80\\xA8\\xE2\\x80\\xA9.pdb\n"
              "Do you wish to overwrite it?\n[Yes/No] \n");
}

// A line no selection or answer could fill is passed over without being
// held: too many files at the picker, No at a question; the next line is
// read as it comes.
TEST_F(TerminalDesktopTest, LineLongerThanAnyAnswerIsRefusedUnread) {
    const std::string endless(1 << 20, '\0');
    EXPECT_EQ(Pick(endless + "\n"), EPickOutcome::kBufferTooSmall);
    m_in.str(std::string(40000, 'y') + "\nyes\n");
    m_in.clear();
    CTerminalDesktop desktop(m_in, m_out, m_err, false);
    EXPECT_EQ(desktop.ShowMessageBox("Really?", "Caption", kMbYesNo), kIdNo);
    EXPECT_EQ(desktop.ShowMessageBox("Really?", "Caption", kMbYesNo), kIdYes);
    EXPECT_EQ(Ask(std::string(32767, ' ') + "y\n", kMbYesNo), kIdNo);
    EXPECT_EQ(Ask(std::string(32766, ' ') + "y\n", kMbYesNo), kIdYes);
}

// A folder that cannot be listed (one this user may enter but not read) is
// said to be so, not shown empty.
TEST_F(TerminalDesktopTest, FolderThatCannotBeListedSaysSo) {
    fs::create_directory("sealed");
    fs::permissions("sealed",
                    fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec);
    fs::permissions(m_folder.GetPath(), fs::perms(0711));
    const pid_t child = fork();
    if (child == 0) {
        // Root reads any folder: the child is nobody.
        constexpr uid_t kNobody = 65534;
        if ((geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) ||
            chdir("sealed") != 0) {
            _exit(2);
        }
        Pick("");
        const std::string shown = m_out.str();
        _exit(shown.find("  (the folder cannot be listed)\n") != std::string::npos &&
                      shown.find("(no matching files)") == std::string::npos
                  ? 0
                  : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

// Standard input that another program left non-blocking is waited on.
TEST(DescriptorInputTest, NonBlockingInputIsWaitedFor) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    fcntl(ends[0], F_SETFL, fcntl(ends[0], F_GETFL) | O_NONBLOCK);
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(write(ends[1], "yes\n", 4), 4);
        close(ends[1]);
    });
    CDescriptorInput input(ends[0]);
    std::istream in(&input);
    std::string line;
    EXPECT_TRUE(std::getline(in, line));
    EXPECT_EQ(line, "yes");
    EXPECT_FALSE(std::getline(in, line));
    writer.join();
    close(ends[0]);
}

}  // namespace
