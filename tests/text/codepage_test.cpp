#include "text/codepage.h"

#include <gtest/gtest.h>

#include <random>

namespace vokabino {
namespace {

TEST(Codepage, EveryByteSurvivesTheRoundTripThroughUnicode) {
  Text all;
  for (int byte = 1; byte < 256; ++byte) {
    const char32_t cp = Cp1252ToCodePoint(static_cast<unsigned char>(byte));
    EXPECT_EQ(static_cast<unsigned char>(CodePointToCp1252(cp)), byte) << byte;
    all += static_cast<char>(byte);
  }
  const std::string utf8 = Cp1252ToUtf8(all);
  EXPECT_TRUE(LooksLikeUtf8(utf8));
  EXPECT_EQ(Utf8ToCp1252(utf8), all);
}

TEST(Codepage, HighControlBytesAreTypography) {
  EXPECT_EQ(Cp1252ToCodePoint(0x80), U'\u20AC');
  EXPECT_EQ(Cp1252ToCodePoint(0x92), U'\u2019');
  EXPECT_EQ(Cp1252ToCodePoint(0x9C), U'\u0153');
  EXPECT_EQ(Cp1252ToCodePoint(0x81), U'\u0081');  // undefined in the code page
  EXPECT_EQ(CodePointToCp1252(U'\u0080'), '?');   // its byte belongs to the euro
  EXPECT_EQ(CodePointToCp1252(0), '?');
  EXPECT_EQ(CodePointToCp1252(0x110000), '?');
  EXPECT_EQ(Cp1252ToUtf8("\x80 \x92"), "\u20AC \u2019");
}

TEST(Codepage, Utf8BecomesTheCodePageCharacterOrOneQuestionMark) {
  struct Case {
    std::string utf8;
    Text expected;
  };
  const Case cases[] = {
      {"caf\u00E9", "caf\xE9"},
      {"l\u2019\u0153uvre \u201Cx\u201D\u2026 \u2013 \u2014 5\u20AC",
       "l\x92\x9Cuvre \x93x\x94\x85 \x96 \x97 5\x80"},
      {"\u65E5\u672C", "??"},        // not in the code page
      {"a\U0001F600b", "a?b"},       // four-byte sequence
      {"\xEF\xBB\xBF" "a", "?a"},    // a byte-order mark is U+FEFF
      {"\x80" "a", "?a"},            // stray continuation byte
      {"a\xC3", "a?"},               // sequence cut by the end
      {"\xE2\x80" "a", "?a"},        // sequence cut short: one '?' for both bytes
      {"\xC0\x80", "??"},            // overlong form of zero
      {"\xED\xA0\x80", "???"},       // encoded surrogate
      {"\xF5\xFF", "??"},
      {"\xF4\x90\x80\x80", "????"},  // above U+10FFFF
  };
  for (const Case& c : cases) EXPECT_EQ(Utf8ToCp1252(c.utf8), c.expected) << c.utf8;
}

TEST(Codepage, Utf16BecomesTheCodePageCharacterOrOneQuestionMark) {
  EXPECT_EQ(Utf16ToCp1252(u"caf\u00E9 \u2019\u20AC\u0153"), "caf\xE9 \x92\x80\x9C");
  EXPECT_EQ(Utf16ToCp1252(u"a\U0001F600b"), "a?b");  // a surrogate pair is one character
  const char16_t lone[] = {u'a', 0xD800, u'b', 0xDC00};
  EXPECT_EQ(Utf16ToCp1252(std::u16string_view(lone, 4)), "a?b?");
}

TEST(Codepage, InPlaceConversionsDropAPartialLastUnit) {
  std::string utf16le("\xE9\x00\x19\x20" "A", 5);
  ConvertUtf16InPlace(utf16le, ByteOrder::LittleEndian);
  EXPECT_EQ(utf16le, "\xE9\x92");
  std::string utf16be("\x20\xAC\x00" "A" "\xD8\x3D\xDE\x00", 8);
  ConvertUtf16InPlace(utf16be, ByteOrder::BigEndian);
  EXPECT_EQ(utf16be, "\x80" "A?");
  std::string utf32be("\x00\x00\x00\xE9\x00\x11\x00\x00\x00\x00", 10);
  ConvertUtf32InPlace(utf32be, ByteOrder::BigEndian);
  EXPECT_EQ(utf32be, "\xE9?");
}

TEST(Codepage, LooksLikeUtf8NeedsValidBytesAndOneNonAscii) {
  struct Case {
    std::string bytes;
    bool expected;
  };
  const Case cases[] = {
      {"", false},
      {"plain ASCII text that is longer than a word", false},
      {"caf\xC3\xA9", true},
      {"caf\xE9", false},                              // Windows-1252
      {"long ASCII run before \xE2\x80\x99", true},
      {"long ASCII run before \xE2\x80", false},       // cut short
      {"\xC3\xA9 then a lone \xE9", false},
  };
  for (const Case& c : cases) EXPECT_EQ(LooksLikeUtf8(c.bytes), c.expected) << c.bytes;
}

// Random bytes: the in-place converters stay within the buffer, never produce a
// zero byte, and Windows-1252 text survives the trip through UTF-8.
TEST(Codepage, RandomBytesConvertSafely) {
  std::mt19937 random(7);
  for (int round = 0; round < 3000; ++round) {
    std::string bytes(random() % 64, '\0');
    for (char& c : bytes) c = static_cast<char>(random() % 8 == 0 ? 0 : random());
    std::string utf8 = bytes, utf16 = bytes, utf32 = bytes;
    ConvertUtf8InPlace(utf8);
    ConvertUtf16InPlace(utf16, round % 2 ? ByteOrder::BigEndian : ByteOrder::LittleEndian);
    ConvertUtf32InPlace(utf32, ByteOrder::BigEndian);
    EXPECT_LE(utf8.size(), bytes.size());
    EXPECT_LE(utf16.size(), bytes.size() / 2);  // a surrogate pair gives one byte
    EXPECT_EQ(utf32.size(), bytes.size() / 4);
    for (const std::string* out : {&utf8, &utf16, &utf32}) {
      EXPECT_EQ(out->find('\0'), std::string::npos) << round;
    }
    Text text = bytes;
    for (char& c : text) c = c == 0 ? 'x' : c;
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(text)), text);
  }
}

}  // namespace
}  // namespace vokabino
