#include "translation/http_request.h"

namespace vokabino {
namespace {

std::optional<std::uint16_t> ParsePort(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint32_t>(c - '0');
    if (value > 65535) return std::nullopt;
  }
  if (value == 0) return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

}  // namespace

std::optional<HttpUrl> SplitHttpUrl(std::string_view url) {
  const std::size_t schemeEnd = url.find("://");
  if (schemeEnd == std::string_view::npos) return std::nullopt;
  std::string_view rest = url.substr(schemeEnd + 3);

  const std::size_t slash = rest.find('/');
  const std::size_t at = rest.find('@');
  if (at != std::string_view::npos && (slash == std::string_view::npos || at < slash)) {
    rest.remove_prefix(at + 1);
  }

  const std::size_t pathSlash = rest.find('/');
  const std::string_view authority = rest.substr(0, pathSlash);
  HttpUrl parts;
  if (pathSlash != std::string_view::npos)
    parts.pathAndQuery = std::string(rest.substr(pathSlash + 1));

  const std::size_t colon = authority.find(':');
  parts.host = std::string(authority.substr(0, colon));
  if (parts.host.empty()) return std::nullopt;
  if (colon != std::string_view::npos) {
    const std::optional<std::uint16_t> port = ParsePort(authority.substr(colon + 1));
    if (!port) return std::nullopt;
    parts.port = *port;
  }
  return parts;
}

std::string FormatGetRequest(const HttpUrl& url) {
  std::string request;
  request.reserve(url.pathAndQuery.size() + url.host.size() + 64);
  request += "GET /";
  request += url.pathAndQuery;
  request += " HTTP/1.1\r\nAccept: */*\r\nHost: ";
  request += url.host;
  if (url.port != 80) {
    request += ':';
    request += std::to_string(url.port);
  }
  request += "\r\nConnection: close\r\n\r\n";
  return request;
}

}  // namespace vokabino
