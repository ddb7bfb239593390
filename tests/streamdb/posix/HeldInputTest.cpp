#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "platform/BufferedReader.h"
#include "platform/BufferedWriter.h"
#include "platform/File.h"
#include "streamdb/BlockArrayFill.h"
#include "streamdb/StreamBlockArray.h"
#include "tests/support/DatabaseCheck.h"
#include "tests/support/TestFiles.h"

namespace fs = std::filesystem;

namespace {

class HeldInputTest : public ::testing::Test {
protected:
    // Fills the block list from `name` and writes its database to out.pdb;
    // whether the writes all succeeded. `meanwhile` runs between the two.
    bool Convert(
        const std::string& name, const std::function<void()>& meanwhile = [] {}) {
        CFile in;
        EXPECT_TRUE(in.Open(name, CFile::EOpenMode::kReadExisting));
        CBufferedReader reader(in);
        EXPECT_EQ(FillBlockArray(reader, m_blocks), EFillResult::kFilled);
        meanwhile();
        CFile out;
        EXPECT_TRUE(out.Open("out.pdb", CFile::EOpenMode::kCreateOrTruncate));
        CBufferedWriter writer(out);
        m_blocks.WriteDatabase(writer);
        return writer.Flush();
    }

    CTempFolder m_folder;
    CStreamBlockArray m_blocks;
};

// Files under /proc say they are empty; only reading them tells what they hold.
TEST_F(HeldInputTest, FileOfUnknownSizeIsReadNotTakenAsEmpty) {
    fs::create_symlink("/proc/self/cmdline", "cmdline.puz");
    const std::string expected = ReadBytes("/proc/self/cmdline");
    ASSERT_FALSE(expected.empty());
    ASSERT_TRUE(Convert("cmdline.puz"));
    EXPECT_TRUE(IsStreamDatabaseOf(ReadBytes("out.pdb"), expected));
}

// The input's bytes are left in the system's cache until written: a file cut
// short by another program in between fails the write, and nothing crashes.
TEST_F(HeldInputTest, InputCutShortBeforeTheWriteFailsTheWrite) {
    WriteBytes("in.puz", MakeBytes(100000));
    EXPECT_FALSE(Convert("in.puz", [] { ASSERT_EQ(truncate("in.puz", 10), 0); }));
}

// What another program writes into the input in between is what the
// database carries: the bytes are taken when written, whole.
TEST_F(HeldInputTest, InputChangedInPlaceBeforeTheWriteGivesAWholeDatabase) {
    const std::string before = MakeBytes(9000, 1), after = MakeBytes(9000, 2);
    WriteBytes("in.puz", before);
    ASSERT_TRUE(Convert("in.puz", [&] { WriteBytes("in.puz", after); }));
    EXPECT_TRUE(IsStreamDatabaseOf(ReadBytes("out.pdb"), after));
}

}  // namespace
