#include <gtest/gtest.h>

#include "platform/BufferedWriter.h"
#include "platform/File.h"
#include "platform/posix/WesternCodePage.h"
#include "streamdb/StreamBlockArray.h"
#include "tests/support/DatabaseCheck.h"
#include "tests/support/TestFiles.h"

namespace {

TEST(WesternCodePageTest, KeepsWhatTheCodePageHoldsAndMarksTheRest) {
    EXPECT_EQ(ToWindows1252("Sunday Puzzle"), "Sunday Puzzle");
    EXPECT_EQ(ToWindows1252("Caf\xC3\xA9 \xC3\x9C"), "Caf\xE9 \xDC");
    // The euro sign and curly quotes sit where only Windows-1252 has them.
    EXPECT_EQ(ToWindows1252("\xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D"), "\x80 \x93q\x94");
    // One mark per character, whatever its length in UTF-8.
    EXPECT_EQ(ToWindows1252("\xE6\x97\xA5\xE6\x9C\xAC-\xF0\x9F\xA7\xA9-\xD0\x96"), "__-_-_");
    EXPECT_EQ(ToWindows1252(""), "");
}

TEST(WesternCodePageTest, BytesThatAreNoUtf8AreMarkedOneByOne) {
    EXPECT_EQ(ToWindows1252("a\xFF"
                            "b"),
              "a_b");
    EXPECT_EQ(ToWindows1252("\xE9t\xE9"), "_t_");      // Latin-1 bytes in a UTF-8 world
    EXPECT_EQ(ToWindows1252("end\xE2\x82"), "end__");  // a character cut off
    EXPECT_EQ(ToWindows1252("\xC3"
                            "A\xC3\xA9"),
              "_A\xE9");  // a lead byte without its trail
}

// The name a database gets when written to a file named `fileName`.
std::string NameOfDatabaseIn(const std::string& fileName) {
    CFile file;
    EXPECT_TRUE(file.OpenReplacement(fileName, CFile()));
    CBufferedWriter writer(file);
    CStreamBlockArray().WriteDatabase(writer, 0);
    EXPECT_TRUE(writer.Flush());
    EXPECT_TRUE(file.Commit());
    return DatabaseNameOf(ReadBytes(fileName));
}

TEST(WesternCodePageTest, DatabaseNameIsTranscodedBeforeTheCut) {
    CTempFolder folder;
    EXPECT_EQ(NameOfDatabaseIn("Caf\xC3\xA9 \xE2\x82\xAC.pdb"), "Caf\xE9 \x80");
    // 31 characters of two UTF-8 bytes each: all of them fit once transcoded.
    std::string accented;
    for (int i = 0; i < 31; ++i) {
        accented += "\xC3\xA9";
    }
    EXPECT_EQ(NameOfDatabaseIn(accented + "\xC3\xA9.pdb"), std::string(31, '\xE9'));
    // Cut in UTF-8, the 31st byte would have split the character.
    EXPECT_EQ(NameOfDatabaseIn(std::string(30, 'a') + "\xE6\x97\xA5\xE6\x9C\xAC.pdb"),
              std::string(30, 'a') + "_");
    EXPECT_EQ(NameOfDatabaseIn("\xE6\x97\xA5.b.pdb"), "_.b");
}

}  // namespace
