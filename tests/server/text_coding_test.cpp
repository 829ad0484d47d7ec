// The service's text transformations: reply coding, Apertium stream escaping and
// tidying, JSON strings.
#include <gtest/gtest.h>

#include <string>

#include "server/apertium_stream.h"
#include "server/json_text.h"
#include "server/reply_coding.h"
#include "text/codepage.h"
#include "translation/url_coding.h"

namespace vokabino {
namespace {

TEST(ReplyCoding, EscapesAllButUnreservedBytes) {
  const std::pair<Text, std::string> cases[] = {
      {"Bonjour tout le monde", "Bonjour%20tout%20le%20monde"},
      {"l\x92\xE9t\xE9 \xE0 \x9C", "l%92%E9t%E9%20%E0%20%9C"},
      {"+<>&%=#?'", "%2B%3C%3E%26%25%3D%23%3F%27"},
      {"A-z_0.9~", "A-z_0.9~"},
      {"", ""},
  };
  for (const auto& [french, escaped] : cases) EXPECT_EQ(EscapeReplyText(french), escaped);
  EXPECT_EQ(TranslationReplyBody("a b"), "<translation>a%20b</translation>");
}

// What the player does with a reply body (read as UTF-8, then URL-decoded) must
// give back every byte the service meant.
TEST(ReplyCoding, ThePlayersDecodingRestoresEveryByte) {
  Text all;
  for (int byte = 1; byte < 256; ++byte) all += static_cast<char>(byte);
  const std::string body = TranslationReplyBody(all);
  const Text readBack = UrlDecode(Utf8ToCp1252(body));
  EXPECT_EQ(readBack, "<translation>" + all + "</translation>");
}

TEST(ApertiumStream, EscapingTable) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain words", "plain words"},
      {"a$ [b] /c\\ @d <e> {f}", "a\\$ \\[b\\] \\/c\\\\ \\@d \\<e\\> \\{f\\}"},
      {"up ^", "up [\xEE\x80\x80]"},
      {"~ la #1", "[~] la [#]1"},
      {"caf\xC3\xA9 * + % &", "caf\xC3\xA9 * + % &"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(EscapeForApertium(in), out);
}

TEST(ApertiumStream, UnescapingUndoesEscapingForEveryAsciiCharacter) {
  std::string all;
  for (char c = ' '; c < 0x7F; ++c) all += c;
  all += "caf\xC3\xA9 \xE2\x80\x99";
  EXPECT_EQ(UnescapeApertiumOutput(EscapeForApertium(all)), all);
  EXPECT_EQ(UnescapeApertiumOutput("a[ superblank ]b \\] [\xEE\x80\x80] end\\"),
            "a superblank b ] ^ end");
}

TEST(ApertiumStream, CleaningKeepsDelimitersOutOfTheLine) {
  EXPECT_EQ(CleanLineForTranslation(Text("a\tb\r\nc\x7F" "d\x81\x8D\x8F\x90\x9D" "e\x92\xE9")),
            Text("a b  c d     e\x92\xE9"));
}

TEST(ApertiumStream, TidyingTable) {
  const std::pair<std::string, std::string> cases[] = {
      {"  Le  temps\nest   bon .  ", "Le temps est bon."},
      {"Oui , mais non", "Oui, mais non"},
      {"Quoi ... ?", "Quoi... ?"},
      {"il co\xC3\xBBte .5 euro", "il co\xC3\xBBte .5 euro"},
      {"Salut !", "Salut !"},
      {"\t\r\n ", ""},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(TidyTranslation(in), out) << in;
}

TEST(JsonText, StringLiterals) {
  EXPECT_EQ(JsonStringLiteral("a\"b\\c\nd\x01\xC3\xA9"), "\"a\\\"b\\\\c\\nd\\u0001\xC3\xA9\"");
}

TEST(JsonText, StringMemberOfTheTopLevelObject) {
  const std::pair<std::string, std::optional<std::string>> cases[] = {
      {R"({"translatedText":"Bonjour"})", "Bonjour"},
      {R"( { "translatedText" : "l\u2019\u00e9t\u00e9 \ud83d\ude00 \"q\" \n" } )",
       "l\xE2\x80\x99\xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80 \"q\" \n"},
      {R"({"a":{"translatedText":"inner"},"b":[1,-2.5e3,"]",{"c":null}],"ok":true,)"
       R"("translatedText":"outer"})",
       "outer"},
      {R"({"translatedText":"lone \ud800 surrogate"})", "lone \xEF\xBF\xBD surrogate"},
      {R"({"translatedText":5})", std::nullopt},
      {R"({"detectedLanguage":"en"})", std::nullopt},
      {R"({"error":"Too many requests")", std::nullopt},
      {R"(["translatedText","x"])", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [json, value] : cases) {
    EXPECT_EQ(JsonStringMember(json, "translatedText"), value) << json;
  }
}

}  // namespace
}  // namespace vokabino
