#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <new>

#include "app/ConvertorApp.h"
#include "tests/support/DatabaseCheck.h"
#include "tests/support/ScriptedDesktop.h"
#include "tests/support/TestFiles.h"
#include "tests/support/UserTexts.h"
#include "tests/support/posix/AllocationFailure.h"

namespace fs = std::filesystem;

namespace {

using namespace UserTexts;

using Texts = std::vector<std::string>;

bool Names(const Texts& messages, const std::string& name) {
    return std::any_of(messages.begin(), messages.end(), [&](const std::string& message) {
        return message.size() > name.size() &&
               message.compare(message.size() - name.size(), name.size(), name) == 0;
    });
}

// Memory runs out at one allocation of a run, each in turn until the run no
// longer reaches it: a run that replaces a.pdb and b.pdb with Yes to every
// question, the count starting with the run or once a.pdb's question is up.
// However it falls, the run ends normally, every database is its old self or
// a whole new one, no unfinished file is left, and only the run's own
// messages are shown; from the question on, each puzzle is converted or named
// in a message of its own: one conversion's failure never ends the batch.
class OutOfMemoryTest : public ::testing::TestWithParam<bool> {};

TEST_P(OutOfMemoryTest, AnyOneFailedAllocationEndsNoMoreThanItsStep) {
    const bool fromQuestion = GetParam();
    const std::string a = MakeBytes(5000, 1);
    const std::string b = MakeBytes(9000, 2);
    const std::string old = "old database";
    std::size_t failures = 0;
    for (std::size_t count = 1;; ++count) {
        SCOPED_TRACE(count);
        const CTempFolder folder;
        WriteBytes("a.puz", a);
        WriteBytes("b.puz", b);
        WriteBytes("a.pdb", old);
        WriteBytes("b.pdb", old);
        CScriptedDesktop desktop;
        CConvertorApp app(desktop);
        desktop.AddPick(folder.GetName(), {"a.puz", "b.puz"});
        std::unique_ptr<CAllocationFailure> failure;
        const auto arm = [&] { failure = std::make_unique<CAllocationFailure>(count); };
        desktop.AddAnswer(kIdYes, fromQuestion ? arm : std::function<void()>());
        desktop.AddAnswers({kIdYes, kIdYes});  // b.pdb; install
        if (!fromQuestion) {
            arm();
        }
        EXPECT_NO_THROW(app.RunConverter());
        const bool failed = failure && failure->HasFailed();
        failure.reset();

        const Texts messages = desktop.GetMessageTexts();
        const Texts allowed{OverwriteQuestion(folder.GetName() + "/a.pdb"),
                            OverwriteQuestion(folder.GetName() + "/b.pdb"),
                            kTooLarge + "a.puz",
                            kTooLarge + "b.puz",
                            kCouldNotWrite + "a.pdb",
                            kCouldNotWrite + "b.pdb",
                            kInstallQuestion};
        for (const std::string& text : messages) {
            EXPECT_NE(std::find(allowed.begin(), allowed.end(), text), allowed.end()) << text;
        }
        EXPECT_EQ(ListFolder(folder.GetPath()), (Texts{"a.pdb", "a.puz", "b.pdb", "b.puz"}));
        const std::string written[] = {ReadBytes("a.pdb"), ReadBytes("b.pdb")};
        const bool converted[] = {IsStreamDatabaseOf(written[0], a),
                                  IsStreamDatabaseOf(written[1], b)};
        EXPECT_TRUE(converted[0] || written[0] == old);
        EXPECT_TRUE(converted[1] || written[1] == old);
        if (fromQuestion) {
            EXPECT_TRUE(converted[0] || Names(messages, "a.puz") || Names(messages, "a.pdb"));
            EXPECT_TRUE(converted[1] || Names(messages, "b.puz") || Names(messages, "b.pdb"));
        }
        if (!failed) {
            EXPECT_TRUE(converted[0] && converted[1]);
            break;
        }
        ++failures;
    }
    EXPECT_GT(failures, 10u);
}

INSTANTIATE_TEST_SUITE_P(CountedFrom, OutOfMemoryTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "TheQuestion" : "TheStart"; });

}  // namespace
