#include "text/text.h"

#include <string_view>

namespace vokabino {
namespace {

// Position of pattern (not empty) in text at or after from, or npos. Short
// patterns on short texts are the common case here, where a plain loop beats
// the library's call into memcmp for every candidate.
std::size_t FindFrom(std::string_view text, std::string_view pattern, std::size_t from) {
  if (pattern.size() > text.size()) return std::string_view::npos;
  const std::size_t lastStart = text.size() - pattern.size();
  for (std::size_t at = from; at <= lastStart; ++at) {
    if (text[at] != pattern[0]) continue;
    std::size_t i = 1;
    while (i < pattern.size() && text[at + i] == pattern[i]) ++i;
    if (i == pattern.size()) return at;
  }
  return std::string_view::npos;
}

}  // namespace

std::int64_t TextLength(const Text& text) { return static_cast<std::int64_t>(text.size()); }

bool TextEquals(const Text& a, const Text& b) { return a == b; }

std::string_view TrimSpacesView(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

Text TrimSpaces(const Text& text) { return Text(TrimSpacesView(text)); }

Text MidText(const Text& text, std::int64_t start, std::int64_t count) {
  if (count <= 0) return Text();
  const std::size_t offset = start <= 1 ? 0 : static_cast<std::size_t>(start - 1);
  if (offset >= text.size()) return Text();
  return text.substr(offset, static_cast<std::size_t>(count));
}

std::int64_t FindText(const Text& text, const Text& pattern) {
  if (text.empty() || pattern.empty()) return 0;
  const std::size_t at = text.find(pattern);
  return at == Text::npos ? 0 : static_cast<std::int64_t>(at) + 1;
}

std::int64_t CountOccurrences(const Text& text, const Text& pattern) {
  if (text.empty() || pattern.empty()) return 0;
  std::int64_t count = 0;
  for (std::size_t at = text.find(pattern); at != Text::npos;
       at = text.find(pattern, at + pattern.size())) {
    ++count;
  }
  return count;
}

Text RemoveAll(const Text& text, const Text& pattern) {
  if (pattern.empty()) return text;
  Text result;
  result.reserve(text.size());
  std::size_t from = 0;
  for (std::size_t at = text.find(pattern); at != Text::npos; at = text.find(pattern, from)) {
    result.append(text, from, at - from);
    from = at + pattern.size();
  }
  result.append(text, from, Text::npos);
  return result;
}

std::string_view SplitFieldView(std::string_view text, std::int64_t index,
                                std::string_view separator) {
  if (index < 1) return {};
  if (separator.empty()) return index == 1 ? text : std::string_view();
  std::size_t begin = 0;
  for (std::int64_t field = 1; field < index; ++field) {
    const std::size_t at = FindFrom(text, separator, begin);
    if (at == std::string_view::npos) return {};
    begin = at + separator.size();
  }
  const std::size_t end = FindFrom(text, separator, begin);
  return text.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin);
}

Text SplitField(const Text& text, std::int64_t index, const Text& separator) {
  return Text(SplitFieldView(text, index, separator));
}

namespace {

// The value of one digit in the given base, or -1 when the byte is not one.
int DigitValue(char c, unsigned base) {
  int value = -1;
  if (c >= '0' && c <= '9') value = c - '0';
  else if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  else if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  return value >= 0 && static_cast<unsigned>(value) < base ? value : -1;
}

}  // namespace

std::int64_t IntegerValue(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
    negative = text[at] == '-';
    ++at;
  }
  unsigned base = 10;
  if (at < text.size() && text[at] == '$') {
    base = 16;
    ++at;
  } else if (at < text.size() && text[at] == '%') {
    base = 2;
    ++at;
  }
  // Unsigned arithmetic: the wrap-around is defined, and the final conversion to
  // a signed value is two's complement.
  std::uint64_t value = 0;
  if (base == 10) {  // the common case, kept free of the general digit test
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
      value = value * 10 + static_cast<std::uint64_t>(text[at] - '0');
    }
  } else {
    for (; at < text.size(); ++at) {
      const int digit = DigitValue(text[at], base);
      if (digit < 0) break;
      value = value * base + static_cast<std::uint64_t>(digit);
    }
  }
  if (negative) value = 0 - value;
  return static_cast<std::int64_t>(value);
}

}  // namespace vokabino
