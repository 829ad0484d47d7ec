// The service's plain parts: mode files, command line, cache, upstream
// addressing, request heads and replies.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "server/apertium_mode.h"
#include "server/command_line.h"
#include "server/http_service.h"
#include "server/translation_cache.h"
#include "server/upstream.h"

namespace vokabino {
namespace {

using Stages = std::vector<StageCommand>;

TEST(ModePipeline, ShellLineBecomesFlushingStages) {
  const ModeParse parse = ParseModePipeline(
      "lt-proc '/d/x y.bin' | apertium-tagger -g $2 '/d/p' | apertium-pretransfer\n"
      "| lt-proc -z $1 \"/d/q\\\"r\" |cg-proc a\\ b\n");
  ASSERT_EQ(parse.error, "");
  const Stages expected = {
      {"lt-proc", "-z", "/d/x y.bin"},
      {"apertium-tagger", "-z", "-g", "/d/p"},
      {"apertium-pretransfer", "-z"},
      {"lt-proc", "-z", "-n", "/d/q\"r"},
      {"cg-proc", "-z", "a b"},
  };
  EXPECT_EQ(parse.stages, expected);
}

TEST(ModePipeline, AnythingButAPlainPipelineIsRefused) {
  for (const char* line : {"a | | b", "| a", "a |", "a > out", "a; rm x", "a && b", "a $3",
                           "a $HOME", "a 'open", "a \"open", "a `b`", "a $(b)", "", "a x$1"}) {
    const ModeParse parse = ParseModePipeline(line);
    EXPECT_NE(parse.error, "") << line;
    EXPECT_TRUE(parse.stages.empty()) << line;
  }
}

TEST(ModePipeline, InstalledModesAreFoundUnderEitherName) {
  const ModeParse found = LoadModePipeline(kApertiumModeDirectory, {"no-such-pair", "eng-spa"});
  ASSERT_EQ(found.error, "");
  ASSERT_GE(found.stages.size(), 5u);
  for (const StageCommand& stage : found.stages) {
    EXPECT_EQ(stage.at(1), "-z");
    for (const std::string& word : stage) EXPECT_EQ(word.find('$'), std::string::npos);
  }
  const ModeParse missing = LoadModePipeline(kApertiumModeDirectory, {"xx-yy", "yy-zz"});
  EXPECT_NE(missing.error.find("xx-yy.mode"), std::string::npos) << missing.error;
  EXPECT_NE(missing.error.find("yy-zz.mode"), std::string::npos) << missing.error;
}

TEST(CommandLine, Table) {
  struct Case {
    std::vector<std::string> arguments;
    std::string bind;
    int port;
    bool help;
    bool error;
  };
  const Case cases[] = {
      {{}, "127.0.0.1", 7318, false, false},
      {{"--port", "8080"}, "127.0.0.1", 8080, false, false},
      {{"--port=0", "--bind=::1"}, "::1", 0, false, false},
      {{"--bind", "0.0.0.0", "--port", "65535"}, "0.0.0.0", 65535, false, false},
      {{"--help"}, "127.0.0.1", 7318, true, false},
      {{"-h"}, "127.0.0.1", 7318, true, false},
      {{"--port"}, "", 0, false, true},
      {{"--port", "abc"}, "", 0, false, true},
      {{"--port", "65536"}, "", 0, false, true},
      {{"--port", "-1"}, "", 0, false, true},
      {{"--port", "123456"}, "", 0, false, true},
      {{"--bind="}, "", 0, false, true},
      {{"--verbose"}, "", 0, false, true},
      {{"7318"}, "", 0, false, true},
  };
  for (const Case& c : cases) {
    std::string joined;
    for (const std::string& a : c.arguments) joined += a + " ";
    SCOPED_TRACE(joined);
    const CommandLine line = ParseCommandLine(c.arguments);
    EXPECT_EQ(!line.error.empty(), c.error) << line.error;
    if (c.error) continue;
    EXPECT_EQ(line.bind, c.bind);
    EXPECT_EQ(line.port, c.port);
    EXPECT_EQ(line.help, c.help);
  }
}

TEST(TranslationCache, LeastRecentlyUsedGoesFirst) {
  TranslationCache cache;
  cache.capacity = 2;
  RememberTranslation(cache, "a", "A");
  RememberTranslation(cache, "b", "B");
  EXPECT_EQ(LookUpTranslation(cache, "a"), std::optional<Text>("A"));  // a is now the newest
  RememberTranslation(cache, "c", "C");
  EXPECT_EQ(LookUpTranslation(cache, "b"), std::nullopt);
  EXPECT_EQ(LookUpTranslation(cache, "a"), std::optional<Text>("A"));
  EXPECT_EQ(LookUpTranslation(cache, "c"), std::optional<Text>("C"));
  RememberTranslation(cache, "c", "C2");  // refreshing does not grow it
  EXPECT_EQ(CachedTranslationCount(cache), 2u);
  EXPECT_EQ(LookUpTranslation(cache, "c"), std::optional<Text>("C2"));
  RememberTranslation(cache, "d", "D");
  EXPECT_EQ(LookUpTranslation(cache, "a"), std::nullopt);

  TranslationCache none;
  none.capacity = 0;
  RememberTranslation(none, "a", "A");
  EXPECT_EQ(LookUpTranslation(none, "a"), std::nullopt);
}

TEST(Upstream, AddressAndRequestBody) {
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"http://127.0.0.1:5000", "http://127.0.0.1:5000", ""},
      {"https://mt.example.test/api/v1/", "https://mt.example.test", "/api/v1"},
      {"127.0.0.1:5000", "http://127.0.0.1:5000", ""},
      {"http:///nohost", "", ""},
  };
  for (const auto& [url, origin, prefix] : cases) {
    const UpstreamAddress address = SplitUpstreamUrl(url);
    EXPECT_EQ(address.origin, origin) << url;
    EXPECT_EQ(address.pathPrefix, prefix) << url;
  }
  EXPECT_EQ(UpstreamRequestBody("caf\xE9 \"x\"", ""),
            "{\"q\":\"caf\xC3\xA9 \\\"x\\\"\",\"source\":\"en\",\"target\":\"fr\","
            "\"format\":\"text\"}");
  EXPECT_NE(UpstreamRequestBody("a", "k1").find(",\"api_key\":\"k1\"}"), std::string::npos);

  const auto config = ReadUpstreamConfig([](const char* name) -> const char* {
    return std::string(name) == "VOKABINO_UPSTREAM_URL" ? "http://127.0.0.1:1" : nullptr;
  });
  ASSERT_TRUE(config.has_value());
  EXPECT_EQ(config->url, "http://127.0.0.1:1");
  EXPECT_FALSE(ReadUpstreamConfig([](const char*) -> const char* { return ""; }).has_value());
}

TEST(RequestHead, Table) {
  struct Case {
    std::string head;
    int status;
    std::string target;
  };
  const Case cases[] = {
      {"GET /?a=1 HTTP/1.1\r\nHost: x\r\n\r\n", 0, "/?a=1"},
      {"GET /?text=We're%20#1!&b=2 HTTP/1.0\n\n", 0, "/?text=We're%20#1!&b=2"},
      {"GET / HTTP/1.1\r\n\r\n", 0, "/"},
      {"POST /?a=1 HTTP/1.1\r\n\r\n", 405, "/?a=1"},
      {"GET /other?a=1 HTTP/1.1\r\n\r\n", 404, "/other?a=1"},
      {"GET /? HTTP/2.0\r\n\r\n", 400, ""},
      {"get / HTTP/1.1\r\n\r\n", 400, ""},
      {"GET /?a b HTTP/1.1\r\n\r\n", 400, ""},
      {"GET  HTTP/1.1\r\n\r\n", 400, ""},
      {"GARBAGE\r\n\r\n", 400, ""},
      {std::string("GET /?\x01 HTTP/1.1\r\n\r\n"), 400, ""},
      {"GET /?" + std::string(100, 'a') + " HTTP/1.1\r\n\r\n", 414, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.head.substr(0, 40));
    const RequestHead head = ReadRequestHead(c.head, 64);
    EXPECT_EQ(head.status, c.status);
    EXPECT_EQ(head.reason.empty(), c.status == 0);
    if (!c.target.empty()) {
      EXPECT_EQ(head.target, c.target);
    }
  }
}

TEST(RequestHead, RepliesCarryTheirLength) {
  EXPECT_EQ(FormatReply(200, "<translation>a</translation>"),
            "HTTP/1.1 200 OK\r\nContent-Type: text/plain; charset=us-ascii\r\n"
            "Content-Length: 28\r\nConnection: close\r\n\r\n<translation>a</translation>");
  EXPECT_NE(FormatReply(405, "x\n").find("\r\nAllow: GET\r\n"), std::string::npos);
}

}  // namespace
}  // namespace vokabino
