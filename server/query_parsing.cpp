#include "server/query_parsing.h"

#include <array>

namespace vokabino {
namespace {

constexpr std::array<std::string_view, 5> kKnownKeys = {"src", "dest", "text", "email",
                                                        "password"};

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

QueryProblem DecodeInto(std::string_view value, std::string& out) {
  out.clear();
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    // A raw zero byte never comes through the HTTP side, but no value may hold one.
    if (value[i] == '\0') return QueryProblem::ZeroByte;
    if (value[i] != '%') {
      out += value[i];
      continue;
    }
    if (i + 2 >= value.size()) return QueryProblem::BadEscape;
    const int high = HexDigitValue(value[i + 1]);
    const int low = HexDigitValue(value[i + 2]);
    if (high < 0 || low < 0) return QueryProblem::BadEscape;
    if (high == 0 && low == 0) return QueryProblem::ZeroByte;
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return QueryProblem::None;
}

std::optional<std::string>* FieldFor(TranslationQuery& query, std::string_view key) {
  if (key == "src") return &query.source;
  if (key == "dest") return &query.destination;
  if (key == "text") return &query.text;
  if (key == "email") return &query.email;
  if (key == "password") return &query.password;
  return nullptr;
}

// Stores one "key=value" (or bare "key") piece; unknown keys are skipped.
QueryProblem StoreParameter(TranslationQuery& query, std::string_view key,
                            std::string_view rawValue) {
  std::optional<std::string>* field = FieldFor(query, key);
  if (field == nullptr) return QueryProblem::None;
  if (field->has_value()) return QueryProblem::RepeatedField;
  std::string decoded;
  if (const QueryProblem problem = DecodeInto(rawValue, decoded); problem != QueryProblem::None)
    return problem;
  *field = std::move(decoded);
  return QueryProblem::None;
}

QueryProblem StorePiece(TranslationQuery& query, std::string_view piece) {
  const std::size_t equals = piece.find('=');
  if (equals == std::string_view::npos) return StoreParameter(query, piece, {});
  return StoreParameter(query, piece.substr(0, equals), piece.substr(equals + 1));
}

// Splits at every "&"; used where no free-form line can stand.
QueryProblem StorePlainParameters(TranslationQuery& query, std::string_view part) {
  while (!part.empty()) {
    const std::size_t amp = part.find('&');
    const std::string_view piece = part.substr(0, amp);
    if (const QueryProblem problem = StorePiece(query, piece); problem != QueryProblem::None)
      return problem;
    if (amp == std::string_view::npos) break;
    part.remove_prefix(amp + 1);
  }
  return QueryProblem::None;
}

// Position of "text=" at the start of a parameter, or npos.
std::size_t FindTextParameter(std::string_view raw) {
  for (std::size_t at = raw.find("text="); at != std::string_view::npos;
       at = raw.find("text=", at + 1)) {
    if (at == 0 || raw[at - 1] == '&') return at;
  }
  return std::string_view::npos;
}

// A client's value as it may appear in a one-line reason: printable ASCII only,
// at most 16 bytes.
std::string Shown(const std::optional<std::string>& value) {
  if (!value) return "(none)";
  std::string shown;
  for (char c : value->substr(0, 16)) shown += (c > ' ' && c < 0x7F) ? c : '?';
  return "\"" + shown + "\"";
}

}  // namespace

std::optional<std::string> DecodeQueryValue(std::string_view value) {
  std::string out;
  if (DecodeInto(value, out) != QueryProblem::None) return std::nullopt;
  return out;
}

QueryParse ParseTranslationQuery(std::string_view raw) {
  QueryParse parse;
  if (raw.size() > kMaxQueryBytes) {
    parse.problem = QueryProblem::TooLong;
    return parse;
  }
  TranslationQuery& query = parse.query;
  const std::size_t textAt = FindTextParameter(raw);
  if (textAt == std::string_view::npos) {
    parse.problem = StorePlainParameters(query, raw);
    return parse;
  }
  const std::string_view before = raw.substr(0, textAt == 0 ? 0 : textAt - 1);
  if ((parse.problem = StorePlainParameters(query, before)) != QueryProblem::None) return parse;

  // Peel trailing known parameters off the right end until one is missing, is
  // the line's own key, or was already given: what is left is the line.
  std::string_view rest = raw.substr(textAt + 5);
  for (;;) {
    std::size_t best = std::string_view::npos;
    std::string_view bestKey;
    for (std::string_view key : kKnownKeys) {
      if (key == "text") continue;
      // Built in steps: GCC 12 at -O3 warns falsely about the one-expression form.
      std::string marker = "&";
      marker += key;
      marker += '=';
      const std::size_t at = rest.rfind(marker);
      if (at != std::string_view::npos && (best == std::string_view::npos || at > best)) {
        best = at;
        bestKey = key;
      }
    }
    if (best == std::string_view::npos || FieldFor(query, bestKey)->has_value()) break;
    const std::string_view value = rest.substr(best + bestKey.size() + 2);
    if ((parse.problem = StoreParameter(query, bestKey, value)) != QueryProblem::None) return parse;
    rest = rest.substr(0, best);
  }
  parse.problem = StoreParameter(query, "text", rest);
  return parse;
}

QueryVerdict CheckTranslationQuery(const QueryParse& parse) {
  switch (parse.problem) {
    case QueryProblem::None:
      break;
    case QueryProblem::TooLong:
      return {414, "query longer than " + std::to_string(kMaxQueryBytes) + " bytes"};
    case QueryProblem::BadEscape:
      return {400, "malformed query: \"%\" without two hexadecimal digits"};
    case QueryProblem::ZeroByte:
      return {400, "malformed query: %00 in a value"};
    case QueryProblem::RepeatedField:
      return {400, "malformed query: a parameter is given twice"};
  }
  const TranslationQuery& query = parse.query;
  if (!query.password || *query.password != kServicePassword) return {403, "wrong password"};
  if (!query.source || !query.destination || *query.source != "en" ||
      *query.destination != "fr") {
    return {400, "unsupported language pair " + Shown(query.source) + " to " +
                     Shown(query.destination) + "; only en to fr is served"};
  }
  if (!query.text) return {400, "missing text"};
  return {};
}

}  // namespace vokabino
