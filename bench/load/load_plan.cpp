#include "bench/load/load_plan.h"

#include <random>

#include "bench/load/subtitle_lines.h"
#include "translation/http_request.h"
#include "translation/translate_line.h"
#include "translation/url_coding.h"

namespace vokabino {
namespace {

constexpr std::string_view kEmail = "learner@localhost";

// Everything a head needs besides its request line.
std::string HeadWith(std::string_view requestLine, int port) {
  return std::string(requestLine) + "\r\nHost: 127.0.0.1:" + std::to_string(port) +
         "\r\nConnection: close\r\n\r\n";
}

std::string GetWithQuery(std::string_view query, int port) {
  return HeadWith("GET /?" + std::string(query) + " HTTP/1.1", port);
}

// The query the player would send for line, with the given language pair and
// password parameters spelled out (an empty string leaves the parameter out).
std::string QueryFor(const Text& line, std::string_view pair, std::string_view password) {
  std::string query(pair);
  query += "&text=" + UrlEncode(line) + "&email=" + std::string(kEmail);
  if (!password.empty()) {
    query += '&';
    query += password;
  }
  return query;
}

// The request bytes the player itself sends for line.
std::string PlayerRequest(const Text& line, int port) {
  TranslationConfig config;
  config.host = "127.0.0.1:" + std::to_string(port);
  config.email = kEmail;
  return FormatGetRequest(*SplitHttpUrl(BuildTranslationUrl(line, config)));
}

std::string RandomBytes(std::size_t count, std::mt19937& random) {
  std::string bytes(count, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random() & 0xFF);
  return bytes;
}

std::string Replaced(std::string text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

PlannedRequest WellFormed(const Text& line, std::size_t turn, int port, std::mt19937& random) {
  PlannedRequest request;
  request.line = line;
  request.bytes = PlayerRequest(line, port);
  request.statuses = {200};
  // Most go as the player sends them; some arrive in pieces, cut inside the
  // request line, inside the headers and inside the closing blank line; some
  // with bare line feeds.
  if (turn % 8 == 3) {
    request.delivery = Delivery::InPieces;
    const std::size_t size = request.bytes.size();
    const std::size_t lineEnd = request.bytes.find('\r');
    request.pieceEnds = {std::uniform_int_distribution<std::size_t>(1, lineEnd)(random),
                         lineEnd + 1, size - 3, size - 1, size};
  } else if (turn % 8 == 6) {
    request.bytes = Replaced(request.bytes, "\r\n", "\n");
  }
  return request;
}

PlannedRequest Malformed(RequestKind kind, std::size_t variant, const Text& line, int port,
                         std::mt19937& random) {
  PlannedRequest request;
  request.kind = kind;
  const std::string_view enFr = "src=en&dest=fr";
  const std::string_view password = "password=qx5318";
  switch (kind) {
    case RequestKind::WellFormed:
      break;
    case RequestKind::BadPassword: {
      const std::string_view wrong[] = {"password=qx5319", "", "password=", "password=QX5318"};
      request.bytes = GetWithQuery(QueryFor(line, enFr, wrong[variant % 4]), port);
      request.statuses = {403};
      break;
    }
    case RequestKind::MissingText: {
      const std::string query =
          variant % 2 == 0
              ? std::string(enFr) + "&email=" + std::string(kEmail) + "&" + std::string(password)
              : Replaced(QueryFor(line, enFr, password), "&text=", "&txt=");
      request.bytes = GetWithQuery(query, port);
      request.statuses = {400};
      break;
    }
    case RequestKind::UnknownLanguagePair: {
      const std::string_view pairs[] = {"src=en&dest=de", "src=fr&dest=en", "dest=fr",
                                        "src=EN&dest=FR"};
      request.bytes = GetWithQuery(QueryFor(line, pairs[variant % 4], password), port);
      request.statuses = {400};
      break;
    }
    case RequestKind::GarbageRequestLine: {
      const std::string lines[] = {
          "HELLO\r\n\r\n",
          "GET\r\n\r\n",
          HeadWith("GET /?" + QueryFor(line, enFr, password) + " HTTP/2.0", port),
          HeadWith("get /?" + QueryFor(line, enFr, password) + " HTTP/1.1", port),
          "\r\n\r\n",
          "GET /?src=en&dest=fr&text=a\x01"
          "b&" +
              std::string(password) + " HTTP/1.1\r\n\r\n",
          "GET  /  HTTP/1.1\r\n\r\n",
      };
      request.bytes = lines[variant % 7];
      request.statuses = {400};
      request.closeIsRight = true;
      break;
    }
    case RequestKind::TruncatedHead: {
      const std::string whole = PlayerRequest(line, port);
      const std::size_t lineEnd = whole.find("\r\n");
      const std::size_t cuts[] = {whole.find("Host:") + 9, lineEnd / 2, lineEnd + 2};
      request.bytes = whole.substr(0, cuts[variant % 3]);
      request.delivery = Delivery::HalfClose;
      request.statuses = {400};
      break;
    }
    case RequestKind::Oversize: {
      switch (variant % 3) {
        case 0:  // a query over 4096 bytes in a request line under 8192
          request.bytes = GetWithQuery(QueryFor(Text(4500, 'a'), enFr, password), port);
          request.statuses = {414};
          break;
        case 1:  // a request line over 8192 bytes
          request.bytes = GetWithQuery(QueryFor(Text(9000, 'b'), enFr, password), port);
          request.statuses = {414};
          break;
        default: {  // a head over 16384 bytes in 40 headers of 500
          std::string head = "GET /?" + QueryFor(line, enFr, password) + " HTTP/1.1\r\n";
          for (int i = 0; i < 40; ++i)
            head += "X-Padding-" + std::to_string(i) + ": " + std::string(500, 'p') + "\r\n";
          request.bytes = head + "\r\n";
          request.statuses = {431};
          break;
        }
      }
      break;
    }
    case RequestKind::BadPercentEscape: {
      const std::string encoded = UrlEncode(line);
      const std::string queries[] = {
          std::string(enFr) + "&text=" + encoded + "%G1&email=" + std::string(kEmail) + "&" +
              std::string(password),
          std::string(enFr) + "&text=" + encoded + "%4&email=" + std::string(kEmail) + "&" +
              std::string(password),
          std::string(enFr) + "&text=" + encoded + "%00&email=" + std::string(kEmail) + "&" +
              std::string(password),
          std::string(enFr) + "&text=" + encoded + "&email=a%zzb&" + std::string(password),
      };
      request.bytes = GetWithQuery(queries[variant % 4], port);
      request.statuses = {400};
      break;
    }
    case RequestKind::BinaryBlob: {
      const std::size_t sizes[][2] = {{1, 64}, {100, 3000}, {9000, 20000}};
      const auto& range = sizes[variant % 3];
      request.bytes = RandomBytes(
          std::uniform_int_distribution<std::size_t>(range[0], range[1])(random), random);
      request.delivery = Delivery::HalfClose;
      request.statuses = {400, 403, 404, 405, 414, 431};
      request.closeIsRight = true;
      break;
    }
    case RequestKind::ClosesEarly: {
      const std::string whole = PlayerRequest(line, port);
      switch (variant % 4) {
        case 0:  // a connection probe: nothing sent at all
          request.delivery = Delivery::CloseAtOnce;
          break;
        case 1:  // half a request
          request.bytes = whole.substr(0, whole.size() / 2);
          request.delivery = Delivery::CloseAtOnce;
          break;
        case 2:  // the whole request, but gone before the answer
          request.bytes = whole;
          request.delivery = Delivery::CloseAtOnce;
          break;
        default:  // the same, ended with a reset
          request.bytes = whole;
          request.delivery = Delivery::ResetAtOnce;
          break;
      }
      break;
    }
    case RequestKind::WrongMethodOrPath: {
      const std::string query = QueryFor(line, enFr, password);
      const std::string heads[] = {
          HeadWith("POST /?" + query + " HTTP/1.1", port),
          HeadWith("HEAD / HTTP/1.1", port),
          HeadWith("GET /translate?" + query + " HTTP/1.1", port),
          HeadWith("GET /favicon.ico HTTP/1.1", port),
      };
      const int statuses[] = {405, 405, 404, 404};
      request.bytes = heads[variant % 4];
      request.statuses = {statuses[variant % 4]};
      break;
    }
  }
  return request;
}

}  // namespace

std::string_view RequestKindName(RequestKind kind) {
  switch (kind) {
    case RequestKind::WellFormed:
      return "well-formed";
    case RequestKind::BadPassword:
      return "bad password";
    case RequestKind::MissingText:
      return "missing text";
    case RequestKind::UnknownLanguagePair:
      return "unknown language pair";
    case RequestKind::GarbageRequestLine:
      return "garbage request line";
    case RequestKind::TruncatedHead:
      return "truncated head";
    case RequestKind::Oversize:
      return "oversize";
    case RequestKind::BadPercentEscape:
      return "bad percent escape";
    case RequestKind::BinaryBlob:
      return "binary blob";
    case RequestKind::ClosesEarly:
      return "closes early";
    case RequestKind::WrongMethodOrPath:
      return "wrong method or path";
  }
  return "?";
}

std::vector<PlannedRequest> PlanLoad(const LoadPlanOptions& options, int port) {
  const std::vector<Text> lines =
      MakeSubtitleLines(options.lines == 0 ? 1 : options.lines, options.seed);
  std::mt19937 random(options.seed ^ 0x9E3779B9u);
  auto anyLine = [&]() -> const Text& {
    return lines[std::uniform_int_distribution<std::size_t>(0, lines.size() - 1)(random)];
  };
  constexpr std::size_t kKinds = std::size(kMalformedKinds);
  std::vector<PlannedRequest> plan;
  plan.reserve(options.requests);
  std::size_t wellFormed = 0;
  std::size_t malformed = 0;
  for (std::size_t i = 0; i < options.requests; ++i) {
    const bool isMalformed =
        options.malformedEvery != 0 && i % options.malformedEvery == options.malformedEvery - 1;
    if (isMalformed) {
      plan.push_back(Malformed(kMalformedKinds[malformed % kKinds], malformed / kKinds, anyLine(),
                               port, random));
      ++malformed;
    } else {
      plan.push_back(WellFormed(anyLine(), wellFormed, port, random));
      ++wellFormed;
    }
  }
  return plan;
}

}  // namespace vokabino
