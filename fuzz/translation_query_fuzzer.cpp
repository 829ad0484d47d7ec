// The translation service's reading of a request, and the contract between the
// player and the service, on arbitrary bytes:
// - the bytes as a request head (ReadRequestHead) and as a raw query
//   (ParseTranslationQuery, CheckTranslationQuery, DecodeQueryValue): refusals
//   are the documented ones, with one printable line as the reason, and nothing
//   accepted ever holds a zero byte;
// - the bytes as a subtitle line: the request the player sends for it
//   (BuildTranslationUrl, SplitHttpUrl, FormatGetRequest) is accepted and parsed
//   back to the very same line; the reply the service builds for a translation
//   is read back by the player's decoding to the very same text; and the line
//   survives the trip through Apertium's stream-format escaping.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "server/apertium_stream.h"
#include "server/http_service.h"
#include "server/query_parsing.h"
#include "server/reply_coding.h"
#include "text/codepage.h"
#include "text/text.h"
#include "translation/http_request.h"
#include "translation/translate_line.h"
#include "translation/url_coding.h"

namespace vokabino {
namespace {

bool IsPrintableLine(std::string_view text) {
  for (char c : text) {
    if (c < 0x20 || c > 0x7E) return false;
  }
  return true;
}

bool FieldHoldsZero(const std::optional<std::string>& field) {
  return field && HoldsZeroByte(*field);
}

void CheckRequestHead(std::string_view head, std::size_t maxLine) {
  const RequestHead request = ReadRequestHead(head, maxLine);
  FUZZ_CHECK(request.status == 0 || request.status == 400 || request.status == 404 ||
             request.status == 405 || request.status == 414);
  FUZZ_CHECK(IsPrintableLine(request.reason));
  std::string_view line = head.substr(0, head.find('\n'));
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.size() > maxLine) FUZZ_CHECK(request.status == 414);
  if (request.status != 0 && request.status != 404 && request.status != 405) return;
  FUZZ_CHECK(line.find(request.target) != std::string_view::npos);
  FUZZ_CHECK(!request.target.empty());
  for (char c : request.target) FUZZ_CHECK(c > ' ' && c != 0x7F);
  if (request.status == 0) {
    FUZZ_CHECK(request.method == "GET");
    FUZZ_CHECK(request.target == "/" || request.target.substr(0, 2) == "/?");
  }
}

QueryVerdict CheckQuery(std::string_view raw) {
  const QueryParse parse = ParseTranslationQuery(raw);
  FUZZ_CHECK((parse.problem == QueryProblem::TooLong) == (raw.size() > kMaxQueryBytes));
  if (parse.problem == QueryProblem::None) {
    const TranslationQuery& query = parse.query;
    FUZZ_CHECK(!FieldHoldsZero(query.source) && !FieldHoldsZero(query.destination) &&
               !FieldHoldsZero(query.text) && !FieldHoldsZero(query.email) &&
               !FieldHoldsZero(query.password));
    if (query.text) FUZZ_CHECK(query.text->size() <= raw.size());
  }
  const QueryVerdict verdict = CheckTranslationQuery(parse);
  FUZZ_CHECK(verdict.status == 0 || verdict.status == 400 || verdict.status == 403 ||
             verdict.status == 414);
  FUZZ_CHECK(IsPrintableLine(verdict.reason));
  FUZZ_CHECK((verdict.status == 0) == verdict.reason.empty());
  if (verdict.status == 0) {
    FUZZ_CHECK(parse.problem == QueryProblem::None);
    FUZZ_CHECK(parse.query.password == std::string(kServicePassword));
    FUZZ_CHECK(parse.query.source == "en" && parse.query.destination == "fr");
    FUZZ_CHECK(parse.query.text.has_value());
  }
  return verdict;
}

void CheckDecodeQueryValue(std::string_view value) {
  const std::optional<std::string> decoded = DecodeQueryValue(value);
  if (!decoded) return;
  FUZZ_CHECK(!HoldsZeroByte(*decoded));
  FUZZ_CHECK(decoded->size() <= value.size());
  // The player's decoder reads "+" as a space and stops at a zero byte; apart
  // from those the two agree.
  if (value.find('+') == std::string_view::npos && !HoldsZeroByte(value)) {
    FUZZ_CHECK(UrlDecode(Text(value)) == *decoded);
  }
}

// The request the player sends for line reaches the service as that line.
void CheckRequestRoundTrip(const Text& line) {
  TranslationConfig config;
  const std::optional<HttpUrl> url = SplitHttpUrl(BuildTranslationUrl(line, config));
  FUZZ_CHECK(url.has_value());
  const std::string request = FormatGetRequest(*url);
  const RequestHead head = ReadRequestHead(request, ServiceOptions{}.maxRequestLineBytes);
  const std::size_t lineEnd = request.find("\r\n");
  if (lineEnd > ServiceOptions{}.maxRequestLineBytes) {
    FUZZ_CHECK(head.status == 414);
    return;
  }
  FUZZ_CHECK(head.status == 0);
  const std::string_view raw = std::string_view(head.target).substr(head.target.find('?') + 1);
  const QueryParse parse = ParseTranslationQuery(raw);
  if (raw.size() > kMaxQueryBytes) {
    FUZZ_CHECK(parse.problem == QueryProblem::TooLong);
    return;
  }
  FUZZ_CHECK(parse.problem == QueryProblem::None);
  FUZZ_CHECK(parse.query.text == line);
  FUZZ_CHECK(parse.query.email == config.email);
  FUZZ_CHECK(CheckTranslationQuery(parse).status == 0);
}

// The reply the service sends for a translation reads back as that translation.
// The player decodes the whole body before it looks for the markers, so a marker
// inside the translation itself still ends it there, whatever the escaping.
void CheckReplyRoundTrip(const Text& french) {
  const std::string body = TranslationReplyBody(french);
  FUZZ_CHECK(body.find_first_of("<+", 1) == body.size() - 14);  // only the closing marker
  const Text decoded = UrlDecode(Utf8ToCp1252(body));
  const std::size_t marker = std::min(french.find("<translation>"), french.find("</translation>"));
  FUZZ_CHECK(SplitField(SplitField(decoded, 2, "<translation>"), 1, "</translation>") ==
             french.substr(0, marker));
}

void CheckApertiumEscaping(const Text& line) {
  const Text clean = CleanLineForTranslation(line);
  FUZZ_CHECK(clean.size() == line.size());
  for (char c : clean) FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
  const std::string utf8 = Cp1252ToUtf8(clean);
  const std::string escaped = EscapeForApertium(utf8);
  FUZZ_CHECK(escaped.find_first_of(std::string_view("\0\n", 2)) == std::string::npos);
  FUZZ_CHECK(UnescapeApertiumOutput(escaped) == utf8);
}

}  // namespace
}  // namespace vokabino

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vokabino;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  CheckRequestHead(bytes, ServiceOptions{}.maxRequestLineBytes);
  CheckRequestHead(bytes, 40);
  const RequestHead head = ReadRequestHead(bytes, ServiceOptions{}.maxRequestLineBytes);
  if (head.status == 0 && head.target.find('?') != std::string::npos) {
    CheckQuery(std::string_view(head.target).substr(head.target.find('?') + 1));
  }
  CheckQuery(bytes);
  CheckDecodeQueryValue(bytes);

  const Text line(CutAtZero(bytes));
  CheckRequestRoundTrip(line);
  CheckReplyRoundTrip(line);
  CheckApertiumEscaping(line);
  return 0;
}
