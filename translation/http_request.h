#pragma once
// The URL of a GET request taken apart, and the request bytes put on the wire.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vokabino {

struct HttpUrl {
  std::string host;  // as written in the URL (no user info, no port)
  std::uint16_t port = 80;
  std::string pathAndQuery;  // everything after the first "/" behind the host, "#" part included
};

// Splits "scheme://[userinfo@]host[:port][/path-and-query]". The scheme itself is
// not checked. User info (up to an "@" that stands before the first "/") is
// dropped and never sent. The port, when given, must be decimal digits for a
// value from 1 to 65535. Returns nothing when "://" is missing, the host is empty
// or the port is not such a number. A ":" in the path or query is no port separator.
std::optional<HttpUrl> SplitHttpUrl(std::string_view url);

// The request text, every line ended by CR LF:
//   "GET /<pathAndQuery> HTTP/1.1", "Accept: */*", "Host: <host>[:<port> unless 80]",
//   "Connection: close", and an empty line. Its length is not limited.
std::string FormatGetRequest(const HttpUrl& url);

}  // namespace vokabino
