#include <gtest/gtest.h>

#include "common/Utf8.h"

namespace {

// Each step of the decoder through `text`: the character's length, 0 for an
// invalid unit.
std::vector<std::size_t> Steps(std::string_view text) {
    std::vector<std::size_t> steps;
    while (!text.empty()) {
        const SUtf8Character character = DecodeUtf8(text);
        steps.push_back(character.valid ? character.length : 0);
        text.remove_prefix(character.length);
    }
    return steps;
}

using Lengths = std::vector<std::size_t>;

// What is not well-formed is one invalid unit a byte: its trail bytes are
// units of their own, never swallowed with it.
TEST(Utf8Test, OnlyWellFormedCharactersAndEveryOtherByteAUnitOfItsOwn) {
    EXPECT_EQ(Steps(std::string("a\0\xCE\xA9\xE6\x97\xA5\xF4\x8F\xBF\xBF", 11)),
              (Lengths{1, 1, 2, 3, 4}));
    EXPECT_EQ(DecodeUtf8("\xF0\x9F\xA7\xA9").codePoint, U'\U0001F9E9');
    EXPECT_EQ(Steps("\xC0\x80"), (Lengths{0, 0}));                // overlong NUL
    EXPECT_EQ(Steps("\xF0\x80\x80\x80"), (Lengths{0, 0, 0, 0}));  // overlong, four bytes
    EXPECT_EQ(Steps("\xED\xA0\x80"), (Lengths{0, 0, 0}));         // a surrogate
    EXPECT_EQ(Steps("\xF4\x90\x80\x80"), (Lengths{0, 0, 0, 0}));  // past U+10FFFF
    EXPECT_EQ(Steps("\x80"
                    "a"),
              (Lengths{0, 1}));                         // a stray continuation
    EXPECT_EQ(Steps("\xC3\xC3\xA9"), (Lengths{0, 2}));  // a lead without its trail
}

}  // namespace
