#include <gtest/gtest.h>

#include "common/PathHelpers.h"
#include "platform/PathRules.h"

namespace {

TEST(PosixPathTest, ColonAndBackslashAreOrdinaryNameCharacters) {
    EXPECT_EQ(GetNamePart("/home/u/puzzles/Mon: 12\\3.puz", kPathRules), "Mon: 12\\3.puz");
    EXPECT_EQ(StripPath("/home/u/c:\\a.puz", kPathRules), "c:\\a.puz");
    EXPECT_EQ(GetNamePart("a.puz", kPathRules), "a.puz");
}

}  // namespace
