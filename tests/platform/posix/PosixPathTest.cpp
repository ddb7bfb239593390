#include <gtest/gtest.h>

#include "common/PathHelpers.h"

namespace {

TEST(PosixPathTest, ColonAndBackslashAreOrdinaryNameCharacters) {
    EXPECT_EQ(GetNamePart("/home/u/puzzles/Mon: 12\\3.puz"), "Mon: 12\\3.puz");
    EXPECT_EQ(StripPath("/home/u/c:\\a.puz"), "c:\\a.puz");
    EXPECT_EQ(GetNamePart("a.puz"), "a.puz");
}

}  // namespace
