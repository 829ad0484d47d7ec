#pragma once
// An optional online translator in front of Apertium: a LibreTranslate-compatible
// server named by VOKABINO_UPSTREAM_URL, asked with "POST <url>/translate" and a
// JSON body; its answer's "translatedText" is the French. Whatever goes wrong
// there, the caller falls back to Apertium.
//
// Threading: TranslateWithUpstream opens its own connection; any thread may call.
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "text/text.h"

namespace vokabino {

struct UpstreamConfig {
  std::string url;     // as configured, such as "http://127.0.0.1:5000"
  std::string apiKey;  // sent as "api_key" when not empty
  std::chrono::milliseconds timeout{5'000};  // connect, and each read and write
};

// Looks up one environment variable; null or empty means unset.
using UpstreamLookup = std::function<const char*(const char* name)>;

// VOKABINO_UPSTREAM_URL (required) and VOKABINO_UPSTREAM_API_KEY (optional);
// nullopt when no URL is set.
std::optional<UpstreamConfig> ReadUpstreamConfig(const UpstreamLookup& lookup);

// The two halves of the URL: "scheme://host[:port]" and the path it ends with
// (without a trailing "/"; empty for none). A URL without "://" is taken as
// http. origin is empty when there is no host.
struct UpstreamAddress {
  std::string origin;
  std::string pathPrefix;
};
UpstreamAddress SplitUpstreamUrl(std::string_view url);

// The JSON body asking for the French of line (Windows-1252).
std::string UpstreamRequestBody(const Text& line, std::string_view apiKey);

struct UpstreamOutcome {
  std::optional<Text> french;  // Windows-1252; nullopt on any failure
  std::string problem;         // one line when it failed
};

// Asks the upstream server. A status other than 200, a body without a string
// "translatedText", an empty translation of a non-empty line, or no answer within
// the time-outs is a failure.
UpstreamOutcome TranslateWithUpstream(const UpstreamConfig& config, const Text& line);

}  // namespace vokabino
