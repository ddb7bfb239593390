#include <gtest/gtest.h>

#include "platform/BufferedReader.h"
#include "platform/BufferedWriter.h"
#include "platform/File.h"
#include "tests/support/TestFiles.h"

namespace {

class BufferedStreamTest : public ::testing::Test {
protected:
    CTempFolder m_folder;
};

// Small reads go through the buffer and large ones around it; either way
// the bytes arrive in file order.
TEST_F(BufferedStreamTest, ReaderDeliversTheFileInOrderWhateverThePieces) {
    const std::string bytes = MakeBytes(30000);
    WriteBytes("in.puz", bytes);
    CFile file;
    ASSERT_TRUE(file.Open("in.puz", CFile::EOpenMode::kReadExisting));
    CBufferedReader reader(file);

    std::string got(bytes.size() + 100, '\0');
    std::size_t at = reader.Read(&got[0], 3);
    at += reader.Read(&got[at], 10000);
    std::vector<CFile::CPiece> pieces{{&got[at], 1}, {&got[at + 1], 5000}, {&got[at + 5001], 4099}};
    at += reader.Read(pieces);
    EXPECT_TRUE(pieces[2].size == 0);
    at += reader.Read(&got[at], 7);
    const std::size_t left = bytes.size() - at;
    pieces = {{&got[at], 20000}, {&got[at + 20000], 50}};
    at += reader.Read(pieces);
    EXPECT_EQ(pieces[0].size, 20000 - left);
    EXPECT_EQ(pieces[1].size, 50u);
    EXPECT_FALSE(reader.HasFailed());
    EXPECT_EQ(got.substr(0, at), bytes);
    EXPECT_EQ(reader.Read(&got[0], 5000), 0u);
}

TEST_F(BufferedStreamTest, ReaderReportsAFailedRead) {
    WriteBytes("out.pdb", "x");
    CFile file;
    ASSERT_TRUE(file.Open("out.pdb", CFile::EOpenMode::kWriteExisting));
    CBufferedReader reader(file);
    char buffer[8192];
    EXPECT_EQ(reader.Read(buffer, sizeof buffer), 0u);
    EXPECT_TRUE(reader.HasFailed());
}

TEST_F(BufferedStreamTest, WriterKeepsTheOrderOfSmallAndLargePieces) {
    const std::string large = MakeBytes(9000, 2);
    {
        CFile file;
        ASSERT_TRUE(file.Open("out.pdb", CFile::EOpenMode::kCreateOrTruncate));
        CBufferedWriter writer(file);
        writer.Write("head", 4);
        writer.Write(large.data(), large.size());
        writer.Write("tail", 4);
        EXPECT_TRUE(writer.Flush());
    }
    EXPECT_EQ(ReadBytes("out.pdb"), "head" + large + "tail");
}

TEST_F(BufferedStreamTest, WriterDropsEverythingAfterAFailure) {
    WriteBytes("in.puz", "old");
    CFile file;
    ASSERT_TRUE(file.Open("in.puz", CFile::EOpenMode::kReadExisting));
    CBufferedWriter writer(file);
    const std::string large = MakeBytes(5000);
    writer.Write(large.data(), large.size());
    EXPECT_TRUE(writer.HasFailed());
    writer.Write("more", 4);
    EXPECT_FALSE(writer.Flush());
    file.Close();
    EXPECT_EQ(ReadBytes("in.puz"), "old");
}

}  // namespace
