#include <gtest/gtest.h>

#include <string_view>

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

    // Room for every piece asked for, though the file ends before the last is full.
    std::string got(40000, '\0');
    std::size_t at = 0;
    for (const std::size_t size : {3, 10000, 1, 4099, 7, 20000}) {
        at += reader.Read(&got[at], size);
    }
    EXPECT_FALSE(reader.HasFailed());
    EXPECT_EQ(got.substr(0, at), bytes);
    EXPECT_EQ(reader.Read(&got[0], 5000), 0u);
}

// Lasting pieces are written from where they are, copies from the buffer:
// whatever the mix, and past the most gathered in one system call, the file
// holds them in the order they were handed over.
TEST_F(BufferedStreamTest, CopiesAndLastingPiecesKeepTheirOrder) {
    const std::string large = MakeBytes(3 << 20, 2);
    std::string expected;
    {
        CFile file;
        ASSERT_TRUE(file.OpenReplacement("out.pdb", CFile()));
        CBufferedWriter writer(file);
        for (std::size_t at = 0; at < large.size(); at += 1000) {
            const std::string_view piece(large.data() + at,
                                         std::min<std::size_t>(1000, large.size() - at));
            writer.WriteLasting(piece.data(), piece.size());
            expected += piece;
            if (at % 7000 == 0) {
                writer.Write("copy", 4);
                expected += "copy";
            }
        }
        writer.Write("tail", 4);
        expected += "tail";
        EXPECT_TRUE(writer.Flush());
        EXPECT_TRUE(file.Commit());
    }
    EXPECT_EQ(ReadBytes("out.pdb"), expected);
}

TEST_F(BufferedStreamTest, WriterDropsEverythingAfterAFailure) {
    WriteBytes("in.puz", "old");
    CFile file;
    ASSERT_TRUE(file.Open("in.puz", CFile::EOpenMode::kReadExisting));
    CBufferedWriter writer(file);
    writer.WriteLasting("lasting", 7);
    writer.Write("more", 4);
    EXPECT_TRUE(writer.HasFailed());
    writer.Write("dropped", 7);
    EXPECT_FALSE(writer.Flush());
    file.Close();
    EXPECT_EQ(ReadBytes("in.puz"), "old");
}

}  // namespace
