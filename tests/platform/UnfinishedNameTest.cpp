#include <gtest/gtest.h>

#include "platform/UnfinishedName.h"

namespace {

const std::string kMark = ".quintar-unfinished-";

std::string Repeat(const std::string& text, int count) {
    std::string repeated;
    for (int i = 0; i < count; ++i) {
        repeated += text;
    }
    return repeated;
}

// Windows counts a name in UTF-16 units: after the marks (21) and a
// 12-unit ending, 222 are left, one for a Greek letter and two for an
// emoji. (Linux counts bytes; PosixFileTest writes such a file.)
TEST(UnfinishedNameTest, CutToWholeCharactersAsWindowsCountsThem) {
    const std::string alpha = "\xCE\xB1";
    const std::string puzzle = "\xF0\x9F\xA7\xA9";
    EXPECT_EQ(MakeUnfinishedName("a.pdb", 12, ENameUnit::kUtf16Unit), ".a.pdb" + kMark);
    EXPECT_EQ(MakeUnfinishedName(Repeat(alpha, 254), 12, ENameUnit::kUtf16Unit),
              "." + Repeat(alpha, 222) + kMark);
    EXPECT_EQ(MakeUnfinishedName("a" + Repeat(puzzle, 127), 12, ENameUnit::kUtf16Unit),
              ".a" + Repeat(puzzle, 110) + kMark);
}

}  // namespace
