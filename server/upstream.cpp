#include "server/upstream.h"

#include <httplib.h>

#include "server/apertium_stream.h"
#include "server/json_text.h"
#include "text/codepage.h"

namespace vokabino {

std::optional<UpstreamConfig> ReadUpstreamConfig(const UpstreamLookup& lookup) {
  const char* url = lookup("VOKABINO_UPSTREAM_URL");
  if (url == nullptr || *url == '\0') return std::nullopt;
  UpstreamConfig config;
  config.url = url;
  if (const char* key = lookup("VOKABINO_UPSTREAM_API_KEY"); key != nullptr) config.apiKey = key;
  return config;
}

UpstreamAddress SplitUpstreamUrl(std::string_view url) {
  UpstreamAddress address;
  std::string scheme = "http";
  if (const std::size_t at = url.find("://"); at != std::string_view::npos) {
    scheme = std::string(url.substr(0, at));
    url.remove_prefix(at + 3);
  }
  const std::size_t slash = url.find('/');
  const std::string_view host = url.substr(0, slash);
  if (host.empty()) return address;
  address.origin = scheme + "://" + std::string(host);
  if (slash != std::string_view::npos) {
    std::string_view path = url.substr(slash);
    while (!path.empty() && path.back() == '/') path.remove_suffix(1);
    address.pathPrefix = std::string(path);
  }
  return address;
}

std::string UpstreamRequestBody(const Text& line, std::string_view apiKey) {
  std::string body = "{\"q\":" + JsonStringLiteral(Cp1252ToUtf8(line)) +
                     ",\"source\":\"en\",\"target\":\"fr\",\"format\":\"text\"";
  if (!apiKey.empty()) body += ",\"api_key\":" + JsonStringLiteral(apiKey);
  body += "}";
  return body;
}

UpstreamOutcome TranslateWithUpstream(const UpstreamConfig& config, const Text& line) {
  UpstreamOutcome outcome;
  const UpstreamAddress address = SplitUpstreamUrl(config.url);
  if (address.origin.empty()) {
    outcome.problem = "upstream URL has no host";
    return outcome;
  }
  httplib::Client client(address.origin);
  if (!client.is_valid()) {
    outcome.problem = "upstream URL not usable: " + address.origin;
    return outcome;
  }
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(config.timeout);
  const auto micros =
      std::chrono::duration_cast<std::chrono::microseconds>(config.timeout - seconds);
  client.set_connection_timeout(seconds.count(), micros.count());
  client.set_read_timeout(seconds.count(), micros.count());
  client.set_write_timeout(seconds.count(), micros.count());
  const httplib::Result result = client.Post(address.pathPrefix + "/translate",
                                             UpstreamRequestBody(line, config.apiKey),
                                             "application/json");
  if (!result) {
    outcome.problem = "upstream: " + httplib::to_string(result.error());
    return outcome;
  }
  if (result->status != 200) {
    outcome.problem = "upstream answered status " + std::to_string(result->status);
    return outcome;
  }
  const std::optional<std::string> translated = JsonStringMember(result->body, "translatedText");
  if (!translated) {
    outcome.problem = "upstream answer has no translatedText";
    return outcome;
  }
  const std::string tidy = TidyTranslation(*translated);
  if (tidy.empty() && line.find_first_not_of(' ') != Text::npos) {
    outcome.problem = "upstream gave an empty translation";
    return outcome;
  }
  outcome.french = Utf8ToCp1252(tidy);
  return outcome;
}

}  // namespace vokabino
