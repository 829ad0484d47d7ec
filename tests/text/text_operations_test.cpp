#include "text/text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace vokabino {
namespace {

TEST(TextOperations, MidTextClampsStartAndCount) {
  struct Case {
    Text text;
    std::int64_t start, count;
    Text expected;
  };
  const Case cases[] = {
      {"abcdef", 2, 3, "bcd"},
      {"abcdef", 1, 100, "abcdef"},
      {"abcdef", 0, 2, "ab"},    // start <= 1 is the first character
      {"abcdef", -5, 2, "ab"},
      {"abcdef", 6, 1, "f"},
      {"abcdef", 7, 1, ""},      // beyond the end
      {"abcdef", 3, -1, ""},     // negative count is 0
      {"abcdef", 3, 0, ""},
      {"", 1, 1, ""},
      {"abcdef", std::numeric_limits<std::int64_t>::max(), 1, ""},
      {"abcdef", 2, std::numeric_limits<std::int64_t>::max(), "bcdef"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MidText(c.text, c.start, c.count), c.expected)
        << c.text << " from " << c.start << " count " << c.count;
  }
}

TEST(TextOperations, TrimSpacesRemovesOnlyByte32) {
  struct Case {
    Text text, expected;
  };
  const Case cases[] = {
      {"  12  ", "12"}, {"     ", ""}, {"", ""}, {"\t12", "\t12"},
      {" a b ", "a b"}, {"x\r ", "x\r"},
  };
  for (const Case& c : cases) EXPECT_EQ(TrimSpaces(c.text), c.expected) << '[' << c.text << ']';
}

TEST(TextOperations, LengthAndEquality) {
  EXPECT_EQ(TextLength(""), 0);
  EXPECT_EQ(TextLength("caf\xE9"), 4);
  EXPECT_TRUE(TextEquals(Text(), ""));
  EXPECT_FALSE(TextEquals("EN", "en"));
}

TEST(TextOperations, FindAndCount) {
  struct Case {
    Text text, pattern;
    std::int64_t position, count;
  };
  const Case cases[] = {
      {"abcabc", "bc", 2, 2},
      {"aaa", "aa", 1, 1},    // no overlap
      {"aaaa", "aa", 1, 2},
      {"abc", "", 0, 0},      // empty pattern is never found
      {"", "a", 0, 0},
      {"abc", "x", 0, 0},
      {"abc", "abcd", 0, 0},
      {"a\rb\r", "\r", 2, 2},  // a CR at the very end counts
      {"</I>", "</i>", 0, 0},  // case-sensitive
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindText(c.text, c.pattern), c.position) << c.text << " / " << c.pattern;
    EXPECT_EQ(CountOccurrences(c.text, c.pattern), c.count) << c.text << " / " << c.pattern;
  }
}

TEST(TextOperations, RemoveAllIsOnePassLeftToRight) {
  struct Case {
    Text text, pattern, expected;
  };
  const Case cases[] = {
      {"<i>Hello</i>", "<i>", "Hello</i>"},
      {"<<i>i>", "<i>", "<i>"},  // a removal that joins text is not searched again
      {"aaa", "aa", "a"},
      {"</I>", "</i>", "</I>"},
      {"abc", "", "abc"},
      {"", "x", ""},
      {"xxxx", "x", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RemoveAll(c.text, c.pattern), c.expected) << c.text << " / " << c.pattern;
  }
}

TEST(TextOperations, SplitFieldCountsFieldsFromOne) {
  struct Case {
    Text text;
    std::int64_t index;
    Text separator, expected;
  };
  const Case cases[] = {
      {"a,b,,c", 1, ",", "a"},
      {"a,b,,c", 2, ",", "b"},
      {"a,b,,c", 3, ",", ""},
      {"a,b,,c", 4, ",", "c"},
      {"a,b,,c", 5, ",", ""},  // one past the last field
      {"a,b,,c", 0, ",", ""},
      {"a,b,,c", -1, ",", ""},
      {"00:00:01,600 --> 00:00:04,200", 1, " -", "00:00:01,600"},
      {"00:00:01,600 --> 00:00:04,200", 2, "> ", "00:00:04,200"},
      {"abc", 1, ";", "abc"},
      {"abc", 2, ";", ""},
      {"abc", 1, "", "abc"},  // an empty separator never matches
      {"abc", 2, "", ""},
      {"", 1, ",", ""},
      {"a\rb\r", 3, "\r", ""},  // empty field after a final separator
      {"aaa", 2, "aa", "a"},    // separators found without overlap
      {"x", std::numeric_limits<std::int64_t>::max(), ",", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitField(c.text, c.index, c.separator), c.expected)
        << c.text << " field " << c.index << " at [" << c.separator << ']';
  }
}

TEST(TextOperations, IntegerValueReadsPrefixAndWraps) {
  struct Case {
    Text text;
    std::int64_t expected;
  };
  const Case cases[] = {
      {"12abc", 12},
      {"abc", 0},
      {"", 0},
      {"  -7", -7},
      {"- 7", 0},  // a space after the sign ends the reading
      {"+7", 7},
      {"\t12", 12},
      {"02,500", 2},
      {"$ff", 255},
      {"$FFx", 255},
      {"-$10", -16},
      {"$", 0},
      {"%101", 5},
      {"%1021", 2},  // stops at the first non-binary digit
      {"1 2", 1},
      // 10^20 - 1 modulo 2^64, as a two's complement value.
      {"99999999999999999999", 7766279631452241919},
      {"9223372036854775807", std::numeric_limits<std::int64_t>::max()},
      {"9223372036854775808", std::numeric_limits<std::int64_t>::min()},
      {"-9223372036854775808", std::numeric_limits<std::int64_t>::min()},
      {"$FFFFFFFFFFFFFFFF", -1},
      {"%" + Text(65, '1'), -1},
  };
  for (const Case& c : cases) EXPECT_EQ(IntegerValue(c.text), c.expected) << c.text;
}

}  // namespace
}  // namespace vokabino
