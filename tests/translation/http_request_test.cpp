#include "translation/http_request.h"

#include <gtest/gtest.h>

#include "translation/translate_line.h"
#include "translation/translation_config.h"

namespace vokabino {
namespace {

struct UrlCase {
  const char* url;
  bool valid;
  const char* host;
  std::uint16_t port;
  const char* pathAndQuery;
};

TEST(SplitHttpUrl, HostPortAndPath) {
  const UrlCase cases[] = {
      {"http://example.test/?src=en&text=10:30", true, "example.test", 80, "?src=en&text=10:30"},
      {"http://127.0.0.1:7318/?a=b", true, "127.0.0.1", 7318, "?a=b"},
      {"http://host", true, "host", 80, ""},
      {"http://host/", true, "host", 80, ""},
      {"http://host:8080", true, "host", 8080, ""},
      {"http://user:pw@host:81/p#frag", true, "host", 81, "p#frag"},
      {"http://host/path@x:9", true, "host", 80, "path@x:9"},
      {"http://host:00080/x", true, "host", 80, "x"},
      {"host/path", false, "", 0, ""},
      {"http:///path", false, "", 0, ""},
      {"http://:80/path", false, "", 0, ""},
      {"http://host:/x", false, "", 0, ""},
      {"http://host:0/x", false, "", 0, ""},
      {"http://host:65536/x", false, "", 0, ""},
      {"http://host:99999999999999999999/x", false, "", 0, ""},
      {"http://host:80a/x", false, "", 0, ""},
  };
  for (const UrlCase& c : cases) {
    const std::optional<HttpUrl> parts = SplitHttpUrl(c.url);
    ASSERT_EQ(parts.has_value(), c.valid) << c.url;
    if (!parts) continue;
    EXPECT_EQ(parts->host, c.host) << c.url;
    EXPECT_EQ(parts->port, c.port) << c.url;
    EXPECT_EQ(parts->pathAndQuery, c.pathAndQuery) << c.url;
  }
}

TEST(FormatGetRequest, ExactBytes) {
  EXPECT_EQ(FormatGetRequest({"example.test", 80, "?q=1"}),
            "GET /?q=1 HTTP/1.1\r\nAccept: */*\r\nHost: example.test\r\nConnection: close\r\n\r\n");
  EXPECT_EQ(FormatGetRequest({"127.0.0.1", 7318, ""}),
            "GET / HTTP/1.1\r\nAccept: */*\r\nHost: 127.0.0.1:7318\r\nConnection: close\r\n\r\n");
}

TEST(BuildTranslationUrl, QueryInItsOrder) {
  TranslationConfig config;
  config.host = "example.test";
  config.email = "me@example.test";
  const std::pair<Text, std::string> cases[] = {
      {"abc", "http://example.test/?src=en&dest=fr&text=abc&email=me@example.test&password=qx5318"},
      {"", "http://example.test/?src=en&dest=fr&text=&email=me@example.test&password=qx5318"},
      {"10:30 caf\xE9",
       "http://example.test/"
       "?src=en&dest=fr&text=10:30%20caf%E9&email=me@example.test&password=qx5318"},
  };
  for (const auto& [line, url] : cases) EXPECT_EQ(BuildTranslationUrl(line, config), url) << line;

  // The colon of 10:30 lies in the query: the request still goes to port 80.
  const std::optional<HttpUrl> parts = SplitHttpUrl(cases[2].second);
  ASSERT_TRUE(parts);
  EXPECT_EQ(parts->port, 80);
  EXPECT_EQ(FormatGetRequest(*parts).substr(0, 60),
            "GET /?src=en&dest=fr&text=10:30%20caf%E9&email=me@example.te");
}

TEST(ReadTranslationConfig, EnvironmentOverridesDefaults) {
  const TranslationConfig defaults =
      ReadTranslationConfig([](const char*) -> const char* { return nullptr; });
  EXPECT_EQ(defaults.host, "127.0.0.1:7318");
  EXPECT_EQ(defaults.email, "learner@localhost");
  EXPECT_EQ(defaults.scratchPath, "teste.txt");
  EXPECT_EQ(defaults.limits.exchangeTimeout, std::chrono::seconds(30));

  const TranslationConfig set = ReadTranslationConfig([](const char* name) -> const char* {
    const std::string key = name;
    if (key == "VOKABINO_TRANSLATION_HOST") return "translate.test:8080";
    if (key == "VOKABINO_TRANSLATION_EMAIL") return "";
    return nullptr;
  });
  EXPECT_EQ(set.host, "translate.test:8080");
  EXPECT_EQ(set.email, "learner@localhost");  // empty counts as unset
}

}  // namespace
}  // namespace vokabino
