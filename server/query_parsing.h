#pragma once
// Reading the player's translation query and deciding whether it may be served.
//
// The player builds its query as "src=en&dest=fr&text=<line>&email=<address>
// &password=qx5318" and escapes the line with its own per-cent coding, which leaves
// "&", "=", "+", "#", "?" and the other reserved characters as they are. So a "&"
// inside the line looks like a parameter separator, and a "+" is a plus sign, not
// a space. The parser below takes the line as the one free-form value: it runs
// from "text=" to the first of the trailing "&src=", "&dest=", "&email=" or
// "&password=" parameters, read from the right, that closes the query; every other
// "&" and "=" belongs to the line.
//
// Pure functions: no allocation beyond their results, no failure but the ones
// returned.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "text/text.h"

namespace vokabino {

// The parameters of one query, per-cent decoded. An absent parameter is nullopt;
// a parameter given with an empty value is an empty string.
struct TranslationQuery {
  std::optional<std::string> source;       // "src"
  std::optional<std::string> destination;  // "dest"
  std::optional<Text> text;                // "text": Windows-1252 bytes, never a zero byte
  std::optional<std::string> email;        // "email"
  std::optional<std::string> password;     // "password"
};

enum class QueryProblem {
  None,
  TooLong,        // more than kMaxQueryBytes bytes before decoding
  BadEscape,      // "%" not followed by two hexadecimal digits
  ZeroByte,       // "%00": a line never holds a zero byte
  RepeatedField,  // the same known parameter twice outside the line
};

struct QueryParse {
  QueryProblem problem = QueryProblem::None;
  TranslationQuery query;  // meaningful only when problem is None
};

// Longest query accepted, in bytes as received. A subtitle line escaped byte for
// byte stays far below it.
inline constexpr std::size_t kMaxQueryBytes = 4096;

// Decodes one value: "%" and two hexadecimal digits (either case) give that byte;
// every other byte, "+" included, stands for itself. Fails (nullopt) on a "%"
// without two hexadecimal digits after it, on "%00" and on a raw zero byte.
std::optional<std::string> DecodeQueryValue(std::string_view value);

// Parses the raw query (the part after "?", without it). Parameters other than the
// five known ones are ignored; a known one without "=" counts as given and empty.
QueryParse ParseTranslationQuery(std::string_view rawQuery);

// The answer to a query that cannot be served: an HTTP status and a one-line
// reason, or status 0 when the query may be served.
struct QueryVerdict {
  int status = 0;
  std::string reason;
};

// The password every player sends.
inline constexpr std::string_view kServicePassword = "qx5318";

// Checks a parse in this order: problems of the query itself (414 for a query too
// long, 400 otherwise), a wrong or missing password (403), a language pair other
// than en to fr (400), a missing text (400).
QueryVerdict CheckTranslationQuery(const QueryParse& parse);

}  // namespace vokabino
