#include <gtest/gtest.h>

#include <filesystem>

#include "platform/BufferedWriter.h"
#include "platform/DatabaseCodePage.h"
#include "platform/File.h"
#include "streamdb/StreamBlockArray.h"
#include "streamdb/Timestamp.h"
#include "tests/support/DatabaseCheck.h"
#include "tests/support/TestFiles.h"

namespace {

constexpr std::uint32_t kFixedTimestamp = 0xE73C5D1B;

// Converts `input` through real files, as one conversion does, into the
// database file `outputName`, and returns that file's bytes.
std::string WriteThrough(const std::string& input, const std::string& outputName = "out.pdb") {
    WriteBytes("in.puz", input);
    CFile in;
    EXPECT_TRUE(in.Open("in.puz", CFile::EOpenMode::kReadExisting));
    CStreamBlockArray blocks;
    EXPECT_EQ(blocks.Fill(in), EFillResult::kFilled);

    std::filesystem::remove(outputName);
    CFile out;
    EXPECT_TRUE(out.OpenReplacement(outputName, CFile()));
    CBufferedWriter writer(out);
    blocks.WriteDatabase(writer, CDatabaseCodePage(), kFixedTimestamp);
    EXPECT_TRUE(writer.Flush());
    EXPECT_TRUE(out.Commit());
    return ReadBytes(outputName);
}

class StreamDatabaseTest : public ::testing::Test {
protected:
    CTempFolder m_folder;
};

TEST_F(StreamDatabaseTest, CarriesEveryInputSizeAroundRecordBoundaries) {
    // Records go to the file 1024 at a time and the input is fetched 64
    // records' worth at a time; the sizes that fill either exactly and spill
    // over count too.
    constexpr std::size_t kPayload = 4088;
    constexpr std::size_t kPiece = 64 * kPayload;
    for (const std::size_t size :
         {std::size_t{0}, std::size_t{1}, kPayload - 1, kPayload, kPayload + 1, std::size_t{5000},
          3 * kPayload + 1, kPiece - 1, kPiece, kPiece + 1, 1024 * kPayload, 1024 * kPayload + 1,
          2048 * kPayload + 7}) {
        SCOPED_TRACE(size);
        const std::string input = MakeBytes(size, static_cast<unsigned>(size));
        const std::string database = WriteThrough(input);
        EXPECT_TRUE(IsStreamDatabaseOf(database, input));
        EXPECT_EQ(ReadBig(database, 36, 4), kFixedTimestamp);
        EXPECT_EQ(DatabaseNameOf(database), "out");
    }
}

TEST_F(StreamDatabaseTest, EmptyInputGivesHeaderOnly) {
    const std::string database = WriteThrough("");
    ASSERT_EQ(database.size(), 78u);
    EXPECT_EQ(ReadBig(database, 76, 2), 0u);
}

TEST_F(StreamDatabaseTest, FiveThousandBytesLayOutAsDocumented) {
    const std::string input = MakeBytes(5000);
    const std::string database = WriteThrough(input);
    ASSERT_EQ(database.size(), 78u + 2 * (8 + 4096));
    EXPECT_EQ(database.substr(32, 4), std::string("\x00\x88\x00\x01", 4));
    EXPECT_EQ(ReadBig(database, 76, 2), 2u);
    // Record list: offsets 94 and 94 + 4096, unique IDs 1 and 2 stored low byte first.
    EXPECT_EQ(database.substr(78, 16), std::string("\x00\x00\x00\x5E\x00\x01\x00\x00"
                                                   "\x00\x00\x10\x5E\x00\x02\x00\x00",
                                                   16));
    EXPECT_EQ(database.substr(94, 8), std::string("DBLK\x00\x00\x10\x00", 8));
    EXPECT_EQ(database.substr(94 + 4096, 8), std::string("DBLK\x00\x00\x03\x98", 8));
    EXPECT_EQ(database.substr(94 + 4096 + 8, 912), input.substr(4088));
    EXPECT_EQ(database.substr(94 + 4096 + 920), std::string(4096 - 920, '\x55'));
}

TEST_F(StreamDatabaseTest, FullRecordHasNoFillerAndOneMoreByteStartsAnother) {
    const std::string full = WriteThrough(MakeBytes(4088));
    EXPECT_EQ(ReadBig(full, 78 + 8 + 6, 2), 4096u);

    const std::string input = MakeBytes(4089);
    const std::string spill = WriteThrough(input);
    const std::size_t second = 78 + 16 + 4096;
    EXPECT_EQ(ReadBig(spill, second + 6, 2), 9u);
    EXPECT_EQ(spill[second + 8], input.back());
    EXPECT_EQ(spill.substr(second + 9), std::string(4096 - 9, '\x55'));
}

TEST_F(StreamDatabaseTest, NameDropsOnlyTheLastExtension) {
    const std::string database = WriteThrough("x", "a.b.pdb");
    CFile file;
    ASSERT_TRUE(file.Open("a.b.pdb", CFile::EOpenMode::kReadExisting));
    // Where the desktop's title already drops the extension, the next one goes.
    const std::string expected = file.GetFileTitle() == "a.b" ? "a" : "a.b";
    EXPECT_EQ(DatabaseNameOf(database), expected);
}

TEST_F(StreamDatabaseTest, LongNameIsCutToThirtyOneBytes) {
    const std::string base = "Sunday Puzzle From The Weekend Edition";
    const std::string database = WriteThrough("x", base + ".pdb");
    EXPECT_EQ(database.substr(0, 32), base.substr(0, 31) + '\0');
}

TEST(TimestampTest, CountsLocalSecondsSince1904) {
    const auto at = [](int year, int month, int day, int hour, int minute, int second) {
        std::tm local{};
        local.tm_year = year - 1900;
        local.tm_mon = month - 1;
        local.tm_mday = day;
        local.tm_hour = hour;
        local.tm_min = minute;
        local.tm_sec = second;
        return MakeTimestamp(local);
    };
    EXPECT_EQ(at(1904, 1, 1, 0, 0, 0), 0u);
    EXPECT_EQ(at(1904, 3, 1, 0, 0, 0), 5184000u);  // 1904 is a leap year
    EXPECT_EQ(at(2000, 2, 29, 23, 59, 59), 3034713599u);
    EXPECT_EQ(at(2026, 12, 7, 12, 54, 51), 3879492891u);
    // The count keeps its low 32 bits once it outgrows them.
    EXPECT_EQ(at(2040, 2, 6, 6, 28, 15), 0xFFFFFFFFu);
    EXPECT_EQ(at(2040, 2, 6, 6, 28, 16), 0u);
}

// CTest runs the tests five and a half hours east of UTC (TZ=QNT-5:30), so
// that UTC cannot pass for local time.
TEST(TimestampTest, CurrentTimeIsLocalWallClock) {
    const std::time_t now = std::time(nullptr);
    const std::uint32_t local = MakeTimestamp(*std::localtime(&now));
    if (local == MakeTimestamp(*std::gmtime(&now))) {
        GTEST_SKIP() << "local time is UTC here; CTest sets TZ=QNT-5:30";
    }
    EXPECT_LE(CurrentTimestamp() - local, 2u);
}

}  // namespace
