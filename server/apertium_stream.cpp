#include "server/apertium_stream.h"

namespace vokabino {
namespace {

// U+E000 in UTF-8: stands for "^" while a line is inside Apertium.
constexpr std::string_view kCaretStandIn = "\xEE\x80\x80";

bool IsApertiumSpecial(char c) {
  switch (c) {
    case '$':
    case '[':
    case ']':
    case '/':
    case '\\':
    case '@':
    case '<':
    case '>':
    case '{':
    case '}':
      return true;
    default:
      return false;
  }
}

bool IsWhite(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

Text CleanLineForTranslation(const Text& line) {
  Text clean = line;
  for (char& c : clean) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || byte == 0x81 || byte == 0x8D || byte == 0x8F ||
        byte == 0x90 || byte == 0x9D) {
      c = ' ';
    }
  }
  return clean;
}

std::string EscapeForApertium(std::string_view utf8) {
  std::string escaped;
  escaped.reserve(utf8.size() + utf8.size() / 8);
  for (char c : utf8) {
    if (c == '^') {
      escaped += '[';
      escaped += kCaretStandIn;
      escaped += ']';
      continue;
    }
    if (c == '~' || c == '#') {
      escaped += '[';
      escaped += c;
      escaped += ']';
      continue;
    }
    if (IsApertiumSpecial(c)) escaped += '\\';
    escaped += c;
  }
  return escaped;
}

std::string UnescapeApertiumOutput(std::string_view utf8) {
  std::string plain;
  plain.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\\') {
      if (++i == utf8.size()) break;
    } else if (utf8[i] == '[' || utf8[i] == ']') {
      continue;
    } else if (utf8.substr(i, kCaretStandIn.size()) == kCaretStandIn) {
      plain += '^';
      i += kCaretStandIn.size() - 1;
      continue;
    }
    plain += utf8[i];
  }
  return plain;
}

std::string TidyTranslation(std::string_view utf8) {
  std::string tidy;
  tidy.reserve(utf8.size());
  bool pendingSpace = false;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const char c = utf8[i];
    if (IsWhite(c)) {
      pendingSpace = !tidy.empty();
      continue;
    }
    // "word ," and "word ." lose the space; ".5" after a space keeps it.
    const bool closesWord = (c == ',' || c == '.') &&
                            (i + 1 == utf8.size() || IsWhite(utf8[i + 1]) ||
                             utf8[i + 1] == '.' || utf8[i + 1] == ',');
    if (pendingSpace && !closesWord) tidy += ' ';
    pendingSpace = false;
    tidy += c;
  }
  return tidy;
}

}  // namespace vokabino
