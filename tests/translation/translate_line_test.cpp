#include "translation/translate_line.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "loopback_server.h"
#include "scratch_files.h"

namespace vokabino {
namespace {

using namespace std::chrono_literals;
using testing_support::LoopbackServer;
using testing_support::ReadFileBytes;
using testing_support::ScratchFolder;
using testing_support::ServerScript;
using testing_support::WriteFileBytes;

std::string ReplyWithBody(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\n\r\n" + body;
}

TranslationConfig ConfigFor(const LoopbackServer& server, const ScratchFolder& scratch) {
  TranslationConfig config;
  config.host = server.Authority();
  config.scratchPath = scratch.PathOf("teste.txt");
  config.limits.blockWait = 2s;
  config.limits.exchangeTimeout = 5s;
  return config;
}

TEST(TranslateLine, RequestCarriesTheConfiguredHostAndAccount) {
  ScratchFolder scratch;
  LoopbackServer server({.steps = {{ReplyWithBody("<translation>abc</translation>"), 0ms}}});
  const std::string authority = server.Authority();
  TranslationConfig config = ReadTranslationConfig([&](const char* name) -> const char* {
    const std::string key = name;
    if (key == "VOKABINO_TRANSLATION_HOST") return authority.c_str();
    if (key == "VOKABINO_TRANSLATION_EMAIL") return "ann@example.test";
    return nullptr;
  });
  config.scratchPath = scratch.PathOf("teste.txt");
  EXPECT_EQ(TranslateLine("I'm 50% sure", config), "abc");
  EXPECT_EQ(server.FinishAndTakeRequest(),
            "GET /?src=en&dest=fr&text=I'm%2050%25%20sure&email=ann@example.test&password=qx5318 "
            "HTTP/1.1\r\n"
            "Accept: */*\r\nHost: " +
                authority + "\r\nConnection: close\r\n\r\n");
}

TEST(TranslateLine, TranslationCutFromTheDecodedReply) {
  const std::pair<std::string, Text> cases[] = {
      {"<translation>Bonjour tout le monde</translation>", "Bonjour tout le monde"},
      {"<response><translation>Bonjour+tout+le+monde</translation></response>",
       "Bonjour tout le monde"},
      {"<translation>un<translation>deux</translation>", "un"},
      {"a<translation>un</translation>b<translation>deux</translation>", "un"},
      {"%3Ctranslation%3Ecaf%E9%3C%2Ftranslation%3E", "caf\xE9"},
      {"<translation>caf\xC3\xA9</translation>", "caf\xE9"},
      {"<translation>sans fin\r\n", "sans fin\r\n"},
      {"<translation>50%ZZ fin</translation>", "50"},
      {"<translation>a%00b</translation>", "a"},
      {"bad % escape<translation>perdu</translation>", ""},
      {"no markers at all", ""},
  };
  for (const auto& [body, translation] : cases) {
    SCOPED_TRACE(body);
    ScratchFolder scratch;
    LoopbackServer server({.steps = {{ReplyWithBody(body), 0ms}}});
    const TranslationConfig config = ConfigFor(server, scratch);
    EXPECT_EQ(TranslateLine("hello", config), translation);
    EXPECT_EQ(ReadFileBytes(config.scratchPath), body);
  }
}

TEST(TranslateLine, RefusedReplyLeavesTheEarlierFileAndGivesNothing) {
  ScratchFolder scratch;
  LoopbackServer server({.steps = {{"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n", 0ms}}});
  const TranslationConfig config = ConfigFor(server, scratch);
  WriteFileBytes(config.scratchPath, "<translation>ancienne</translation>");
  EXPECT_EQ(TranslateLine("hello", config), "");
  EXPECT_EQ(ReadFileBytes(config.scratchPath), "<translation>ancienne</translation>");
}

TEST(TranslateLine, BodyUntilCloseFromServerThatKeepsTheConnection) {
  // The one case that runs on the product's own 1-second wait: the body has no
  // length, the server never closes, and only the quiet second ends it.
  ScratchFolder scratch;
  LoopbackServer server(
      {.steps = {{"HTTP/1.0 200 OK\r\n\r\n<translation>Salut</translation>", 0ms}},
       .holdOpen = true});
  TranslationConfig config;
  config.host = server.Authority();
  config.scratchPath = scratch.PathOf("teste.txt");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(TranslateLine("Hi", config), "Salut");
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, 1s);
  EXPECT_LT(took, 3s);
}

}  // namespace
}  // namespace vokabino
