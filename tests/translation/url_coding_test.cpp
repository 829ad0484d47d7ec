#include "translation/url_coding.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace vokabino {
namespace {

TEST(UrlEncode, ExamplesOfTheRequest) {
  const std::pair<Text, Text> cases[] = {
      {"abc", "abc"},
      {"I'm here", "I'm%20here"},
      {"caf\xE9", "caf%E9"},
      {"50%", "50%25"},
      {"Tom & Jerry", "Tom%20&%20Jerry"},
      {"10:30", "10:30"},
      {"", ""},
      {"\"<a>\" [b] \\ ^ ` {c} | \x7F\x01\xFF",
       "%22%3Ca%3E%22%20%5Bb%5D%20%5C%20%5E%20%60%20%7Bc%7D%20%7C%20%7F%01%FF"},
  };
  for (const auto& [line, sent] : cases) EXPECT_EQ(UrlEncode(line), sent) << line;
}

TEST(UrlEncode, EveryByteEitherPassesOrBecomesUpperCaseEscape) {
  const std::string passThrough =
      "!#$&'()*+,-./0123456789:;=?@ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz~";
  for (int value = 1; value <= 255; ++value) {
    const Text byte(1, static_cast<char>(value));
    char escape[4];
    std::snprintf(escape, sizeof escape, "%%%02X", value);
    const Text expected =
        passThrough.find(static_cast<char>(value)) != std::string::npos ? byte : Text(escape);
    EXPECT_EQ(UrlEncode(byte), expected) << "byte " << value;
  }
}

TEST(UrlDecode, EscapesPlusAndEnds) {
  const std::pair<Text, Text> cases[] = {
      {"Bonjour+tout+le+monde", "Bonjour tout le monde"},
      {"caf%E9 caf%e9", "caf\xE9 caf\xE9"},
      {"%3Ctranslation%3E", "<translation>"},
      {"50%25", "50%"},
      {"%2B", "+"},
      {"ab%", "ab"},
      {"ab%4", "ab"},
      {"ab%G1cd", "ab"},
      {"ab%4Gcd", "ab"},
      {"ab%\xE9"
       "1cd",
       "ab"},
      {"ab%00cd", "ab"},
      {"caf\xE9", "caf\xE9"},
      {"", ""},
  };
  for (const auto& [reply, decoded] : cases) EXPECT_EQ(UrlDecode(reply), decoded) << reply;
}

TEST(UrlCoding, DecodeUndoesEncodeForEveryByteButPlus) {
  Text all;
  for (int value = 1; value <= 255; ++value) {
    if (value != '+') all += static_cast<char>(value);
  }
  EXPECT_EQ(UrlDecode(UrlEncode(all)), all);
}

}  // namespace
}  // namespace vokabino
